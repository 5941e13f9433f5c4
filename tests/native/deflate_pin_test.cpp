// zlib's deflate output pinned for a spread of settings. The extractor deflates on Windows what
// the packer checked on Linux, so this runs in both builds against the same numbers.
#include <gtest/gtest.h>

#include <iterator>

#include "lib/archive/uha_format.h"
#include "lib/recompress/deflate_recipe.h"

namespace {

class Checksum : public uha::ByteSink {
 public:
  uha::Status Put(const std::uint8_t* data, std::size_t size) override {
    crc = uha::Crc32(data, size, crc);
    total += size;
    return {};
  }
  std::uint32_t crc = 0;
  std::size_t total = 0;
};

// Text-like bytes from a fixed recurrence, the same on every compiler and library.
std::vector<std::uint8_t> Sample() {
  std::vector<std::uint8_t> out(300000);
  std::uint32_t x = 12345;
  for (std::size_t i = 0; i < out.size(); ++i) {
    x = x * 1103515245u + 12345u;
    out[i] = (x >> 16) % 5 == 0 ? static_cast<std::uint8_t>(x >> 24) : "kelvamo/"[(x >> 20) % 8];
  }
  return out;
}

// Long runs of one value with rare changes, like an icon's even areas: matches of every length
// up to deflate's longest, found after long comparisons.
std::vector<std::uint8_t> Runs() {
  std::vector<std::uint8_t> out(300000);
  std::uint32_t x = 777;
  std::uint8_t value = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    x = x * 1103515245u + 12345u;
    if ((x >> 16) % 97 == 0) value = static_cast<std::uint8_t>((x >> 24) % 4);
    out[i] = value;
  }
  return out;
}

// The numbers are zlib 1.2.13's as Debian ships it, the same for every build.
TEST(DeflatePin, EveryBuildDeflatesToTheSameBytes) {
  struct Case {
    std::vector<std::uint8_t> (*data)();
    uha::DeflateParams params;
    std::size_t size;
    std::uint32_t crc;
  };
  const Case cases[] = {
      {Sample, {6, 8, 15, 0}, 200734, 1880432415u}, {Sample, {9, 9, 15, 1}, 178942, 1097994277u},
      {Sample, {1, 8, 15, 0}, 204483, 3347737238u}, {Sample, {4, 7, 12, 0}, 199810, 1125943944u},
      {Sample, {6, 8, 15, 3}, 178268, 751523020u},  {Sample, {5, 1, 9, 2}, 249751, 3963159429u},
      {Runs, {6, 8, 15, 1}, 5912, 3686872651u},     {Runs, {9, 8, 15, 0}, 3950, 3459744343u},
      {Runs, {1, 8, 15, 0}, 8361, 2892431904u},     {Runs, {6, 8, 11, 1}, 5894, 3099530266u},
  };
  // One deflater for every case, the table run forwards and backwards: a state kept from an
  // earlier stream (other level or strategy, same sizes) must deflate as a fresh one.
  uha::Redeflater deflater;
  for (std::size_t i = 0; i < 2 * std::size(cases); ++i) {
    const Case& c = i < std::size(cases) ? cases[i] : cases[2 * std::size(cases) - 1 - i];
    const std::vector<std::uint8_t> data = c.data();
    Checksum sum;
    ASSERT_TRUE(deflater.Start(c.params, sum).ok());
    // Uneven pieces: the output must not depend on how the caller hands the data over.
    for (std::size_t at = 0, piece = 1; at < data.size(); at += piece, piece = piece * 3 + 1) {
      ASSERT_TRUE(deflater.Feed(data.data() + at, std::min(piece, data.size() - at)).ok());
    }
    ASSERT_TRUE(deflater.Finish().ok());
    EXPECT_EQ(sum.total, c.size) << int{c.params.level} << "/" << int{c.params.mem_level};
    EXPECT_EQ(sum.crc, c.crc) << int{c.params.level} << "/" << int{c.params.mem_level};
  }
}

}  // namespace
