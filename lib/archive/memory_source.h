// A ByteSource over bytes already in memory.
#pragma once

#include <algorithm>
#include <cstring>

#include "lib/archive/archive_reader.h"

namespace uha {

class MemorySource : public ByteSource {
 public:
  MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Read(void* buffer, std::size_t want, std::size_t& got) override {
    got = std::min(want, size_ - pos_);
    if (got > 0) std::memcpy(buffer, data_ + pos_, got);
    pos_ += got;
    return true;
  }
  bool Seek(std::uint64_t offset) override {
    if (offset > size_) return false;
    pos_ = static_cast<std::size_t>(offset);
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace uha
