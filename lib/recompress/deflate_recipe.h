// Deflate streams carried inflated. A file whose deflate streams are rebuilt exactly is stored as a
// recipe: its other bytes as they are, each such stream as its inflated data and either the zlib
// settings that give the original bytes back or the record of our own model (deflate_model.h).
// Packer and extractor deflate through the same loop over the same zlib build, so the extractor
// writes exactly what the packer checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lib/recompress/decoding_sink.h"
#include "lib/recompress/deflate_model.h"
#include "lib/recompress/rebuild_work.h"

struct z_stream_s;

namespace uha {

struct DeflateParams {
  std::uint8_t level = 6;         // 1 to 9
  std::uint8_t mem_level = 8;     // 1 to 9
  std::uint8_t window_bits = 15;  // 9 to 15, raw deflate
  std::uint8_t strategy = 0;      // zlib's Z_DEFAULT_STRATEGY (0) to Z_FIXED (4)
};

bool ParamsValid(const DeflateParams& params);
// How zlib searches with these settings, for the estimate of rebuild_work.h.
WorkShape ZlibWork(const DeflateParams& params);

// Recipe records, each a tag and little-endian fields, back to back until the stored size ends:
//   raw:     tag 0, u64 size, then the bytes
//   deflate: tag 1, level, mem_level, window_bits, strategy, u64 inflated size, u64 deflated size,
//            then the inflated bytes
//   png idat: tag 2, the deflate fields, then 2 zlib header bytes and u32 chunk size, then the
//            inflated bytes; gives the IDAT chunks of a PNG image (see IdatLayout)
//   model:   tag 3, u64 inflated size, u64 deflated size, u32 record size, the model's record,
//            then the inflated bytes
// A stream record inflates to at least kMinRecordInflated bytes, and the deflate and png idat
// records of one file share one window and memory level: setting up an engine for a stream must
// not cost more than the stream, whatever an archive holds (zlib's state is only reset between
// records of the same sizes; other sizes make it anew).
constexpr std::uint8_t kRecipeRaw = 0;
constexpr std::uint8_t kRecipeDeflate = 1;
constexpr std::uint8_t kRecipePngIdat = 2;
constexpr std::uint8_t kRecipeModel = 3;
constexpr std::size_t kRawHeadSize = 9;
constexpr std::size_t kDeflateHeadSize = 21;
constexpr std::size_t kIdatHeadSize = kDeflateHeadSize + 6;
constexpr std::size_t kModelHeadSize = 21;
constexpr std::uint64_t kMinRecordInflated = 512;
// Nor to more than the packer inflates.
constexpr std::uint64_t kMaxRecordInflated = kModelMaxInflated;
// The extractor holds a model record whole while its stream is rebuilt.
constexpr std::uint32_t kMaxModelRecord = 1u << 20;

// How a PNG image's zlib stream (header, deflate data, Adler-32) is cut into IDAT chunks: every
// chunk holds chunk_size bytes of it but the last, which holds the rest (1 to chunk_size bytes).
struct IdatLayout {
  std::uint8_t zlib_head[2] = {0x78, 0xDA};
  std::uint32_t chunk_size = 8192;  // 1 to 2^31 - 1, PNG's limit
};

void AppendRaw(std::vector<std::uint8_t>& recipe, const std::uint8_t* data, std::size_t size);
void AppendDeflate(std::vector<std::uint8_t>& recipe, const DeflateParams& params,
                   const std::vector<std::uint8_t>& inflated, std::uint64_t deflated_size);
void AppendIdat(std::vector<std::uint8_t>& recipe, const DeflateParams& params,
                const IdatLayout& layout, const std::vector<std::uint8_t>& inflated,
                std::uint64_t deflated_size);
void AppendModel(std::vector<std::uint8_t>& recipe, const ModelledStream& stream);

// Deflates in fixed input and output slices: zlib's output may depend on how its input arrives,
// so both sides feed it the same way whatever sizes their callers hand over.
class Redeflater {
 public:
  Redeflater();
  ~Redeflater();
  Redeflater(const Redeflater&) = delete;
  Redeflater& operator=(const Redeflater&) = delete;

  Status Start(const DeflateParams& params, ByteSink& out);
  Status Feed(const std::uint8_t* data, std::size_t size);
  Status Finish();

 private:
  Status Run(int flush);

  z_stream_s* z_;
  bool live_ = false;
  DeflateParams sizes_;  // the live state's window and memory level
  ByteSink* out_ = nullptr;
  std::vector<std::uint8_t> in_, buf_;
  std::size_t filled_ = 0;
};

// Frames a zlib stream as PNG IDAT chunks: length, type, data, CRC-32 of type and data.
class IdatFramer : public ByteSink {
 public:
  // `total` bytes of zlib stream will come, cut as `chunk_size` says.
  void Start(ByteSink& out, std::uint32_t chunk_size, std::uint64_t total);
  Status Put(const std::uint8_t* data, std::size_t size) override;
  bool done() const { return total_left_ == 0 && chunk_left_ == 0; }

 private:
  ByteSink* out_ = nullptr;
  std::uint32_t chunk_size_ = 1, chunk_left_ = 0, crc_ = 0;
  std::uint64_t total_left_ = 0;
};

// Turns a recipe, handed over in pieces of any size, back into the original bytes. Its engines
// (zlib's state, the model) are kept from record to record and from file to file.
class RecipeDecoder : public DecodingSink {
 public:
  RecipeDecoder() = default;
  explicit RecipeDecoder(ByteSink& out) { Start(out); }
  void Start(ByteSink& out) override;
  Status Put(const std::uint8_t* data, std::size_t size) override;
  // The recipe must end on a record boundary.
  Status End() override;
  // Every stream rebuilt from here on spends its estimated work from `budget` (shared by the
  // lanes of one extraction); none: no limit.
  void SetBudget(WorkBudget* budget) { budget_ = budget; }

 private:
  class Counted : public ByteSink {
   public:
    Status Put(const std::uint8_t* data, std::size_t size) override;
    ByteSink* out = nullptr;
    std::uint64_t left = 0;  // bytes the stream being rebuilt may still produce
  };
  enum class Phase { kTag, kHead, kRaw, kRecord, kInflated };

  Status HeadDone();
  Status ModelHeadDone();
  Status StartStream();
  Status StreamDone();
  Status Spend(std::uint64_t units);

  ByteSink* out_ = nullptr;
  Counted counted_;
  IdatFramer framer_;
  Redeflater deflater_;
  ModelRebuilder model_;
  WorkMeter meter_;
  WorkBudget* budget_ = nullptr;
  std::vector<std::uint8_t> record_;
  std::size_t record_need_ = 0;
  DeflateParams file_sizes_;  // window and memory level of the file's first zlib record
  bool sized_ = false;
  std::uint32_t adler_ = 1;  // of the inflated bytes of an IDAT record
  Phase phase_ = Phase::kTag;
  std::uint8_t head_[kIdatHeadSize] = {};
  std::size_t head_have_ = 0, head_need_ = 0;
  std::uint64_t left_ = 0;  // bytes left in the current raw run or inflated stream
};

}  // namespace uha
