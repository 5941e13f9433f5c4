#include "uhapack/payload_measure.h"

#include <zlib.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "lib/product/payload_record.h"
#include "lib/archive/memory_source.h"

namespace uha {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

Status ReadWhole(const std::string& path, std::vector<std::uint8_t>& bytes) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  if (!f) return Status::Fail("cannot open " + path);
  std::uint8_t chunk[1 << 16];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (std::ferror(f.get())) return Status::Fail("cannot read " + path);
  return {};
}

// Counts what extraction writes, and what gunzip makes of each library the completion expands.
class SizingSink : public ExtractSink {
 public:
  ~SizingSink() override { EndStream(); }

  Status MakeDirectory(const Entry&) override { return {}; }
  Status BeginFile(const Entry& entry) override {
    unpacked_ += entry.size;
    if (!kelvamo::ExpandedAtCompletion(entry.name)) return {};
    stream_ = std::make_unique<z_stream>();
    if (inflateInit2(stream_.get(), 16 + MAX_WBITS) != Z_OK) {
      stream_.reset();
      return Status::Fail("cannot start gunzip for " + entry.name);
    }
    ended_ = false;
    return {};
  }
  Status Write(const std::uint8_t* data, std::size_t size) override {
    if (!stream_) return {};
    stream_->next_in = const_cast<std::uint8_t*>(data);
    stream_->avail_in = static_cast<uInt>(size);
    while (stream_->avail_in > 0) {
      // A stream that has ended and goes on is the next member of a multi-member gzip file.
      if (ended_ && inflateReset(stream_.get()) != Z_OK) return Status::Fail("gunzip reset");
      ended_ = false;
      std::uint8_t out[1 << 16];
      stream_->next_out = out;
      stream_->avail_out = sizeof out;
      const int result = inflate(stream_.get(), Z_NO_FLUSH);
      expanded_ += sizeof out - stream_->avail_out;
      if (result == Z_STREAM_END) {
        ended_ = true;
      } else if (result != Z_OK) {
        return Status::Fail("not a whole gzip stream");
      }
    }
    return {};
  }
  Status EndFile(const Entry& entry) override {
    const bool whole = !stream_ || ended_;
    EndStream();
    return whole ? Status{} : Status::Fail("not a whole gzip stream: " + entry.name);
  }
  void AbandonFile(const Entry&) override { EndStream(); }

  std::uint64_t Unpacked() const { return unpacked_; }
  std::uint64_t Expanded() const { return expanded_; }

 private:
  void EndStream() {
    if (stream_) inflateEnd(stream_.get());
    stream_.reset();
  }

  std::unique_ptr<z_stream> stream_;
  bool ended_ = false;
  std::uint64_t unpacked_ = 0;
  std::uint64_t expanded_ = 0;
};

}  // namespace

Status MeasurePayload(const std::string& archive, const std::string& extractor,
                      kelvamo::PayloadFacts& facts) {
  std::vector<std::uint8_t> archiveBytes, extractorBytes;
  Status st = ReadWhole(archive, archiveBytes);
  if (st.ok()) st = ReadWhole(extractor, extractorBytes);
  if (!st.ok()) return st;
  MemorySource source(archiveBytes.data(), archiveBytes.size());
  SizingSink sizes;
  NoProgress quiet;
  st = ExtractArchive(source, sizes, quiet);
  if (!st.ok()) return st;
  facts.archive_crc32 = kelvamo::PayloadCrc32(archiveBytes.data(), archiveBytes.size());
  facts.extractor_crc32 = kelvamo::PayloadCrc32(extractorBytes.data(), extractorBytes.size());
  facts.archive_bytes = archiveBytes.size();
  facts.extractor_bytes = extractorBytes.size();
  facts.unpacked_bytes = sizes.Unpacked();
  facts.expanded_bytes = sizes.Expanded();
  return {};
}

}  // namespace uha
