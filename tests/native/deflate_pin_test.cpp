// zlib's deflate output pinned for a spread of settings. The extractor deflates on Windows what
// the packer checked on Linux, so this runs in both builds against the same numbers.
#include <gtest/gtest.h>

#include "lib/archive/deflate_recipe.h"

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

TEST(DeflatePin, EveryBuildDeflatesToTheSameBytes) {
  struct Case {
    uha::DeflateParams params;
    std::size_t size;
    std::uint32_t crc;
  };
  const Case cases[] = {
      {{6, 8, 15, 0}, 200734, 1880432415u}, {{9, 9, 15, 1}, 178942, 1097994277u},
      {{1, 8, 15, 0}, 204483, 3347737238u}, {{4, 7, 12, 0}, 199810, 1125943944u},
      {{6, 8, 15, 3}, 178268, 751523020u},  {{5, 1, 9, 2}, 249751, 3963159429u},
  };
  const std::vector<std::uint8_t> data = Sample();
  for (const Case& c : cases) {
    Checksum sum;
    uha::Redeflater deflater;
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
