#include "setup/engine/space_check.h"

#include <gtest/gtest.h>

using namespace kelvamo;

namespace {

// Every folder the free-space measurement may try, nearest first.
std::string Walk(const std::string& folder) {
  std::string walked;
  for (std::optional<std::string> f = folder; f; f = ParentFolder(*f, IsGbkLeadByte)) {
    walked += (walked.empty() ? "" : " | ") + *f;
  }
  return walked;
}

}  // namespace

TEST(SpaceCheck, AncestorsStopAtTheRoot) {
  const struct {
    const char* folder;
    const char* walked;
  } cases[] = {
      {"C:\\Program Files\\kelvamo\\", "C:\\Program Files\\kelvamo\\ | C:\\Program Files\\ | C:\\"},
      {"C:\\", "C:\\"},
      {"\\", "\\"},  // an empty folder field, normalised
      {"\\kelvamo\\", "\\kelvamo\\ | \\"},
      {"\\\\server\\share\\apps\\", "\\\\server\\share\\apps\\ | \\\\server\\share\\"},
      {"\\\\server\\share\\", "\\\\server\\share\\"},
      {"\\\\server\\", "\\\\server\\"},
      {"apps\\kelvamo\\", "apps\\kelvamo\\ | apps\\"},
      {"C:apps\\", "C:apps\\"},
      {"C:\\a\\\\b\\", "C:\\a\\\\b\\ | C:\\a\\\\ | C:\\a\\ | C:\\"},
      // 乗 is 81 5C in GBK: its trail byte is no separator.
      {"C:\\\x81\x5C\\", "C:\\\x81\x5C\\ | C:\\"},
      {"C:\\a\x81\x5C" "b\\", "C:\\a\x81\x5C" "b\\ | C:\\"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Walk(c.folder), c.walked) << c.folder;
}

TEST(SpaceCheck, ShortfallInWholeMegabytes) {
  constexpr std::uint64_t kMb = 1024 * 1024;
  EXPECT_FALSE(FindShortfall(100 * kMb, 100 * kMb));
  EXPECT_FALSE(FindShortfall(0, 0));
  const struct {
    std::uint64_t need, free, needMb, freeMb;
  } cases[] = {
      {100 * kMb + 1, 100 * kMb, 101, 100},
      {kMb + 1, kMb - 1, 2, 0},  // just short: still two different figures
      {70 * kMb, 3 * kMb + kMb / 2, 70, 3},
      {1, 0, 1, 0},
      {UINT64_MAX, 0, UINT64_MAX / kMb + 1, 0},
  };
  for (const auto& c : cases) {
    const auto shortfall = FindShortfall(c.need, c.free);
    ASSERT_TRUE(shortfall) << c.need;
    EXPECT_EQ(shortfall->needMb, c.needMb) << c.need;
    EXPECT_EQ(shortfall->freeMb, c.freeMb) << c.need;
    EXPECT_GT(shortfall->needMb, shortfall->freeMb);
  }
}
