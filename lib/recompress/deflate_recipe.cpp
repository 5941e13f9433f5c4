#include "lib/recompress/deflate_recipe.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "lib/archive/le_bytes.h"

namespace uha {
namespace {

constexpr std::size_t kSlice = 1u << 16;

// PNG's own limit on a chunk's length.
constexpr std::uint32_t kMaxChunk = 0x7FFFFFFF;

Status Bad(const char* what) { return Status::Fail(std::string("damaged archive: ") + what); }

void AppendStream(std::vector<std::uint8_t>& recipe, std::uint8_t tag, const DeflateParams& params,
                  const IdatLayout* layout, const std::vector<std::uint8_t>& inflated,
                  std::uint64_t deflated_size) {
  std::uint8_t head[kIdatHeadSize] = {tag, params.level, params.mem_level, params.window_bits,
                                      params.strategy};
  Put64(head + 5, inflated.size());
  Put64(head + 13, deflated_size);
  std::size_t size = kDeflateHeadSize;
  if (layout) {
    head[21] = layout->zlib_head[0];
    head[22] = layout->zlib_head[1];
    Put32(head + 23, layout->chunk_size);
    size = kIdatHeadSize;
  }
  recipe.insert(recipe.end(), head, head + size);
  recipe.insert(recipe.end(), inflated.begin(), inflated.end());
}

}  // namespace

bool ParamsValid(const DeflateParams& p) {
  return p.level >= 1 && p.level <= 9 && p.mem_level >= 1 && p.mem_level <= 9 &&
         p.window_bits >= 9 && p.window_bits <= 15 && p.strategy <= Z_FIXED;
}

WorkShape ZlibWork(const DeflateParams& p) {
  // zlib's levels are the model's first nine parameter sets, in trial order: 6, 9, 1 to 5, 7, 8.
  const int level = p.level;
  const int set = level == 6 ? 0 : level == 9 ? 1 : level <= 5 ? level + 1 : level;
  WorkShape shape = ModelWork(deflate::ParamSet(set));
  shape.hash_bits = static_cast<std::uint8_t>(p.mem_level + 7);
  shape.window = 1u << std::min<unsigned>(p.window_bits, 15);
  shape.chains = p.strategy != Z_HUFFMAN_ONLY && p.strategy != Z_RLE;
  return shape;
}

void AppendRaw(std::vector<std::uint8_t>& recipe, const std::uint8_t* data, std::size_t size) {
  if (size == 0) return;
  std::uint8_t head[kRawHeadSize] = {kRecipeRaw};
  Put64(head + 1, size);
  recipe.insert(recipe.end(), head, head + sizeof head);
  recipe.insert(recipe.end(), data, data + size);
}

void AppendDeflate(std::vector<std::uint8_t>& recipe, const DeflateParams& params,
                   const std::vector<std::uint8_t>& inflated, std::uint64_t deflated_size) {
  AppendStream(recipe, kRecipeDeflate, params, nullptr, inflated, deflated_size);
}

void AppendIdat(std::vector<std::uint8_t>& recipe, const DeflateParams& params,
                const IdatLayout& layout, const std::vector<std::uint8_t>& inflated,
                std::uint64_t deflated_size) {
  AppendStream(recipe, kRecipePngIdat, params, &layout, inflated, deflated_size);
}

void AppendModel(std::vector<std::uint8_t>& recipe, const ModelledStream& stream) {
  std::uint8_t head[kModelHeadSize] = {kRecipeModel};
  Put64(head + 1, stream.inflated.size());
  Put64(head + 9, stream.deflated_size);
  Put32(head + 17, static_cast<std::uint32_t>(stream.record.size()));
  recipe.insert(recipe.end(), head, head + sizeof head);
  recipe.insert(recipe.end(), stream.record.begin(), stream.record.end());
  recipe.insert(recipe.end(), stream.inflated.begin(), stream.inflated.end());
}

void IdatFramer::Start(ByteSink& out, std::uint32_t chunk_size, std::uint64_t total) {
  out_ = &out;
  chunk_size_ = chunk_size;
  chunk_left_ = 0;
  total_left_ = total;
}

Status IdatFramer::Put(const std::uint8_t* data, std::size_t size) {
  static const std::uint8_t kType[4] = {'I', 'D', 'A', 'T'};
  while (size > 0) {
    Status st;
    if (chunk_left_ == 0) {
      if (total_left_ == 0) return Bad("rebuilt image data longer than recorded");
      chunk_left_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(chunk_size_, total_left_));
      total_left_ -= chunk_left_;
      std::uint8_t head[8];
      PutBe32(head, chunk_left_);
      std::memcpy(head + 4, kType, 4);
      crc_ = static_cast<std::uint32_t>(crc32(0, kType, 4));
      st = out_->Put(head, sizeof head);
      if (!st.ok()) return st;
    }
    const std::size_t take = std::min<std::size_t>(size, chunk_left_);
    st = out_->Put(data, take);
    if (!st.ok()) return st;
    crc_ = static_cast<std::uint32_t>(crc32(crc_, data, static_cast<uInt>(take)));
    chunk_left_ -= static_cast<std::uint32_t>(take);
    data += take;
    size -= take;
    if (chunk_left_ == 0) {
      std::uint8_t crc[4];
      PutBe32(crc, crc_);
      st = out_->Put(crc, sizeof crc);
      if (!st.ok()) return st;
    }
  }
  return {};
}

Redeflater::Redeflater() : z_(new z_stream{}), in_(kSlice), buf_(kSlice) {}

Redeflater::~Redeflater() {
  if (live_) deflateEnd(z_);
  delete z_;
}

// zlib's state is kept from stream to stream while its sizes (window and memory level) stay the
// same: a reset costs a fraction of making it anew. On a stream not yet fed, deflateParams only
// sets the level and strategy, so the output is what a fresh state with those settings gives.
Status Redeflater::Start(const DeflateParams& params, ByteSink& out) {
  if (!ParamsValid(params)) return Bad("deflate settings out of range");
  const bool reuse = live_ && sizes_.window_bits == params.window_bits &&
                     sizes_.mem_level == params.mem_level;
  if (reuse) {
    if (deflateReset(z_) != Z_OK || deflateParams(z_, params.level, params.strategy) != Z_OK)
      return Status::Fail("deflate failed");
  } else {
    if (live_) deflateEnd(z_);
    live_ = false;
    *z_ = z_stream{};
    if (deflateInit2(z_, params.level, Z_DEFLATED, -params.window_bits, params.mem_level,
                     params.strategy) != Z_OK) {
      return Status::Fail("cannot start deflate (out of memory?)");
    }
    live_ = true;
    sizes_ = params;
  }
  out_ = &out;
  filled_ = 0;
  return {};
}

Status Redeflater::Run(int flush) {
  z_->next_in = in_.data();
  z_->avail_in = static_cast<uInt>(filled_);
  filled_ = 0;
  while (true) {
    z_->next_out = buf_.data();
    z_->avail_out = static_cast<uInt>(buf_.size());
    const int ret = ::deflate(z_, flush);
    if (ret != Z_OK && ret != Z_STREAM_END) return Status::Fail("deflate failed");
    Status st = out_->Put(buf_.data(), buf_.size() - z_->avail_out);
    if (!st.ok()) return st;
    if (ret == Z_STREAM_END || (flush == Z_NO_FLUSH && z_->avail_out != 0)) return {};
  }
}

Status Redeflater::Feed(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const std::size_t take = std::min(size, kSlice - filled_);
    std::memcpy(in_.data() + filled_, data, take);
    filled_ += take;
    data += take;
    size -= take;
    if (filled_ == kSlice) {
      Status st = Run(Z_NO_FLUSH);
      if (!st.ok()) return st;
    }
  }
  return {};
}

Status Redeflater::Finish() { return Run(Z_FINISH); }

Status RecipeDecoder::Counted::Put(const std::uint8_t* data, std::size_t size) {
  if (size > left) return Bad("rebuilt deflate stream longer than recorded");
  left -= size;
  return out->Put(data, size);
}

void RecipeDecoder::Start(ByteSink& out) {
  out_ = &out;
  phase_ = Phase::kTag;
  record_.clear();
  sized_ = false;
}

Status RecipeDecoder::HeadDone() {
  if (head_[0] == kRecipeRaw) {
    left_ = Get64(head_ + 1);
    phase_ = left_ == 0 ? Phase::kTag : Phase::kRaw;
    return {};
  }
  if (head_[0] == kRecipeModel) return ModelHeadDone();
  const DeflateParams params{head_[1], head_[2], head_[3], head_[4]};
  if (!ParamsValid(params)) return Bad("deflate settings out of range");
  if (sized_ && (params.window_bits != file_sizes_.window_bits ||
                 params.mem_level != file_sizes_.mem_level)) {
    return Bad("deflate records of one file with different sizes");
  }
  file_sizes_ = params;
  sized_ = true;
  left_ = Get64(head_ + 5);
  if (left_ < kMinRecordInflated || left_ > kMaxRecordInflated)
    return Bad("deflate stream size out of range");
  counted_.left = Get64(head_ + 13);
  counted_.out = out_;
  Status st;
  if (head_[0] == kRecipePngIdat) {
    const std::uint32_t chunk_size = Get32(head_ + 23);
    // The zlib stream adds 6 bytes to the deflate data; beyond 2^62 no entry could hold it.
    if (chunk_size == 0 || chunk_size > kMaxChunk || counted_.left > (std::uint64_t{1} << 62))
      return Bad("image data layout out of range");
    framer_.Start(*out_, chunk_size, counted_.left + 6);
    adler_ = static_cast<std::uint32_t>(adler32(0, nullptr, 0));
    counted_.out = &framer_;
    st = framer_.Put(head_ + 21, 2);
  }
  if (st.ok()) st = deflater_.Start(params, counted_);
  if (budget_) meter_.Start(ZlibWork(params));
  phase_ = Phase::kInflated;
  return st;
}

// The record is gathered whole (it is bounded) before the model starts on the inflated bytes.
Status RecipeDecoder::ModelHeadDone() {
  left_ = Get64(head_ + 1);
  counted_.left = Get64(head_ + 9);
  counted_.out = out_;
  record_need_ = Get32(head_ + 17);
  if (left_ < kMinRecordInflated || left_ > kMaxRecordInflated)
    return Bad("deflate stream size out of range");
  if (record_need_ == 0 || record_need_ > kMaxModelRecord)
    return Bad("deflate record size out of range");
  record_.clear();
  phase_ = Phase::kRecord;
  return {};
}

// The work is paid before the engine does it.
Status RecipeDecoder::Spend(std::uint64_t units) {
  return budget_->Spend(units) ? Status{}
                                : Bad("too much rebuilding work for its size");
}

Status RecipeDecoder::StreamDone() {
  Status st = budget_ ? Spend(meter_.Finish()) : Status{};
  if (st.ok()) st = head_[0] == kRecipeModel ? model_.Finish() : deflater_.Finish();
  if (st.ok() && counted_.left != 0) return Bad("rebuilt deflate stream shorter than recorded");
  if (st.ok() && head_[0] == kRecipePngIdat) {
    std::uint8_t sum[4];
    PutBe32(sum, adler_);
    st = framer_.Put(sum, sizeof sum);
    if (st.ok() && !framer_.done()) st = Bad("rebuilt image data shorter than recorded");
  }
  phase_ = Phase::kTag;
  return st;
}

Status RecipeDecoder::Put(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    Status st;
    std::size_t take = 1;
    switch (phase_) {
      case Phase::kTag:
        if (*data > kRecipeModel) return Bad("unknown recipe record");
        head_[0] = *data;
        head_have_ = 1;
        head_need_ = *data == kRecipeRaw       ? kRawHeadSize
                     : *data == kRecipeDeflate ? kDeflateHeadSize
                     : *data == kRecipeModel   ? kModelHeadSize
                                               : kIdatHeadSize;
        phase_ = Phase::kHead;
        break;
      case Phase::kHead:
        take = std::min(size, head_need_ - head_have_);
        std::memcpy(head_ + head_have_, data, take);
        head_have_ += take;
        if (head_have_ == head_need_) st = HeadDone();
        break;
      case Phase::kRaw:
        take = static_cast<std::size_t>(std::min<std::uint64_t>(size, left_));
        st = out_->Put(data, take);
        left_ -= take;
        if (left_ == 0) phase_ = Phase::kTag;
        break;
      case Phase::kRecord:
        take = std::min(size, record_need_ - record_.size());
        record_.insert(record_.end(), data, data + take);
        if (record_.size() == record_need_) {
          st = model_.Start(record_.data(), record_.size(), left_, counted_);
          if (st.ok() && budget_) meter_.Start(ModelWork(model_.params()));
          phase_ = Phase::kInflated;
        }
        break;
      case Phase::kInflated:
        take = static_cast<std::size_t>(std::min<std::uint64_t>(size, left_));
        if (budget_) st = Spend(meter_.Feed(data, take));
        if (st.ok())
          st = head_[0] == kRecipeModel ? model_.Feed(data, take) : deflater_.Feed(data, take);
        if (head_[0] == kRecipePngIdat)
          adler_ = static_cast<std::uint32_t>(adler32(adler_, data, static_cast<uInt>(take)));
        left_ -= take;
        if (st.ok() && left_ == 0) st = StreamDone();
        break;
    }
    if (!st.ok()) return st;
    data += take;
    size -= take;
  }
  return {};
}

Status RecipeDecoder::End() {
  return phase_ == Phase::kTag ? Status{} : Bad("recipe cut short");
}

}  // namespace uha
