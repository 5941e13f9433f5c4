#include "lib/product/finish_paths.h"

#include <gtest/gtest.h>

using namespace kelvamo;

namespace {
const std::string kDir = "C:\\Program Files\\kelvamo\\";
}

TEST(FinishPaths, JoinsOnlyWhatFitsTheBufferWithItsNul) {
  const struct {
    size_t head, tail, capacity;
    bool fits;
  } cases[] = {
      {250, 5, 256, true},   // 255 bytes + NUL
      {250, 6, 256, false},  // 256 bytes leave no room for the NUL
      {0, 0, 1, true},      {256, 0, 256, false}, {300, 0, 256, false},
      {0, 300, 256, false}, {254, 5, 260, true},  {255, 5, 260, false},
  };
  for (const auto& c : cases) {
    auto joined = JoinWithin(std::string(c.head, 'h'), std::string(c.tail, 't'), c.capacity);
    ASSERT_EQ(joined.has_value(), c.fits) << c.head << '+' << c.tail << " in " << c.capacity;
    if (joined) {
      EXPECT_EQ(joined->size(), c.head + c.tail);
      EXPECT_EQ(joined->substr(c.head), std::string(c.tail, 't'));
    }
  }
}

TEST(FinishPaths, SkipsAShortcutWhoseTargetOrLinkDoesNotFit) {
  auto plan = PlanShortcut(kDir, kApplicationFile, "C:\\Users\\Public\\Desktop", "\\Kelvamo.lnk");
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->target, "C:\\Program Files\\kelvamo\\kelvamo.exe");
  EXPECT_EQ(plan->link, "C:\\Users\\Public\\Desktop\\Kelvamo.lnk");

  const std::string longestDir = "C:\\" + std::string(255 - 3 - 11 - 1, 'x') + "\\";
  EXPECT_TRUE(PlanShortcut(longestDir, kApplicationFile, "C:\\d", "\\Kelvamo.lnk"));
  EXPECT_FALSE(PlanShortcut(longestDir, kUninstallerFile, "C:\\d", "\\Kelvamo.lnk"));

  const std::string longestFolder = "C:\\" + std::string(259 - 3 - 12, 'f');
  EXPECT_TRUE(PlanShortcut(kDir, kApplicationFile, longestFolder, "\\Kelvamo.lnk"));
  EXPECT_FALSE(PlanShortcut(kDir, kApplicationFile, longestFolder + "f", "\\Kelvamo.lnk"));
}

TEST(FinishPaths, WorkingDirectoryIsTheTargetBeforeItsLastBackslash) {
  const struct {
    const char* target;
    const char* expected;
  } cases[] = {
      {"C:\\Program Files\\kelvamo\\kelvamo.exe", "C:\\Program Files\\kelvamo"},
      {"C:\\Program Files\\kelvamo\\Uninstall.exe", "C:\\Program Files\\kelvamo"},
      {"kelvamo.exe", ""},
      {"\\kelvamo.exe", ""},
      {"C:\\", "C:"},
      {"", ""},
      // 赲 is DA 5C in GBK: its trail byte is no separator.
      {"D:\\\xDA\x5C"
       "a.exe",
       "D:"},
      {"D:\\\xDA\x5C\\a.exe", "D:\\\xDA\x5C"},
      {"\xDA\x5C", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WorkingDirectoryOf(c.target, IsGbkLeadByte), c.expected) << c.target;
  }
}

TEST(FinishPaths, ApplicationCommandIsQuotedAndBounded) {
  EXPECT_EQ(ApplicationCommandLine(kDir), "\"C:\\Program Files\\kelvamo\\kelvamo.exe\"");
  const std::string longestDir(255 - 11, 'x');
  auto longest = ApplicationCommandLine(longestDir);
  ASSERT_TRUE(longest);
  EXPECT_EQ(longest->size(), 257u);
  EXPECT_FALSE(ApplicationCommandLine(longestDir + "x"));
  EXPECT_FALSE(ApplicationCommandLine("C:\\a\" b\\"));
}

TEST(FinishPaths, StartupFolderDependsOnTheSystemVersion) {
  EXPECT_EQ(StartupFolderChoices(true), std::vector<int>{kFolderCommonStartup});
  EXPECT_EQ(StartupFolderChoices(false), (std::vector<int>{kFolderAltStartup, kFolderUserStartup}));
}
