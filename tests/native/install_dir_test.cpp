#include "setup/app/install_dir.h"

#include <gtest/gtest.h>

using kelvamo::IsGbkLeadByte;
using kelvamo::NormaliseInstallDir;

TEST(InstallDir, NormalisesAsTheWizardLeavesTheFolderPage) {
  const struct {
    const char* typed;
    const char* expected;
  } cases[] = {
      {"D:\\Apps", "D:\\Apps\\"},
      {"D:\\Apps\\\\ ", "D:\\Apps\\"},
      {"C:\\", "C:\\"},
      {"D:\\Apps \\", "D:\\Apps \\"},  // the space is not trailing while spaces are trimmed
      {"", "\\"},
      {"  D:\\x", "  D:\\x\\"},
      {"C:\\Program Files\\kelvamo\\", "C:\\Program Files\\kelvamo\\"},
      {"D:\\a\\\\\\   ", "D:\\a\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NormaliseInstallDir(c.typed, IsGbkLeadByte), c.expected) << '"' << c.typed << '"';
  }
}

TEST(InstallDir, KeepsDoubleByteCharactersWhoseTrailByteLooksLikeABackslash) {
  // 赲 is DA 5C in GBK: its trail byte is a backslash.
  const std::string withBackslashTrail = "D:\\\xDA\x5C";
  EXPECT_EQ(NormaliseInstallDir(withBackslashTrail, IsGbkLeadByte), withBackslashTrail + "\\");
  EXPECT_EQ(NormaliseInstallDir(withBackslashTrail + "\\\\", IsGbkLeadByte),
            withBackslashTrail + "\\");
  // A lone lead byte at the very end counts as a character of its own.
  EXPECT_EQ(NormaliseInstallDir("D:\\\xC8", IsGbkLeadByte), "D:\\\xC8\\");
}

TEST(InstallDir, TrimsSpacesBeforeBackslashesOnly) {
  EXPECT_EQ(NormaliseInstallDir("D:\\x\\ \\ ", IsGbkLeadByte), "D:\\x\\ \\");
  EXPECT_EQ(NormaliseInstallDir(" ", IsGbkLeadByte), "\\");
  EXPECT_EQ(NormaliseInstallDir("\\\\", IsGbkLeadByte), "\\");
}
