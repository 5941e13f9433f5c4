#include "lib/archive/archive_reader.h"

#include <lzma.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "lib/archive/deflate_recipe.h"
#include "lib/archive/x86_filter.h"

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

// The file being written: counts and checks what reaches the sink.
class FileOutput : public ByteSink {
 public:
  explicit FileOutput(ExtractSink& sink) : sink_(sink) {}
  void Begin(std::uint64_t size) {
    left_ = size;
    crc_ = 0;
  }
  Status Put(const std::uint8_t* data, std::size_t size) override {
    if (size > left_) return Status::Fail("damaged archive: rebuilt file longer than its entry");
    Status st = sink_.Write(data, size);
    if (!st.ok()) return st;
    crc_ = Crc32(data, size, crc_);
    left_ -= size;
    return {};
  }
  bool complete() const { return left_ == 0; }
  std::uint32_t crc() const { return crc_; }

 private:
  ExtractSink& sink_;
  std::uint64_t left_ = 0;
  std::uint32_t crc_ = 0;
};

// Decodes one block, handing each file's bytes to the sink in table order; recipes are turned
// back into the original bytes on the way.
class BlockExtractor {
 public:
  BlockExtractor(ByteSource& source, ExtractSink& sink, ExtractProgress& progress,
                 std::uint64_t total)
      : source_(source), sink_(sink), progress_(progress), total_(total), out_(sink) {}
  ~BlockExtractor() { lzma_end(&stream_); }

  Status Run(const Block& block, const Entry* files, std::uint64_t& done);

 private:
  Status Start(const Block& block);
  Status Deliver(const std::uint8_t* data, std::size_t size, std::uint64_t& done);
  Status OpenNext(std::uint64_t done);
  Status FinishCurrent();

  ByteSource& source_;
  ExtractSink& sink_;
  ExtractProgress& progress_;
  const std::uint64_t total_;
  lzma_stream stream_ = LZMA_STREAM_INIT;
  const Entry* files_ = nullptr;
  std::size_t file_count_ = 0;
  std::size_t current_ = 0;      // index of the file being written
  std::uint64_t remaining_ = 0;  // stored bytes still due to that file
  FileOutput out_;
  std::optional<RecipeDecoder> recipe_;
  std::optional<X86Decoder> x86_;
  bool open_ = false;
};

Status BlockExtractor::Start(const Block& block) {
  lzma_options_lzma lzma2 = {};
  // A dictionary larger than the block's data is never used: don't allocate it.
  lzma2.dict_size = static_cast<std::uint32_t>(std::max<std::uint64_t>(
      kMinDictSize, std::min<std::uint64_t>(block.dict_size, block.unpacked_size)));
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

Status BlockExtractor::OpenNext(std::uint64_t done) {
  while (current_ < file_count_) {
    const Entry& e = files_[current_];
    progress_.OnEntry(e, done, total_);
    Status st = sink_.BeginFile(e);
    if (!st.ok()) return st;
    open_ = true;
    remaining_ = e.stored_size;
    out_.Begin(e.size);
    if (e.coding == Coding::kDeflateRecipe) recipe_.emplace(out_);
    if (e.coding == Coding::kX86 && !x86_) x86_.emplace(out_);
    if (remaining_ > 0) return {};
    st = FinishCurrent();
    if (!st.ok()) return st;
  }
  return {};
}

Status BlockExtractor::FinishCurrent() {
  const Entry& e = files_[current_];
  if (e.coding == Coding::kX86) {
    Status st = x86_->End();
    if (!st.ok()) return st;
  }
  if (recipe_) {
    Status st = recipe_->End();
    recipe_.reset();
    if (!st.ok()) return st;
    if (!out_.complete() || out_.crc() != e.crc32)
      return Status::Fail("rebuilt file differs from the original: " + e.name);
  }
  if (!out_.complete() || out_.crc() != e.crc32)
    return Status::Fail("damaged archive: checksum mismatch in " + e.name);
  Status st = sink_.EndFile(e);
  if (!st.ok()) return st;
  open_ = false;
  ++current_;
  return {};
}

Status BlockExtractor::Deliver(const std::uint8_t* data, std::size_t size, std::uint64_t& done) {
  while (size > 0) {
    if (current_ >= file_count_) return Status::Fail("damaged archive: more data than its entries");
    const std::size_t take = remaining_ < size ? static_cast<std::size_t>(remaining_) : size;
    const Coding coding = files_[current_].coding;
    Status st = coding == Coding::kDeflateRecipe ? recipe_->Put(data, take)
                : coding == Coding::kX86         ? x86_->Put(data, take)
                                                 : out_.Put(data, take);
    if (!st.ok()) return st;
    data += take;
    size -= take;
    remaining_ -= take;
    done += take;
    progress_.OnBytes(done, total_);
    if (remaining_ == 0) {
      st = FinishCurrent();
      if (st.ok()) st = OpenNext(done);
      if (!st.ok()) return st;
    }
  }
  return {};
}

Status BlockExtractor::Run(const Block& block, const Entry* files, std::uint64_t& done) {
  files_ = files;
  file_count_ = block.entry_count;
  Status st = OpenNext(done);
  if (st.ok() && block.packed_size > 0) st = Start(block);
  std::vector<std::uint8_t> in(kChunk), out(kChunk);
  std::uint64_t packed_left = block.packed_size;
  lzma_ret ret = LZMA_OK;
  while (st.ok() && ret != LZMA_STREAM_END && block.packed_size > 0) {
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
    st = Deliver(out.data(), out.size() - stream_.avail_out, done);
  }
  if (st.ok() && (stream_.avail_in != 0 || packed_left != 0)) {
    st = Status::Fail("damaged archive: compressed block longer than its data");
  }
  if (st.ok() && current_ < file_count_) st = Status::Fail("damaged archive: data ends early");
  if (!st.ok() && open_) sink_.AbandonFile(files_[current_]);
  return st;
}

}  // namespace

Status ReadTable(ByteSource& source, Table& table) {
  std::uint8_t raw[kHeaderSize];
  Status st = ReadExactly(source, raw, sizeof raw);
  Header header;
  if (st.ok()) st = DecodeHeader(raw, header);
  if (!st.ok()) return st;
  std::vector<std::uint8_t> packed(header.table_packed_size), bytes;
  st = ReadExactly(source, packed.data(), packed.size());
  if (st.ok()) st = UnpackTable(packed, header.table_size, bytes);
  return st.ok() ? DecodeTable(header, bytes, table) : st;
}

Status ExtractArchive(ByteSource& source, ExtractSink& sink, ExtractProgress& progress) {
  Table table;
  Status st = ReadTable(source, table);
  if (!st.ok()) return st;
  std::uint64_t total = 0;
  std::size_t first_file = 0;
  for (const Block& b : table.blocks) total += b.unpacked_size;
  for (const Entry& e : table.entries) {
    if (e.kind != EntryKind::kDirectory) break;
    progress.OnEntry(e, 0, total);
    st = sink.MakeDirectory(e);
    if (!st.ok()) return st;
    ++first_file;
  }
  std::uint64_t done = 0;
  for (const Block& b : table.blocks) {
    BlockExtractor extractor(source, sink, progress, total);
    st = extractor.Run(b, table.entries.data() + first_file, done);
    if (!st.ok()) return st;
    first_file += b.entry_count;
  }
  std::uint8_t extra;
  std::size_t got = 0;
  if (!source.Read(&extra, 1, got)) return Status::Fail("cannot read the archive");
  if (got != 0) return Status::Fail("damaged archive: bytes after the last block");
  return {};
}

}  // namespace uha
