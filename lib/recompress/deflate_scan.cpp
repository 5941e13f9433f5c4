#include "lib/recompress/deflate_scan.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "lib/archive/le_bytes.h"
#include "lib/recompress/correction_record.h"
#include "lib/recompress/deflate_parse.h"

namespace uha {
namespace {

// Larger streams stay as they are: the packer holds every recipe in memory.
constexpr std::size_t kMaxInflated = kMaxRecordInflated;
// Below this a recipe record costs about what it saves.
constexpr std::size_t kMinDeflated = 32;
// A file whose first streams all came from another encoder is not searched any further.
constexpr int kGiveUpAfter = 8;
// Image data inflating to more than this many times its size (large even areas, as in icons) is
// kept as it is: rebuilding it costs the extractor more than twice as much time per byte saved as
// other images, and several times as much as archives' streams.
constexpr std::size_t kMaxImageExpansion = 32;

unsigned Get16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

// Stops the deflate run at the first byte that differs from the original.
class Compare : public ByteSink {
 public:
  Compare(const std::uint8_t* want, std::size_t size) : want_(want), size_(size) {}
  Status Put(const std::uint8_t* data, std::size_t size) override {
    if (size > size_ - pos_ || std::memcmp(want_ + pos_, data, size) != 0)
      return Status::Fail("differs");
    pos_ += size;
    return {};
  }
  bool whole() const { return pos_ == size_; }

 private:
  const std::uint8_t* want_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The settings in the order worth trying: zlib's defaults and the common levels first.
std::vector<DeflateParams> SearchOrder(std::uint8_t window) {
  std::vector<DeflateParams> order;
  for (std::uint8_t mem : {8, 9}) {
    for (std::uint8_t strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED}) {
      for (std::uint8_t level : {6, 9, 5, 4, 7, 8, 1, 2, 3}) {
        // Levels 1 to 3 take no notice of the filtered strategy.
        if (strategy == Z_DEFAULT_STRATEGY || level >= 4)
          order.push_back({level, mem, window, strategy});
      }
    }
  }
  order.push_back({6, 8, window, Z_HUFFMAN_ONLY});
  order.push_back({6, 8, window, Z_RLE});
  return order;
}

// Inflates the raw deflate stream at `start`; false when there is none or it is too large.
bool Inflate(const std::vector<std::uint8_t>& file, std::size_t start, std::size_t& end,
             std::vector<std::uint8_t>& out) {
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return false;
  z.next_in = const_cast<std::uint8_t*>(file.data() + start);
  z.avail_in = static_cast<uInt>(std::min<std::size_t>(file.size() - start, UINT32_MAX));
  out.clear();
  int ret = Z_OK;
  while (ret == Z_OK && out.size() < kMaxInflated) {
    const std::size_t have = out.size();
    out.resize(std::min(kMaxInflated, std::max<std::size_t>(have * 2, 1 << 16)));
    z.next_out = out.data() + have;
    z.avail_out = static_cast<uInt>(out.size() - have);
    ret = inflate(&z, Z_NO_FLUSH);
    out.resize(out.size() - z.avail_out);
  }
  end = start + (file.size() - start - z.avail_in);
  inflateEnd(&z);
  return ret == Z_STREAM_END;
}

// zlib ends every block but the last after 2^(memLevel + 6) - 1 tokens, at any level and with any
// strategy (measured on its output): a stream cut otherwise is not zlib's (nullopt); one whose cuts
// fit tells its memory level (0 when it has a single block).
std::optional<std::uint8_t> ZlibMemLevel(const std::uint8_t* deflated, std::size_t size) {
  constexpr std::uint32_t kLargestBlock = (1u << (9 + 6)) - 1;
  const auto parsed = deflate::ParseDeflate(deflated, size, kMaxInflated, kLargestBlock);
  if (!parsed) return std::nullopt;
  std::uint8_t mem_level = 0;
  for (std::size_t i = 0; i + 1 < parsed->blocks.size(); ++i) {
    const deflate::ParsedBlock& b = parsed->blocks[i];
    if (b.kind == deflate::BlockKind::Stored) continue;  // its tokens are not counted
    const std::uint8_t level = b.token_count == (1u << 14) - 1 ? 8
                               : b.token_count == kLargestBlock ? 9
                                                                 : 0;
    if (level == 0 || (mem_level != 0 && level != mem_level)) return std::nullopt;
    mem_level = level;
  }
  return mem_level;
}

std::uint64_t EstimateWork(const WorkShape& shape, const std::vector<std::uint8_t>& inflated) {
  thread_local WorkMeter meter;
  meter.Start(shape);
  const std::uint64_t work = meter.Feed(inflated.data(), inflated.size());
  return work + meter.Finish();
}

WorkShape ModelRecordWork(const std::vector<std::uint8_t>& record) {
  deflate::RecordReader in(record.data(), record.size());
  deflate::RecordHead head;
  deflate::ReadHead(in, head);
  return ModelWork(head.params);
}

class RecipeBuilder {
 public:
  RecipeBuilder(const std::vector<std::uint8_t>& file, DeflateStats& stats)
      : file_(file), stats_(stats) {}

  // Handles the stream at `start`; false when none is there. `end` is where it stops.
  bool Stream(std::size_t start, std::size_t& end);
  // Handles the IDAT chunks of a PNG image, file bytes [start, end), whose data joined is `zlib`;
  // `chunk_size` is 0 when they are not laid out as IdatLayout describes.
  void Idat(std::size_t start, std::size_t end, const std::vector<std::uint8_t>& zlib,
            std::uint32_t chunk_size);
  std::vector<std::uint8_t> Finish();

 private:
  const std::vector<std::uint8_t>& file_;
  DeflateStats& stats_;
  std::vector<std::uint8_t> recipe_, inflated_;
  std::size_t done_ = 0;  // bytes of the file the recipe covers
  DeflateParams last_;
  bool sized_ = false;  // a zlib record was made: `last_` holds the file's sizes
  int failures_ = 0;
  bool any_ = false;
};

bool RecipeBuilder::Stream(std::size_t start, std::size_t& end) {
  if (!Inflate(file_, start, end, inflated_)) return false;
  const std::size_t size = end - start;
  DeflateParams params = last_;
  const std::uint8_t* deflated = file_.data() + start;
  const bool search = size >= kMinDeflated && inflated_.size() >= kMinRecordInflated &&
                      (any_ || failures_ < kGiveUpAfter);
  // An archive's streams mostly come from one encoder with one setting: the one that made the
  // last stream is tried first.
  // The zlib records of one file share their sizes (deflate_recipe.h); a stream of other sizes
  // goes to the model.
  const bool zlib = search && FindParams(deflated, size, inflated_, params) &&
                    (!sized_ || (params.window_bits == last_.window_bits &&
                                 params.mem_level == last_.mem_level));
  std::optional<ModelledStream> model;
  if (search && !zlib) {
    model = ModelDeflateStream(deflated, file_.size() - start);
    // Kept as it is where the record and the inflated bytes would take more than the stream.
    if (model && (model->deflated_size != size || model->record.size() > kMaxModelRecord ||
                  model->record.size() + QuickPackedSize(model->inflated) >= size)) {
      model.reset();
    }
  }
  if (!zlib && !model) {
    stats_.kept += size;
    ++failures_;
    return true;
  }
  AppendRaw(recipe_, file_.data() + done_, start - done_);
  if (zlib) {
    AppendDeflate(recipe_, params, inflated_, size);
    stats_.work += EstimateWork(ZlibWork(params), inflated_);
    last_ = params;
    sized_ = true;
  } else {
    AppendModel(recipe_, *model);
    stats_.work += EstimateWork(ModelRecordWork(model->record), model->inflated);
    stats_.modelled += size;
    stats_.model_record += model->record.size();
  }
  done_ = end;
  any_ = true;
  stats_.reproduced += size;
  stats_.inflated += inflated_.size();
  return true;
}

void RecipeBuilder::Idat(std::size_t start, std::size_t end, const std::vector<std::uint8_t>& zlib,
                         std::uint32_t chunk_size) {
  // A zlib header with deflate, no preset dictionary, and a window zlib can be asked for (libpng
  // writes 256 bytes where zlib uses 512, with the same output).
  const unsigned cinfo = zlib[0] >> 4;
  if ((zlib[0] & 0x0F) != Z_DEFLATED || (zlib[1] & 0x20) || cinfo > 7) return;
  std::size_t deflate_end = 0;
  const std::size_t deflated = zlib.size() - 6;
  if (!Inflate(zlib, 2, deflate_end, inflated_) || deflate_end != zlib.size() - 4 ||
      GetBe32(&zlib[deflate_end]) !=
          adler32(1, inflated_.data(), static_cast<uInt>(inflated_.size())) ||
      inflated_.size() / kMaxImageExpansion > deflated) {
    stats_.kept += deflated;
    stats_.png_kept += deflated;
    return;
  }
  // libpng's defaults: level 6, filtered, memory level 8.
  DeflateParams params{6, 8, static_cast<std::uint8_t>(std::max(cinfo + 8, 9u)), Z_FILTERED};
  std::vector<std::uint8_t> record;
  if (chunk_size != 0 && deflated >= kMinDeflated && inflated_.size() >= kMinRecordInflated &&
      FindParams(&zlib[2], deflated, inflated_, params)) {
    IdatLayout layout{{zlib[0], zlib[1]}, chunk_size};
    AppendIdat(record, params, layout, inflated_, deflated);
  }
  // The chunk framing is checked whole, as the extractor will rebuild it.
  Compare compare(file_.data() + start, end - start);
  RecipeDecoder check(compare);
  if (record.empty() || !check.Put(record.data(), record.size()).ok() || !check.End().ok() ||
      !compare.whole()) {
    stats_.kept += deflated;
    stats_.png_kept += deflated;
    return;
  }
  AppendRaw(recipe_, file_.data() + done_, start - done_);
  recipe_.insert(recipe_.end(), record.begin(), record.end());
  done_ = end;
  any_ = true;
  stats_.reproduced += deflated;
  stats_.inflated += inflated_.size();
  stats_.png += deflated;
  stats_.work += EstimateWork(ZlibWork(params), inflated_);
}

std::vector<std::uint8_t> RecipeBuilder::Finish() {
  if (!any_) return {};
  AppendRaw(recipe_, file_.data() + done_, file_.size() - done_);
  return std::move(recipe_);
}

// Gzip members back to back from the start of the file.
void ScanGzip(const std::vector<std::uint8_t>& f, RecipeBuilder& builder) {
  std::size_t at = 0;
  while (f.size() - at >= 18 && f[at] == 0x1F && f[at + 1] == 0x8B && f[at + 2] == 8) {
    const std::uint8_t flags = f[at + 3];
    if (flags & 0xE0) return;
    std::size_t p = at + 10;
    if (flags & 4) p += 2 + Get16(&f[p]);  // extra field
    for (const std::uint8_t text : {8, 16}) {  // name, comment: zero-terminated
      if (!(flags & text)) continue;
      while (p < f.size() && f[p] != 0) ++p;
      ++p;
    }
    if (flags & 2) p += 2;  // header checksum
    std::size_t end = 0;
    if (p >= f.size() || !builder.Stream(p, end)) return;
    at = end + 8;
    if (at > f.size()) return;
  }
}

// Zip local headers anywhere in the file, so data descriptors, stored entries and archives
// inside archives need no special case; a false match simply fails to inflate.
void ScanZip(const std::vector<std::uint8_t>& f, RecipeBuilder& builder) {
  static const std::uint8_t kLocal[4] = {'P', 'K', 3, 4};
  auto at = std::search(f.begin(), f.end(), kLocal, kLocal + 4);
  while (at != f.end()) {
    const std::size_t pos = static_cast<std::size_t>(at - f.begin());
    std::size_t next = pos + 4;
    if (f.size() - pos < 30) return;
    const std::size_t data = pos + 30 + Get16(&f[pos + 26]) + Get16(&f[pos + 28]);
    std::size_t end = 0;
    if (Get16(&f[pos + 8]) == Z_DEFLATED && data < f.size() && builder.Stream(data, end)) next = end;
    at = std::search(f.begin() + static_cast<std::ptrdiff_t>(next), f.end(), kLocal, kLocal + 4);
  }
}

// The run of IDAT chunks of a PNG image, when it is laid out as IdatLayout describes.
void ScanPng(const std::vector<std::uint8_t>& f, RecipeBuilder& builder) {
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (f.size() < 8 || std::memcmp(f.data(), kSignature, 8) != 0) return;
  std::size_t at = 8, start = 0;
  std::vector<std::uint8_t> zlib;
  std::uint32_t chunk_size = 0;
  bool in_run = false, uniform = true, shorter = false;
  while (f.size() - at >= 12) {
    const std::uint32_t length = GetBe32(&f[at]);
    const bool idat = std::memcmp(&f[at + 4], "IDAT", 4) == 0;
    if (length > f.size() - at - 12) return;
    if (!idat && in_run) break;
    if (idat) {
      if (!in_run) {
        in_run = true;
        start = at;
        chunk_size = length;
      }
      // Only the last chunk may be shorter: other layouts are kept as they are.
      if (shorter || length == 0 || length > chunk_size) uniform = false;
      shorter = length < chunk_size;
      zlib.insert(zlib.end(), &f[at + 8], &f[at + 8] + length);
    }
    at += 12 + length;
  }
  if (zlib.size() >= 6) builder.Idat(start, at, zlib, uniform ? chunk_size : 0);
}

}  // namespace

std::size_t QuickPackedSize(const std::vector<std::uint8_t>& data) {
  lzma_options_lzma lzma2;
  lzma_lzma_preset(&lzma2, 1);
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA2, &lzma2}, {LZMA_VLI_UNKNOWN, nullptr}};
  std::vector<std::uint8_t> out(data.size() + data.size() / 8 + 4096);
  std::size_t out_pos = 0;
  if (lzma_raw_buffer_encode(filters, nullptr, data.data(), data.size(), out.data(), &out_pos,
                             out.size()) != LZMA_OK) {
    return SIZE_MAX;
  }
  return out_pos;
}

bool FindParams(const std::uint8_t* deflated, std::size_t deflated_size,
                const std::vector<std::uint8_t>& inflated, DeflateParams& params) {
  Redeflater deflater;
  auto reproduces = [&](const DeflateParams& p) {
    Compare compare(deflated, deflated_size);
    Status st = deflater.Start(p, compare);
    if (st.ok()) st = deflater.Feed(inflated.data(), inflated.size());
    if (st.ok()) st = deflater.Finish();
    return st.ok() && compare.whole();
  };
  if (reproduces(params)) return true;
  // Past the first guess, the stream's blocks say which trials can succeed.
  const std::optional<std::uint8_t> mem_level = ZlibMemLevel(deflated, deflated_size);
  if (!mem_level) return false;
  for (const DeflateParams& p : SearchOrder(params.window_bits)) {
    if (std::memcmp(&p, &params, sizeof p) == 0 || (*mem_level != 0 && p.mem_level != *mem_level))
      continue;
    if (reproduces(p)) {
      params = p;
      return true;
    }
  }
  return false;
}

std::vector<std::uint8_t> MakeRecipe(const std::vector<std::uint8_t>& file, DeflateStats& stats) {
  RecipeBuilder builder(file, stats);
  if (file.size() >= 2 && file[0] == 0x1F && file[1] == 0x8B) {
    ScanGzip(file, builder);
  } else if (file.size() >= 8 && file[0] == 0x89 && file[1] == 'P') {
    ScanPng(file, builder);
  } else {
    ScanZip(file, builder);
  }
  return builder.Finish();
}

}  // namespace uha
