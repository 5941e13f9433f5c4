// The last step of a whole run of setup.exe: from the welcome page through the installation to
// 完成(F), then the shortcuts, the application, the browser and the close, checked from outside.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include "tests/wine/browser_stand_in.h"
#include "tests/wine/command_record.h"
#include "tests/wine/finish_run.h"
#include "lib/win32/process_list.h"
#include "shared/kelvamo_product.h"
#include "tests/wine/link_reader.h"
#include "tests/wine/test_files.h"
#include "tests/wine/wizard_driver.h"

using kelvamo::kApplicationFile;
using kelvamo::kUninstallerFile;

namespace {

const std::string kInstallDir = "C:\\Program Files\\kelvamo\\";
const std::string kSuccessPage = " http://www.kelvamo.com/suc.html";

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return path;
}

// Where each shortcut lands. Wine has no CSIDL_ALTSTARTUP, so beyond version 5 the start-up
// shortcut goes to the user's own start-up folder.
const std::string kUserStartupLink = ShellFolder(CSIDL_STARTUP) + "\\Kelvamo.lnk";
const std::string kCommonStartupLink = ShellFolder(CSIDL_COMMON_STARTUP) + "\\Kelvamo.lnk";
const std::string kDesktopLink = ShellFolder(CSIDL_DESKTOP) + "\\Kelvamo.lnk";
const std::string kGroup = ShellFolder(CSIDL_COMMON_STARTMENU) + "\\Kelvamo";
const std::string kGroupLinks[] = {kGroup + "\\Kelvamo.lnk", kGroup + "\\卸载.lnk"};
// A file of an earlier installation in the group folder: removed by every test's end too, so a
// test that stops early cannot leave the group behind for the next one.
const std::string kEarlierGroupFile = kGroup + "\\readme.txt";

void RemoveEveryShortcut() {
  for (const auto& link : {kUserStartupLink, kCommonStartupLink, kDesktopLink})
    DeleteFileA(link.c_str());
  for (const auto& link : kGroupLinks) DeleteFileA(link.c_str());
  DeleteFileA(kEarlierGroupFile.c_str());
  RemoveDirectoryA(kGroup.c_str());
}

void ExpectShortcut(const std::string& link, const char* file) {
  SCOPED_TRACE(link);
  auto properties = ReadLink(link);
  ASSERT_TRUE(properties);
  EXPECT_STRCASEEQ(properties->target.c_str(), (kInstallDir + file).c_str());
  EXPECT_EQ(properties->workingDirectory, "C:\\Program Files\\kelvamo");
  EXPECT_EQ(properties->description, "Shortcut");
  EXPECT_EQ(properties->showCommand, SW_SHOW);
}

// Ends the installed application if it runs; tells whether it did.
bool EndApplication() {
  const DWORD pid = FindProcessByName(kApplicationFile);
  HANDLE process = pid ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid) : nullptr;
  if (process == nullptr) return false;
  TerminateProcess(process, 0);
  WaitForSingleObject(process, 5000);
  CloseHandle(process);
  return true;
}

class FinishSequence : public testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ForgetRegisteredInstallation();
    RemoveEveryShortcut();
    EndApplication();
  }
  void TearDown() override {
    RemoveEveryShortcut();
    EndApplication();
    CoUninitialize();
  }
  CommandLineRecord record_;
  BrowserStandIn browser_;
};

// The system version that setup.exe alone sees, set through Wine's per-program settings.
class SetupSeesWindowsXp {
 public:
  SetupSeesWindowsXp() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("winxp"), 6);
      RegCloseKey(key);
    }
  }
  ~SetupSeesWindowsXp() { RegDeleteKeyA(HKEY_CURRENT_USER, kKey); }

 private:
  static constexpr char kKey[] = "Software\\Wine\\AppDefaults\\setup.exe";
};

}  // namespace

TEST_F(FinishSequence, AllOptionsMakeEveryShortcutStartTheApplicationAndTheBrowserThenClose) {
  // A group folder left from an earlier installation is used as it is.
  CreateDirectoryA(kGroup.c_str(), nullptr);
  WriteFileText(kEarlierGroupFile, "");

  ASSERT_TRUE(browser_.installed());
  const long elapsed = FinishWith(kAllChecked);
  ASSERT_NE(elapsed, -1) << "setup.exe did not close by itself";
  EXPECT_GE(elapsed, 1000);

  ExpectShortcut(kUserStartupLink, kApplicationFile);
  ExpectShortcut(kDesktopLink, kApplicationFile);
  ExpectShortcut(kGroupLinks[0], kApplicationFile);
  ExpectShortcut(kGroupLinks[1], kUninstallerFile);
  EXPECT_TRUE(Exists(kEarlierGroupFile));
  EXPECT_TRUE(WaitUntil(EndApplication));
  EXPECT_EQ(record_.Lines(1, 5000), std::vector<std::string>{kSuccessPage});
}

TEST_F(FinishSequence, ClearedOptionsStillOpenTheSuccessPageWaitAndClose) {
  const long elapsed = FinishWith(kAllCleared);
  ASSERT_NE(elapsed, -1) << "setup.exe did not close by itself";
  EXPECT_GE(elapsed, 1000);
  for (const auto& link : {kUserStartupLink, kCommonStartupLink, kDesktopLink})
    EXPECT_FALSE(Exists(link)) << link;
  EXPECT_FALSE(Exists(kGroup));
  EXPECT_EQ(record_.Lines(1, 5000), std::vector<std::string>{kSuccessPage});
  EXPECT_FALSE(EndApplication());
}

TEST_F(FinishSequence, MissingBrowserStillWaitsAndCloses) {
  browser_.Remove();
  const long elapsed = FinishWith(kAllCleared);
  ASSERT_NE(elapsed, -1) << "setup.exe did not close by itself";
  EXPECT_GE(elapsed, 1000);
  EXPECT_TRUE(record_.Lines(1, 500).empty());
}

TEST_F(FinishSequence, SystemVersion5PutsTheStartupShortcutIntoTheAllUsersFolder) {
  SetupSeesWindowsXp xp;
  ASSERT_NE(FinishWith({false, true, false, false}), -1);
  ExpectShortcut(kCommonStartupLink, kApplicationFile);
  EXPECT_FALSE(Exists(kUserStartupLink));
}
