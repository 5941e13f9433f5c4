// The per-file x86 conversion: whatever the bytes and however the decoder is handed them, it gives
// the file back, and it does change real code.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "lib/recompress/x86_filter.h"

using Bytes = std::vector<std::uint8_t>;

namespace {

class Collect : public uha::ByteSink {
 public:
  uha::Status Put(const std::uint8_t* data, std::size_t size) override {
    bytes.insert(bytes.end(), data, data + size);
    return {};
  }
  Bytes bytes;
};

Bytes Decode(const Bytes& converted, std::size_t piece) {
  Collect out;
  uha::X86Decoder decoder(out);
  for (std::size_t at = 0; at < converted.size(); at += piece) {
    const std::size_t n = std::min(piece, converted.size() - at);
    EXPECT_TRUE(decoder.Put(converted.data() + at, n).ok());
  }
  EXPECT_TRUE(decoder.End().ok());
  return out.bytes;
}

}  // namespace

TEST(X86Filter, EveryFileComesBackHoweverItIsHandedOver) {
  std::mt19937 rng(7);
  Bytes noise(300000);
  for (auto& b : noise) b = static_cast<std::uint8_t>(rng() % 4 == 0 ? 0xE8 : rng());
  std::ifstream in("/bin/true", std::ios::binary);
  const Bytes program{std::istreambuf_iterator<char>(in), {}};
  const struct {
    const char* name;
    Bytes data;
  } files[] = {
      {"empty", {}},
      {"opcode at the end", {0x90, 0xE8, 0x00, 0x00, 0x00}},
      {"call just fitting", {0xE8, 0x10, 0x00, 0x00, 0xFF}},
      {"calls back to back", {0xE8, 0xE8, 0xE8, 0xE8, 0xFF, 0xE9, 0, 0, 0, 0, 0xE8}},
      {"far operand", {0xE9, 1, 2, 3, 4, 0xE8, 0xFB, 0xFF, 0xFF, 0xFF}},
      {"opcodes and noise", noise},
      {"a program", program},
  };
  for (const auto& f : files) {
    Bytes converted = f.data;
    uha::X86Convert(converted.data(), converted.size(), 0, true);
    for (std::size_t piece : {1, 3, 4096, 1 << 20})
      EXPECT_EQ(Decode(converted, piece), f.data) << f.name << " in pieces of " << piece;
  }
  Bytes converted = program;
  uha::X86Convert(converted.data(), converted.size(), 0, true);
  EXPECT_NE(converted, program);
}
