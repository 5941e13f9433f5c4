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
      {Elevation::kFull, false, true, true, "I", true},  // no desktop shell to borrow from
      {Elevation::kDefault, true, true, true, "I", true},  // no split: already the user's token
      {Elevation::kLimited, true, true, false, "I", false},  // the installer's start fails too
      {Elevation::kUnknown, true, true, true, "I", true},  // before Vista
  };
  for (const auto& c : cases) {
    std::string starts;
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.elevation) << c.shellRunning);
    const bool started = kelvamo::StartForUser(
        c.elevation, c.shellRunning, [&] { return starts += 'S', c.shellStartWorks; },
        [&] { return starts += 'I', c.installerStartWorks; });
    EXPECT_EQ(starts, c.expectedStarts);
    EXPECT_EQ(started, c.started);
  }
}
