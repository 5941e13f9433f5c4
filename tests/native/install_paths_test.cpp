#include "setup/engine/install_paths.h"

#include <gtest/gtest.h>

using namespace kelvamo;

namespace {

const std::string kDefaultDir = "C:\\Program Files\\kelvamo\\";

// A folder text of exactly `length` characters that ends with a backslash.
std::string DirOfLength(size_t length) { return "C:\\" + std::string(length - 4, 'd') + '\\'; }

}  // namespace

TEST(InstallPaths, TextsForTheDefaultFolder) {
  EXPECT_EQ(BuildUninstallString(kDefaultDir), "\"C:\\Program Files\\kelvamo\\uninstall.exe\"");
  EXPECT_EQ(BuildExtractorCommand(kDefaultDir),
            "\"C:\\Program Files\\kelvamo\\\\UHARC.EXE\" x -y "
            "\"C:\\Program Files\\kelvamo\\\\kelvamo.uha\"");
  EXPECT_EQ(BuildPackSearchPattern(kDefaultDir + kLibExtFolder),
            "C:\\Program Files\\kelvamo\\jre\\lib\\ext\\*.pack.gz");
  EXPECT_EQ(BuildUnpackCommand(kDefaultDir, kDefaultDir + kLibFolder, "rt.jar.pack.gz", "rt.jar"),
            "\"C:\\Program Files\\kelvamo\\jre\\bin\\unpack200\" "
            "\"C:\\Program Files\\kelvamo\\jre\\lib\\rt.jar.pack.gz\" "
            "\"C:\\Program Files\\kelvamo\\jre\\lib\\rt.jar\"");
}

TEST(InstallPaths, EachBufferRefusesOneCharacterTooMany) {
  // Quoted uninstall string: folder + 15 characters within 254.
  EXPECT_TRUE(BuildUninstallString(DirOfLength(239)));
  EXPECT_FALSE(BuildUninstallString(DirOfLength(240)));
  // The extraction step copies the folder into 255 bytes.
  EXPECT_TRUE(BuildExtractorCommand(DirOfLength(254)));
  EXPECT_FALSE(BuildExtractorCommand(DirOfLength(255)));
  // Search pattern: folder argument of at most 250 characters.
  const auto pattern = BuildPackSearchPattern(DirOfLength(250));
  ASSERT_TRUE(pattern);
  EXPECT_EQ(pattern->size(), 259u);
  EXPECT_FALSE(BuildPackSearchPattern(DirOfLength(251)));
  // Command line: 1023 characters. 25 fixed characters, then the five strings.
  const std::string dir = DirOfLength(300);
  const std::string folder = DirOfLength(300);
  const std::string fits(1023 - 25 - 900 - 50, 'n');
  const auto command = BuildUnpackCommand(dir, folder, fits, std::string(50, 't'));
  ASSERT_TRUE(command);
  EXPECT_EQ(command->size(), 1023u);
  EXPECT_FALSE(BuildUnpackCommand(dir, folder, fits + 'n', std::string(50, 't')));
}

TEST(InstallPaths, FolderCheckTakesTheTightestBuffer) {
  // jre\lib\ext\ + *.pack.gz must fit in 259 characters: the search pattern binds first.
  EXPECT_TRUE(InstallDirFitsEveryBuffer(kDefaultDir));
  EXPECT_TRUE(InstallDirFitsEveryBuffer(DirOfLength(238)));
  EXPECT_FALSE(InstallDirFitsEveryBuffer(DirOfLength(239)));
  EXPECT_FALSE(InstallDirFitsEveryBuffer(DirOfLength(5000)));
}

TEST(InstallPaths, TargetNameTrimsTheSuffixCharacters) {
  const struct {
    const char* packed;
    const char* target;
  } cases[] = {
      {"rt.jar.pack.gz", "rt.jar"},
      {"charsets.jar.pack.gz", "charsets.jar"},
      {"tools.pack.gz", "tools"},
      {"data.pack.gz", "dat"},
      {"a.pack.gz", ""},
      {"", ""},
      {"RT.JAR.PACK.GZ", "RT.JAR.PACK.GZ"},  // upper case is not in the set
      {"\xD7\xD6.pack.gz", "\xD7\xD6"},      // a double-byte character stops the trim
      // 馛 is F0 63: its trail byte is a 'c' but belongs to the character, which stays.
      {"\xF0\x63.pack.gz", "\xF0\x63"},
      {"x\xF0", "x\xF0"},  // a lone lead byte at the end counts as a character
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UnpackTargetName(c.packed, IsGbkLeadByte), c.target) << c.packed;
  }
}
