#include "setup/finish/finish_actions.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include "tests/wine/command_record.h"
#include "lib/product/finish_paths.h"
#include "setup/finish/shortcut.h"
#include "setup/finish/user_token_start.h"
#include "shared/kelvamo_product.h"

using kelvamo::kApplicationFile;

extern "C" BOOL WINAPI SetShellWindow(HWND window);  // in user32, not in the headers

namespace {

// A scratch folder of the test, with the files made in it removed afterwards.
class FinishActions : public testing::Test {
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

TEST_F(FinishActions, ReportsFailureAndWritesNothingWhenTheLinkCannotBeSaved) {
  const std::string inMissingFolder = folder_ + "\\no such folder\\Kelvamo.lnk";
  EXPECT_FALSE(CreateShortcut("C:\\k\\kelvamo.exe", inMissingFolder.c_str()));
  EXPECT_EQ(GetFileAttributesA(inMissingFolder.c_str()), INVALID_FILE_ATTRIBUTES);

  const std::string tooLong = folder_ + "\\" + std::string(MAX_PATH, 'x') + ".lnk";
  EXPECT_FALSE(CreateShortcut("C:\\k\\kelvamo.exe", tooLong.c_str()));
}

TEST_F(FinishActions, InstalledApplicationStartsByItsQuotedPath) {
  // A space in the folder must not start "...\\kelvamo_shortcuts\\kelvamo.exe" with arguments.
  const std::string installDir = folder_ + "\\kelvamo test\\";
  CreateDirectoryA(installDir.c_str(), nullptr);
  const std::string application = installDir + kApplicationFile;
  const std::string decoy = Made(kApplicationFile);
  ASSERT_TRUE(CopyFileA(RecorderProgram().c_str(), application.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(RecorderProgram().c_str(), decoy.c_str(), FALSE));
  {
    CommandLineRecord record;
    StartInstalledApplication(installDir);
    EXPECT_EQ(record.Lines(1, 5000), std::vector<std::string>{'"' + application + '"'});
  }
  Sleep(200);  // a running program cannot be deleted: let the recorder exit first
  DeleteFileA(application.c_str());
  RemoveDirectoryA(installDir.c_str());
}

// Wine has no split token and no shell window of its own: this test lends one, so the token's
// path runs (Wine then starts the program as CreateProcessW would).
TEST_F(FinishActions, TheShellsTokenStartsTheSameCommandLineOnlyWhileAShellWindowExists) {
  const std::string program = Made("kelvamo user start.exe");
  ASSERT_TRUE(CopyFileA(RecorderProgram().c_str(), program.c_str(), FALSE));
  const std::string quoted = '"' + program + '"';
  const std::string withArguments = quoted + " http://www.kelvamo.com/成功.html";
  {
    CommandLineRecord record;
    ASSERT_EQ(GetShellWindow(), nullptr);
    EXPECT_FALSE(StartWithShellToken(nullptr, quoted.c_str())) << "no shell to borrow from";
    HWND shell = CreateWindowA("STATIC", "", 0, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(SetShellWindow(shell));
    EXPECT_TRUE(StartWithShellToken(nullptr, quoted.c_str()));
    EXPECT_EQ(record.Lines(1, 5000), std::vector<std::string>{quoted});
    EXPECT_TRUE(StartWithShellToken(program.c_str(), withArguments.c_str()));
    EXPECT_EQ(record.Lines(2, 5000), (std::vector<std::string>{quoted, withArguments}));
    DestroyWindow(shell);
  }
  Sleep(200);  // a running program cannot be deleted: let the recorder exit first
}

TEST_F(FinishActions, InstallFolderTooLongForTheTargetSkipsEveryShortcut) {
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
