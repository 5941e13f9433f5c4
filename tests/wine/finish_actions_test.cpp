#include "finish/finish_actions.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include "browser_stand_in.h"
#include "command_record.h"
#include "finish/finish_paths.h"
#include "finish/shortcut.h"
#include "finish/success_page.h"
#include "link_reader.h"

namespace {

class Shortcuts : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    folder_ = std::string(temp) + "kelvamo_shortcuts";
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const auto& name : made_) DeleteFileA(name.c_str());
    RemoveDirectoryA(folder_.c_str());
    CoUninitialize();
  }
  std::string Made(const std::string& name) {
    made_.push_back(folder_ + "\\" + name);
    return made_.back();
  }

  std::string folder_;
  std::vector<std::string> made_;
};

}  // namespace

TEST_F(Shortcuts, KeepDoubleByteNamesInTheLinkAndItsTarget) {
  const std::string linkPath = Made("中文目标.lnk");
  ASSERT_TRUE(CreateShortcut("D:\\应用\\kelvamo.exe", linkPath.c_str()));
  auto link = ReadLink(linkPath);
  ASSERT_TRUE(link);
  EXPECT_EQ(link->target, "D:\\应用\\kelvamo.exe");
  EXPECT_EQ(link->workingDirectory, "D:\\应用");
  EXPECT_EQ(link->description, "Shortcut");
  EXPECT_EQ(link->showCommand, SW_SHOW);
}

TEST_F(Shortcuts, TargetWithoutBackslashHasNoWorkingDirectory) {
  const std::string linkPath = Made("bare.lnk");
  ASSERT_TRUE(CreateShortcut("kelvamo.exe", linkPath.c_str()));
  auto link = ReadLink(linkPath);
  ASSERT_TRUE(link);
  EXPECT_EQ(link->workingDirectory, "");
}

TEST_F(Shortcuts, ReportsFailureAndWritesNothingWhenTheLinkCannotBeSaved) {
  const std::string inMissingFolder = folder_ + "\\no such folder\\Kelvamo.lnk";
  EXPECT_FALSE(CreateShortcut("C:\\k\\kelvamo.exe", inMissingFolder.c_str()));
  EXPECT_EQ(GetFileAttributesA(inMissingFolder.c_str()), INVALID_FILE_ATTRIBUTES);

  const std::string tooLong = folder_ + "\\" + std::string(MAX_PATH, 'x') + ".lnk";
  EXPECT_FALSE(CreateShortcut("C:\\k\\kelvamo.exe", tooLong.c_str()));
}

TEST(ShellFolders, StartupFallsBackToTheUsersFolderWhereTheNonLocalizedOneIsMissing) {
  auto userStartup = FindShellFolder({kelvamo::kFolderUserStartup});
  ASSERT_TRUE(userStartup);
  auto altStartup = FindShellFolder({kelvamo::kFolderAltStartup});
  auto chosen = FindShellFolder(kelvamo::StartupFolderChoices(false));
  ASSERT_TRUE(chosen);
  EXPECT_EQ(*chosen, altStartup ? *altStartup : *userStartup);

  EXPECT_FALSE(FindShellFolder({}));
  EXPECT_FALSE(FindShellFolder({0x7F}));  // no such folder number
  auto desktop = FindShellFolder({kelvamo::kFolderDesktop});
  ASSERT_TRUE(desktop);
  EXPECT_NE(desktop->back(), '\\');
}

TEST(SuccessPage, StartsTheBrowserWithExactlyTheCommandLineOrReportsItsAbsence) {
  CommandLineRecord record;
  BrowserStandIn browser;
  ASSERT_TRUE(browser.installed());
  std::string commandLine = kelvamo::SuccessPageCommandLine();
  EXPECT_TRUE(OpenSuccessPage(&commandLine[0]));
  EXPECT_EQ(record.Lines(1, 5000), std::vector<std::string>{" http://www.kelvamo.com/suc.html"});

  browser.Remove();
  EXPECT_FALSE(OpenSuccessPage(&commandLine[0]));
}

TEST_F(Shortcuts, InstalledApplicationStartsByItsQuotedPath) {
  // A space in the folder must not start "...\\kelvamo_shortcuts\\kelvamo.exe" with arguments.
  const std::string installDir = folder_ + "\\kelvamo test\\";
  CreateDirectoryA(installDir.c_str(), nullptr);
  const std::string application = installDir + "kelvamo.exe";
  const std::string decoy = Made("kelvamo.exe");
  ASSERT_TRUE(CopyFileA(RecorderProgram().c_str(), application.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(RecorderProgram().c_str(), decoy.c_str(), FALSE));
  {
    CommandLineRecord record;
    StartInstalledApplication(installDir);
    EXPECT_EQ(record.Lines(1, 5000), std::vector<std::string>{'"' + application + '"'});
  }
  Sleep(200);  // let the recorder end before its file goes
  DeleteFileA(application.c_str());
  RemoveDirectoryA(installDir.c_str());
}

TEST_F(Shortcuts, InstallFolderTooLongForTheTargetSkipsEveryShortcut) {
  const std::string group = *FindShellFolder({kelvamo::kFolderCommonStartMenu}) + "\\Kelvamo";
  const std::string links[] = {
      *FindShellFolder(kelvamo::StartupFolderChoices(IsOsVersion5() != FALSE)) + "\\Kelvamo.lnk",
      *FindShellFolder({kelvamo::kFolderDesktop}) + "\\Kelvamo.lnk",
      group + "\\Kelvamo.lnk",
      group + "\\卸载.lnk",
  };
  for (const auto& link : links) DeleteFileA(link.c_str());

  const std::string longDir = "C:\\" + std::string(250, 'k') + "\\";
  MakeStartupShortcut(longDir);
  MakeDesktopShortcut(longDir);
  MakeStartMenuGroup(longDir);
  StartInstalledApplication(longDir);
  for (const auto& link : links) {
    EXPECT_EQ(GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES) << link;
  }
  RemoveDirectoryA(group.c_str());
}
