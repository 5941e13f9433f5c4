#include "lib/archive/block_compressor.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>

namespace uha {
namespace {

constexpr unsigned kWorkers = 2;
// Bytes before a piece that its encoder is given: older matches are lost at a cut, and indexing
// more of them costs about as much time as compressing them.
constexpr std::size_t kPieceDict = 4u << 20;
// Smaller pieces lose more at their cuts than a core's idle time is worth.
constexpr std::uint64_t kMinPiece = 4u << 20;
// A piece's last kPieceDict bytes are the next one's dictionary, read again: both reads are
// compared by their checksums, so a piece is never longer than the dictionary it hands on.
static_assert(kMinPiece >= kPieceDict, "a piece's tail lies within the piece");
constexpr std::size_t kChunk = 1u << 16;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::uint32_t DictSizeFor(std::uint64_t unpacked, std::uint32_t preset_dict) {
  // The extractor decodes two blocks at once: two of these keep its whole process (dictionaries,
  // decoder and deflate state, buffers, runtime) within 64 MiB.
  constexpr std::uint64_t kMaxPackDict = kTwoLaneDictBudget / 2;
  const std::uint64_t wanted = std::min<std::uint64_t>({unpacked, preset_dict, kMaxPackDict});
  return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(wanted, kMinDictSize, kMaxDictSize));
}

// The checksum of some of a plain file's bytes, read by one piece.
struct FileSpan {
  std::size_t file;  // within the block
  std::uint64_t length;
  std::uint32_t crc;
};

struct Piece {
  BlockPlan* plan;
  std::uint64_t begin, end;  // within the block's stored bytes
  std::vector<std::uint8_t> packed;
  std::vector<FileSpan> spans;
  std::uint32_t dict_crc = 0;  // of the dictionary it read
  std::uint32_t tail_crc = 0;  // of its last bytes, the next piece's dictionary
  Status status;
};

// Reads a block's stored bytes from an offset on: recipes from memory, other files from disk, each
// of which must still have the size it was listed with.
class BlockReader {
 public:
  BlockReader(const BlockPlan& plan, std::uint64_t offset)
      : m_files(plan.group->data() + plan.first), m_count(plan.count), m_offset(offset) {
    while (m_index < m_count && m_offset >= m_files[m_index].entry.stored_size) {
      m_offset -= m_files[m_index].entry.stored_size;
      ++m_index;
    }
  }

  // The next `size` bytes; a plain file's bytes are counted in `spans` when it is given.
  Status Read(std::uint8_t* out, std::size_t size, std::vector<FileSpan>* spans) {
    while (size > 0) {
      if (m_index == m_count) return Status::Fail("a block ended before its files");
      const PackInput& in = m_files[m_index];
      const std::uint64_t left = in.entry.stored_size - m_offset;
      if (left == 0) {
        m_file.reset();
        ++m_index;
        m_offset = 0;
        continue;
      }
      const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(size, left));
      if (!in.recipe.empty()) {
        std::copy_n(in.recipe.data() + m_offset, take, out);
      } else {
        Status st = ReadPlain(in, out, take, take == left);
        if (!st.ok()) return st;
        if (spans) {
          if (spans->empty() || spans->back().file != m_index) spans->push_back({m_index, 0, 0});
          spans->back().length += take;
          spans->back().crc = Crc32(out, take, spans->back().crc);
        }
      }
      out += take;
      size -= take;
      m_offset += take;
    }
    return {};
  }

 private:
  Status ReadPlain(const PackInput& in, std::uint8_t* out, std::size_t size, bool to_end) {
    if (!m_file) {
      m_file.reset(std::fopen(in.source_path.c_str(), "rb"));
      if (!m_file) return Status::Fail("cannot open " + in.source_path);
      if (fseeko(m_file.get(), static_cast<off_t>(m_offset), SEEK_SET) != 0)
        return Status::Fail("cannot read " + in.source_path);
    }
    const std::size_t got = std::fread(out, 1, size, m_file.get());
    if (std::ferror(m_file.get())) return Status::Fail("cannot read " + in.source_path);
    if (got != size || (to_end && std::fgetc(m_file.get()) != EOF))
      return Status::Fail(in.source_path + " changed while packing");
    return {};
  }

  PackInput* m_files;
  std::size_t m_count, m_index = 0;
  std::uint64_t m_offset;  // within the file at m_index
  File m_file;
};

class PieceEncoder {
 public:
  ~PieceEncoder() { lzma_end(&m_stream); }
  Status Start(const lzma_options_lzma& lzma2) {
    const lzma_filter filters[] = {{LZMA_FILTER_LZMA2, const_cast<lzma_options_lzma*>(&lzma2)},
                                   {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_raw_encoder(&m_stream, filters) != LZMA_OK)
      return Status::Fail("cannot start the encoder");
    return {};
  }
  Status Code(const std::uint8_t* data, std::size_t size, lzma_action action,
              std::vector<std::uint8_t>& out) {
    m_stream.next_in = data;
    m_stream.avail_in = size;
    std::uint8_t buf[kChunk];
    while (true) {
      m_stream.next_out = buf;
      m_stream.avail_out = sizeof buf;
      const lzma_ret ret = lzma_code(&m_stream, action);
      out.insert(out.end(), buf, buf + (sizeof buf - m_stream.avail_out));
      if (ret == LZMA_STREAM_END) return {};
      if (ret != LZMA_OK) return Status::Fail("compression failed");
      if (action == LZMA_RUN && m_stream.avail_in == 0) return {};
    }
  }

 private:
  lzma_stream m_stream = LZMA_STREAM_INIT;
};

Status CompressPiece(Piece& piece, const PackOptions& options) {
  const BlockPlan& plan = *piece.plan;
  const std::size_t dict_size =
      static_cast<std::size_t>(std::min<std::uint64_t>(kPieceDict, piece.begin));
  BlockReader reader(plan, piece.begin - dict_size);
  std::vector<std::uint8_t> dict(dict_size);
  Status st = reader.Read(dict.data(), dict.size(), nullptr);
  if (!st.ok()) return st;
  piece.dict_crc = Crc32(dict.data(), dict.size());

  lzma_options_lzma lzma2;
  const std::uint32_t preset = options.preset | (options.extreme ? LZMA_PRESET_EXTREME : 0);
  if (lzma_lzma_preset(&lzma2, preset)) return Status::Fail("bad compression preset");
  lzma2.dict_size = plan.block.dict_size;
  // Class data, text and inflated archives have no 4-byte structure for the position bits to
  // model: without them these blocks come out about 0.4 % smaller. x86 code keeps the default,
  // which measured best there. The decoder reads these settings from the stream.
  if (!plan.code) lzma2.pb = 0;
  if (dict_size > 0) {
    lzma2.preset_dict = dict.data();
    lzma2.preset_dict_size = static_cast<std::uint32_t>(dict_size);
  }
  PieceEncoder encoder;
  st = encoder.Start(lzma2);
  const std::uint64_t tail_begin = piece.end - std::min<std::uint64_t>(kPieceDict, piece.end);
  std::vector<std::uint8_t> buf(kChunk);
  for (std::uint64_t at = piece.begin; at < piece.end && st.ok(); at += buf.size()) {
    const std::size_t size =
        static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, piece.end - at));
    st = reader.Read(buf.data(), size, &piece.spans);
    if (!st.ok()) break;
    if (at + size > tail_begin) {
      const std::size_t skip = at >= tail_begin ? 0 : static_cast<std::size_t>(tail_begin - at);
      piece.tail_crc = Crc32(buf.data() + skip, size - skip, piece.tail_crc);
    }
    st = encoder.Code(buf.data(), size, LZMA_RUN, piece.packed);
  }
  return st.ok() ? encoder.Code(nullptr, 0, LZMA_FINISH, piece.packed) : st;
}

// Joins a block's pieces into one stream (each but the last loses its end marker) and puts its
// plain files' checksums together.
Status JoinPieces(BlockPlan& plan, Piece* pieces, std::size_t count) {
  std::vector<std::uint32_t> crc(plan.count, 0);
  std::vector<std::uint64_t> length(plan.count, 0);
  for (std::size_t k = 0; k < count; ++k) {
    Piece& piece = pieces[k];
    if (k > 0 && piece.dict_crc != pieces[k - 1].tail_crc)
      return Status::Fail("a file changed while packing");
    const bool last = k + 1 == count;
    if (!last && (piece.packed.empty() || piece.packed.back() != 0x00))
      return Status::Fail("compression failed");
    plan.packed.insert(plan.packed.end(), piece.packed.begin(),
                       piece.packed.end() - (last ? 0 : 1));
    piece.packed = {};
    for (const FileSpan& span : piece.spans) {
      crc[span.file] = static_cast<std::uint32_t>(
          crc32_combine(crc[span.file], span.crc, static_cast<z_off_t>(span.length)));
      length[span.file] += span.length;
    }
  }
  PackInput* files = plan.group->data() + plan.first;
  for (std::size_t i = 0; i < plan.count; ++i) {
    if (!files[i].recipe.empty()) continue;
    if (length[i] != files[i].entry.size)
      return Status::Fail(files[i].source_path + " changed while packing");
    files[i].entry.crc32 = crc[i];
  }
  plan.block.packed_size = plan.packed.size();
  return {};
}

}  // namespace

void OnBothCores(const std::function<void(std::size_t)>& work) {
  std::thread helper(work, 1);
  work(0);
  helper.join();
}

std::vector<std::uint32_t> PieceCounts(const std::vector<std::uint64_t>& block_sizes,
                                       unsigned workers) {
  std::uint64_t total = 0;
  for (std::uint64_t size : block_sizes) total += size;
  const std::uint64_t share = std::max<std::uint64_t>(kMinPiece, (total + workers - 1) / workers);
  std::vector<std::uint32_t> counts;
  for (std::uint64_t size : block_sizes) {
    const std::uint64_t wanted = (size + share - 1) / share;
    counts.push_back(
        static_cast<std::uint32_t>(std::max<std::uint64_t>(1, std::min(wanted, size / kMinPiece))));
  }
  return counts;
}

Status CompressBlocks(std::vector<BlockPlan>& plans, const PackOptions& options) {
  std::vector<std::uint64_t> sizes;
  for (BlockPlan& plan : plans) {
    Block& block = plan.block;
    const PackInput* files = plan.group->data() + plan.first;
    block.entry_count = static_cast<std::uint32_t>(plan.count);
    for (std::size_t i = 0; i < plan.count; ++i) block.unpacked_size += files[i].entry.stored_size;
    lzma_options_lzma lzma2;
    if (lzma_lzma_preset(&lzma2, options.preset)) return Status::Fail("bad compression preset");
    block.dict_size =
        block.unpacked_size == 0 ? kMinDictSize : DictSizeFor(block.unpacked_size, lzma2.dict_size);
    sizes.push_back(block.unpacked_size);
  }
  const std::vector<std::uint32_t> counts = PieceCounts(sizes, kWorkers);
  std::vector<Piece> pieces;
  for (std::size_t b = 0; b < plans.size(); ++b) {
    const std::uint64_t size = sizes[b];
    for (std::uint32_t k = 0; size > 0 && k < counts[b]; ++k)
      pieces.push_back(
          {&plans[b], size * k / counts[b], size * (k + 1) / counts[b], {}, {}, 0, 0, {}});
  }
  // Largest first, so that the last piece to finish is a small one; a block's pieces stay in order.
  std::vector<Piece*> order;
  for (Piece& piece : pieces) order.push_back(&piece);
  std::stable_sort(order.begin(), order.end(), [](const Piece* a, const Piece* b) {
    return a->end - a->begin > b->end - b->begin;
  });
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  OnBothCores([&](std::size_t) {
    for (std::size_t i = next++; i < order.size() && !failed; i = next++) {
      order[i]->status = CompressPiece(*order[i], options);
      if (!order[i]->status.ok()) failed = true;
    }
  });
  for (const Piece& piece : pieces) {
    if (!piece.status.ok()) return piece.status;
  }
  for (std::size_t first = 0; first < pieces.size();) {
    std::size_t end = first;
    while (end < pieces.size() && pieces[end].plan == pieces[first].plan) ++end;
    Status st = JoinPieces(*pieces[first].plan, &pieces[first], end - first);
    if (!st.ok()) return st;
    first = end;
  }
  return {};
}

}  // namespace uha
