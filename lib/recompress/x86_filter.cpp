#include "lib/recompress/x86_filter.h"

#include <algorithm>
#include <cstring>

#include "lib/archive/le_bytes.h"

namespace uha {

std::size_t X86Convert(std::uint8_t* data, std::size_t size, std::uint32_t offset, bool encode) {
  std::size_t i = 0;
  for (; size - i >= 5; ++i) {
    if ((data[i] & 0xFE) != 0xE8) continue;
    std::uint8_t* operand = data + i + 1;
    if (operand[3] == 0x00 || operand[3] == 0xFF) {
      const std::uint32_t end = offset + static_cast<std::uint32_t>(i) + 5;
      std::uint32_t v = Get32(operand);
      v = (encode ? v + end : v - end) & 0x01FFFFFF;
      if (v & 0x01000000) v |= 0xFE000000;
      Put32(operand, v);
    }
    i += 4;
  }
  return i;
}

void X86Decoder::Start(ByteSink& out) {
  out_ = &out;
  have_ = 0;
  offset_ = 0;
}

Status X86Decoder::Put(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const std::size_t take = std::min(size, buf_.size() - have_);
    std::memcpy(buf_.data() + have_, data, take);
    have_ += take;
    data += take;
    size -= take;
    const std::size_t done = X86Convert(buf_.data(), have_, offset_, false);
    Status st = out_->Put(buf_.data(), done);
    if (!st.ok()) return st;
    std::memmove(buf_.data(), buf_.data() + done, have_ - done);
    have_ -= done;
    offset_ += static_cast<std::uint32_t>(done);
  }
  return {};
}

Status X86Decoder::End() {
  Status st = out_->Put(buf_.data(), have_);
  have_ = 0;
  offset_ = 0;
  return st;
}

}  // namespace uha
