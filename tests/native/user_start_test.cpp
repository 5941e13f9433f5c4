#include "setup/finish/user_start.h"

#include <gtest/gtest.h>

#include <string>

using kelvamo::Elevation;

TEST(UserStart, OnlyTheElevatedHalfOfASplitTokenBorrowsTheShellsAndStartsOnceAtMost) {
  const struct {
    Elevation elevation;
    bool shellRunning, shellStartWorks, installerStartWorks;
    const char* expectedStarts;  // in order: S shell token, I installer's own start
    bool started;
  } cases[] = {
      {Elevation::kFull, true, true, true, "S", true},
      {Elevation::kFull, true, false, true, "SI", true},
      {Elevation::kFull, true, false, false, "SI", false},
      {Elevation::kFull, false, true, true, "I", true},  // no desktop shell to borrow from
      {Elevation::kDefault, true, true, true, "I", true},  // no split: already the user's token
      {Elevation::kLimited, true, true, false, "I", false},
      {Elevation::kUnknown, true, true, true, "I", true},  // before Vista
  };
  for (const auto& c : cases) {
    std::string starts;
    const bool started = kelvamo::StartForUser(
        c.elevation, c.shellRunning,
        [&] { starts += 'S'; return c.shellStartWorks; },
        [&] { starts += 'I'; return c.installerStartWorks; });
    EXPECT_EQ(starts, c.expectedStarts) << static_cast<int>(c.elevation) << c.shellRunning;
    EXPECT_EQ(started, c.started) << static_cast<int>(c.elevation) << c.shellRunning;
  }
}
