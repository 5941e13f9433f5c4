// x86 code with the targets of its relative calls and jumps (E8, E9) made absolute, so that the
// many calls of one function look alike to LZMA. Each file is converted on its own from offset 0:
// over a solid stream of many files, absolute positions would break the matches between copies of
// the same code in different files.
//
// Every E8 or E9 byte with four bytes after it starts an operand, and the scan goes on after the
// operand whether or not it was converted: the decision rests on the opcode byte alone, which the
// converted stream keeps, so the decoder always finds the same operands. Operands whose top byte
// is 00 or FF (within 16 MiB of the call) get the call's end offset added modulo 2^25, which
// keeps their top byte 00 or FF; the others stay as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lib/recompress/decoding_sink.h"

namespace uha {

// Converts `data` in place, `offset` being the file offset of data[0]. Returns how many bytes at
// the front are done; the rest (under 5 bytes) is converted once more data follows it, or stays
// as it is at the end of the file.
std::size_t X86Convert(std::uint8_t* data, std::size_t size, std::uint32_t offset, bool encode);

// Undoes the conversion of one file handed over in pieces of any size.
class X86Decoder : public DecodingSink {
 public:
  X86Decoder() : buf_(1u << 16) {}
  explicit X86Decoder(ByteSink& out) : X86Decoder() { Start(out); }
  void Start(ByteSink& out) override;
  Status Put(const std::uint8_t* data, std::size_t size) override;
  // Passes on the last bytes, which never start an operand.
  Status End() override;

 private:
  ByteSink* out_ = nullptr;
  std::vector<std::uint8_t> buf_;
  std::size_t have_ = 0;
  std::uint32_t offset_ = 0;  // of buf_[0] in the file
};

}  // namespace uha
