#include "lib/archive/archive_reader.h"

#include <lzma.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "lib/archive/second_thread.h"
#include "lib/recompress/deflate_recipe.h"
#include "lib/recompress/x86_filter.h"

namespace uha {
namespace {

constexpr std::size_t kChunk = 1u << 16;

Status ReadExactly(ByteSource& source, std::uint8_t* out, std::size_t size) {
  while (size > 0) {
    std::size_t got = 0;
    if (!source.Read(out, size, got)) return Status::Fail("cannot read the archive");
    if (got == 0) return Status::Fail("damaged archive: truncated");
    out += got;
    size -= got;
  }
  return {};
}

// The file being written: counts and checks what reaches the sink, and gathers small pieces (a
// rebuilt stream comes out a few bytes at a time) into writes of up to kChunk bytes.
class FileOutput : public ByteSink {
 public:
  explicit FileOutput(ExtractSink& sink) : sink_(sink) { buf_.reserve(kChunk); }
  void Begin(std::uint64_t size) {
    left_ = size;
    crc_ = 0;
    buf_.clear();
  }
  Status Put(const std::uint8_t* data, std::size_t size) override {
    if (size > left_) return Status::Fail("damaged archive: rebuilt file longer than its entry");
    crc_ = Crc32(data, size, crc_);
    left_ -= size;
    if (buf_.size() + size > kChunk) {
      Status st = Flush();
      if (!st.ok()) return st;
      if (size >= kChunk) return sink_.Write(data, size);
    }
    buf_.insert(buf_.end(), data, data + size);
    return {};
  }
  Status Flush() {
    Status st = buf_.empty() ? Status{} : sink_.Write(buf_.data(), buf_.size());
    buf_.clear();
    return st;
  }
  bool complete() const { return left_ == 0; }
  std::uint32_t crc() const { return crc_; }

 private:
  ExtractSink& sink_;
  std::uint64_t left_ = 0;
  std::uint32_t crc_ = 0;
  std::vector<std::uint8_t> buf_;
};

// What a lane keeps from block to block: the file output and a decoder of each coding, so that
// no file and no record sets an engine up again.
struct LaneTools {
  LaneTools(ExtractSink& sink, WorkBudget* work) : sink(sink), out(sink) { recipe.SetBudget(work); }
  DecodingSink* DecoderFor(Coding coding) {
    return coding == Coding::kDeflateRecipe ? static_cast<DecodingSink*>(&recipe)
           : coding == Coding::kX86         ? &x86
                                            : nullptr;
  }
  ExtractSink& sink;
  FileOutput out;
  RecipeDecoder recipe;
  X86Decoder x86;
};

// A dictionary larger than the block's data is never used: it is not allocated.
std::uint32_t DecoderDictSize(const Block& block) {
  return static_cast<std::uint32_t>(std::max<std::uint64_t>(
      kMinDictSize, std::min<std::uint64_t>(block.dict_size, block.unpacked_size)));
}

bool TwoLanesFit(const std::vector<Block>& blocks) {
  std::uint64_t largest = 0, second = 0;
  for (const Block& b : blocks) {
    const std::uint64_t dict = DecoderDictSize(b);
    if (dict > largest) {
      second = largest;
      largest = dict;
    } else {
      second = std::max(second, dict);
    }
  }
  return largest + second <= kTwoLaneDictBudget;
}

// What the lanes of one extraction share: bytes done so far (all blocks), whether to stop, and
// the rebuilding work the archive's size allows, where that needs metering.
struct Shared {
  Shared(std::uint64_t stored, std::uint64_t archive_size)
      : total(stored), work(ArchiveWorkBudget(archive_size)),
        metered(NeedsWorkMeter(stored, archive_size) ? &work : nullptr) {}
  std::uint64_t total;
  std::atomic<std::uint64_t> done{0};
  std::atomic<bool> stop{false};
  WorkBudget work;
  WorkBudget* metered;
};

// Decodes one block, handing each file's bytes to the sink in table order; recipes are turned
// back into the original bytes on the way.
class BlockExtractor {
 public:
  BlockExtractor(ByteSource& source, LaneTools& tools, ExtractProgress& progress, Shared& shared)
      : source_(source), sink_(tools.sink), progress_(progress), shared_(shared), tools_(tools),
        out_(tools.out) {}
  ~BlockExtractor() { lzma_end(&stream_); }

  Status Run(const Block& block, const Entry* files);

 private:
  Status Start(const Block& block);
  Status Deliver(const std::uint8_t* data, std::size_t size);
  Status OpenNext();
  Status FinishCurrent();

  ByteSource& source_;
  ExtractSink& sink_;
  ExtractProgress& progress_;
  Shared& shared_;
  LaneTools& tools_;
  lzma_stream stream_ = LZMA_STREAM_INIT;
  const Entry* files_ = nullptr;
  std::size_t file_count_ = 0;
  std::size_t current_ = 0;      // index of the file being written
  std::uint64_t remaining_ = 0;  // stored bytes still due to that file
  FileOutput& out_;
  DecodingSink* decoder_ = nullptr;  // of the current file's coding; none when stored as it is
  bool open_ = false;
};

Status BlockExtractor::Start(const Block& block) {
  lzma_options_lzma lzma2 = {};
  // A dictionary larger than the block's data is never used: don't allocate it.
  lzma2.dict_size = DecoderDictSize(block);
  lzma_filter filters[3];
  std::size_t n = 0;
  if (block.filter == Filter::kX86Lzma2) filters[n++] = {LZMA_FILTER_X86, nullptr};
  filters[n++] = {LZMA_FILTER_LZMA2, &lzma2};
  filters[n] = {LZMA_VLI_UNKNOWN, nullptr};
  if (lzma_raw_decoder(&stream_, filters) != LZMA_OK) {
    return Status::Fail("cannot start the decoder (out of memory?)");
  }
  return {};
}

Status BlockExtractor::OpenNext() {
  while (current_ < file_count_) {
    const Entry& e = files_[current_];
    progress_.OnEntry(e, shared_.done, shared_.total);
    Status st = sink_.BeginFile(e);
    if (!st.ok()) return st;
    open_ = true;
    remaining_ = e.stored_size;
    out_.Begin(e.size);
    decoder_ = tools_.DecoderFor(e.coding);
    if (decoder_) decoder_->Start(out_);
    if (remaining_ > 0) return {};
    st = FinishCurrent();
    if (!st.ok()) return st;
  }
  return {};
}

Status BlockExtractor::FinishCurrent() {
  const Entry& e = files_[current_];
  if (decoder_) {
    Status st = decoder_->End();
    if (!st.ok()) return st;
  }
  if (!out_.complete() || out_.crc() != e.crc32) {
    return Status::Fail(e.coding == Coding::kDeflateRecipe
                            ? "rebuilt file differs from the original: " + e.name
                            : "damaged archive: checksum mismatch in " + e.name);
  }
  Status st = out_.Flush();
  if (st.ok()) st = sink_.EndFile(e);
  if (!st.ok()) return st;
  open_ = false;
  ++current_;
  return {};
}

Status BlockExtractor::Deliver(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    if (current_ >= file_count_) return Status::Fail("damaged archive: more data than its entries");
    const std::size_t take = remaining_ < size ? static_cast<std::size_t>(remaining_) : size;
    Status st = decoder_ ? decoder_->Put(data, take) : out_.Put(data, take);
    if (!st.ok()) return st;
    data += take;
    size -= take;
    remaining_ -= take;
    progress_.OnBytes(shared_.done += take, shared_.total);
    if (remaining_ == 0) {
      st = FinishCurrent();
      if (st.ok()) st = OpenNext();
      if (!st.ok()) return st;
    }
  }
  return {};
}

Status BlockExtractor::Run(const Block& block, const Entry* files) {
  files_ = files;
  file_count_ = block.entry_count;
  Status st = OpenNext();
  if (st.ok() && block.packed_size > 0) st = Start(block);
  std::vector<std::uint8_t> in(kChunk), out(kChunk);
  std::uint64_t packed_left = block.packed_size;
  lzma_ret ret = LZMA_OK;
  while (st.ok() && ret != LZMA_STREAM_END && block.packed_size > 0) {
    // The other lane failed: its error is the one reported.
    if (shared_.stop) st = Status::Fail("stopped");
    if (!st.ok()) break;
    if (stream_.avail_in == 0 && packed_left > 0) {
      const std::size_t want =
          packed_left < kChunk ? static_cast<std::size_t>(packed_left) : kChunk;
      st = ReadExactly(source_, in.data(), want);
      if (!st.ok()) break;
      stream_.next_in = in.data();
      stream_.avail_in = want;
      packed_left -= want;
    }
    stream_.next_out = out.data();
    stream_.avail_out = out.size();
    ret = lzma_code(&stream_, packed_left == 0 ? LZMA_FINISH : LZMA_RUN);
    if (ret != LZMA_OK && ret != LZMA_STREAM_END) {
      st = Status::Fail(ret == LZMA_MEM_ERROR ? "out of memory"
                                              : "damaged archive: bad compressed data");
      break;
    }
    st = Deliver(out.data(), out.size() - stream_.avail_out);
  }
  if (st.ok() && (stream_.avail_in != 0 || packed_left != 0)) {
    st = Status::Fail("damaged archive: compressed block longer than its data");
  }
  if (st.ok() && current_ < file_count_) st = Status::Fail("damaged archive: data ends early");
  if (!st.ok() && open_) sink_.AbandonFile(files_[current_]);
  return st;
}

// The header and table; `data_start` is where block 0 begins.
Status ReadHeadAndTable(ByteSource& source, Table& table, std::uint64_t& data_start) {
  Header header;
  std::uint8_t raw[kHeaderSize];
  Status st = ReadExactly(source, raw, sizeof raw);
  if (st.ok()) st = DecodeHeader(raw, header);
  if (!st.ok()) return st;
  std::vector<std::uint8_t> packed(header.table_packed_size), bytes;
  st = ReadExactly(source, packed.data(), packed.size());
  if (st.ok()) st = UnpackTable(packed, header.table_size, bytes);
  data_start = kHeaderSize + std::uint64_t{header.table_packed_size};
  return st.ok() ? DecodeTable(header, bytes, table) : st;
}

// Nothing may follow the last block.
Status CheckEnd(ByteSource& source) {
  std::uint8_t extra;
  std::size_t got = 0;
  if (!source.Read(&extra, 1, got)) return Status::Fail("cannot read the archive");
  if (got != 0) return Status::Fail("damaged archive: bytes after the last block");
  return {};
}

// Blocks handed out in table order to whichever lane asks next; each lane seeks to its block.
class LaneWork {
 public:
  LaneWork(const Table& table, std::size_t first_file, std::uint64_t data_start, Shared& shared)
      : table_(table), shared_(shared) {
    for (const Block& b : table.blocks) {
      offsets_.push_back(data_start);
      first_files_.push_back(first_file);
      data_start += b.packed_size;
      first_file += b.entry_count;
    }
    end_ = data_start;
  }

  Status Run(ByteSource& source, ExtractSink& sink, ExtractProgress& progress) {
    Status st;
    LaneTools tools(sink, shared_.metered);
    for (std::size_t i = next_++; st.ok() && i < offsets_.size(); i = next_++) {
      if (shared_.stop) break;
      if (!source.Seek(offsets_[i])) {
        st = Status::Fail("cannot read the archive");
        break;
      }
      BlockExtractor extractor(source, tools, progress, shared_);
      st = extractor.Run(table_.blocks[i], table_.entries.data() + first_files_[i]);
    }
    if (!st.ok()) Fail(st);
    return st;
  }
  // The first failure of either lane: the other one stops as soon as it sees it.
  void Fail(const Status& st) {
    bool expected = false;
    if (failing_.compare_exchange_strong(expected, true)) first_error_ = st;
    shared_.stop = true;
  }
  const Status& first_error() const { return first_error_; }
  std::uint64_t end() const { return end_; }

 private:
  const Table& table_;
  Shared& shared_;
  std::vector<std::uint64_t> offsets_;
  std::vector<std::size_t> first_files_;
  std::uint64_t end_ = 0;
  std::atomic<std::size_t> next_{0};
  std::atomic<bool> failing_{false};
  Status first_error_;
};

struct SecondLaneTask {
  LaneWork* work;
  SecondLane* lane;
  static void Run(void* context) {
    auto* self = static_cast<SecondLaneTask*>(context);
    self->work->Run(self->lane->source, self->lane->sink, self->lane->progress);
  }
};

Status ExtractInLanes(ByteSource& source, ExtractSink& sink, ExtractProgress& progress,
                      SecondLane& second, LaneWork& work, Shared& shared) {
  SecondLaneTask task{&work, &second};
  SecondThread thread;
  const bool started = thread.Start(SecondLaneTask::Run, &task);
  work.Run(source, sink, progress);
  if (started) {
    // The other lane may still be on its last block: its bytes keep the progress moving.
    while (!thread.WaitFor(50)) progress.OnBytes(shared.done, shared.total);
    thread.Join();
  }
  if (!work.first_error().ok()) return work.first_error();
  if (!source.Seek(work.end())) return Status::Fail("cannot read the archive");
  return CheckEnd(source);
}

}  // namespace

Status ReadTable(ByteSource& source, Table& table) {
  std::uint64_t data_start = 0;
  return ReadHeadAndTable(source, table, data_start);
}

Status ExtractArchive(ByteSource& source, ExtractSink& sink, ExtractProgress& progress,
                      SecondLane* second) {
  Table table;
  std::uint64_t data_start = 0;
  Status st = ReadHeadAndTable(source, table, data_start);
  if (!st.ok()) return st;
  std::uint64_t archive_size = data_start, stored = 0;
  for (const Block& b : table.blocks) {
    archive_size += b.packed_size;
    stored += b.unpacked_size;
  }
  Shared shared(stored, archive_size);
  std::size_t first_file = 0;
  for (const Entry& e : table.entries) {
    if (e.kind != EntryKind::kDirectory) break;
    progress.OnEntry(e, 0, shared.total);
    st = sink.MakeDirectory(e);
    if (!st.ok()) return st;
    ++first_file;
  }
  // Two lanes need two readers that can go to any block and room for any two dictionaries at
  // once; otherwise one reads on from here.
  if (second != nullptr && table.blocks.size() > 1 && TwoLanesFit(table.blocks) &&
      second->source.Seek(data_start) && source.Seek(data_start)) {
    LaneWork work(table, first_file, data_start, shared);
    return ExtractInLanes(source, sink, progress, *second, work, shared);
  }
  LaneTools tools(sink, shared.metered);
  for (std::size_t i = 0; i < table.blocks.size(); ++i) {
    BlockExtractor extractor(source, tools, progress, shared);
    st = extractor.Run(table.blocks[i], table.entries.data() + first_file);
    if (!st.ok()) return st;
    first_file += table.blocks[i].entry_count;
  }
  return CheckEnd(source);
}

}  // namespace uha
