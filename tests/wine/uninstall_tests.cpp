// Kelvamo installed by the real setup.exe and removed again by its Uninstall.exe, started the way
// the system starts it (the command recorded in the uninstall entry), its questions answered from
// outside as a user answers them.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "setup/app/exit_codes.h"
#include "tests/wine/browser_stand_in.h"
#include "tests/wine/command_record.h"
#include "lib/product/installed_list.h"
#include "lib/win32/wide_path.h"
#include "lib/win32/process_list.h"
#include "tests/wine/finish_run.h"
#include "tests/wine/install_run.h"
#include "shared/kelvamo_product.h"
#include "tests/wine/test_files.h"
#include "tests/wine/unix_links.h"
#include "shared/uninstaller_contract.h"
#include "tests/wine/wizard_driver.h"

using namespace kelvamo;

namespace {

const wchar_t kCaption[] = L"Kelvamo 卸载";
const DWORD kRemovalTimeoutMs = 60000;

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = "";
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return path;
}

const std::string kGroup = ShellFolder(CSIDL_COMMON_STARTMENU) + "\\Kelvamo";
const std::vector<std::string> kLinks = {ShellFolder(CSIDL_STARTUP) + "\\Kelvamo.lnk",
                                         ShellFolder(CSIDL_DESKTOP) + "\\Kelvamo.lnk",
                                         kGroup + "\\Kelvamo.lnk", kGroup + "\\卸载.lnk"};

bool HasKey(const char* keyPath) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A value of the uninstall entry as the system reads it.
std::wstring EntryValue(const wchar_t* name) {
  wchar_t text[1024] = L"";
  DWORD size = sizeof(text);
  std::wstring key(kUninstallKey, kUninstallKey + strlen(kUninstallKey));
  if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size)) {
    return L"";
  }
  return text;
}

// The product's files as its list names them, read before the removal.
std::vector<std::wstring> ListedFiles(const std::string& folder) {
  std::vector<std::wstring> paths;
  const auto entries = ParseInstalledList(ReadFileText(folder + kInstalledListFile));
  EXPECT_TRUE(entries);
  if (!entries) return paths;
  for (const ListedEntry& entry : *entries) {
    if (entry.folder) continue;
    std::wstring path = Wide(folder) + WidenUtf8(entry.name);
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
    paths.push_back(path);
  }
  EXPECT_GT(paths.size(), 10u);
  return paths;
}

struct BoxSearch {
  HWND found;
};

BOOL CALLBACK ConsiderBox(HWND window, LPARAM context) {
  wchar_t text[64] = L"", kind[16] = L"";
  GetClassNameW(window, kind, 16);
  GetWindowTextW(window, text, 64);
  if (!IsWindowVisible(window) || wcscmp(kind, L"#32770") != 0 || wcscmp(text, kCaption) != 0) {
    return TRUE;
  }
  reinterpret_cast<BoxSearch*>(context)->found = window;
  return FALSE;
}

// The uninstaller's message box, from whichever of its processes shows it.
HWND UninstallerBox(DWORD timeoutMs = 20000) {
  BoxSearch search = {nullptr};
  WaitUntil(
      [&] {
        EnumWindows(ConsiderBox, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

// Answers the next box with `button` and returns its text.
std::wstring Answer(int button) {
  HWND box = UninstallerBox();
  if (!box) return L"<no box>";
  const std::wstring text = WizardDriver::Text(GetDlgItem(box, kMessageText));
  WizardDriver::Click(box, button);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  return text;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

// Uninstall.exe started as the system starts it: the recorded command line as it stands.
class UninstallRun {
 public:
  explicit UninstallRun(const std::wstring& commandLine) {
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    started_ = CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_);
    if (started_) CloseHandle(process_.hThread);
  }
  ~UninstallRun() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 9);
    CloseHandle(process_.hProcess);
  }
  UninstallRun(const UninstallRun&) = delete;
  UninstallRun& operator=(const UninstallRun&) = delete;

  // The exit code, or STILL_ACTIVE. With `noWindow`, fails the test if a box shows meanwhile.
  DWORD Wait(bool noWindow = false) {
    DWORD code = STILL_ACTIVE;
    WaitUntil(
        [&] {
          if (noWindow) {
            EXPECT_EQ(UninstallerBox(0), nullptr) << "a window in silent mode";
          }
          return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0;
        },
        kRemovalTimeoutMs);
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }
  // The copy's file in the temporary folder is gone, or the system deletes it at its next start.
  bool CopyGoneOrScheduled() const {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string name = "Kelvamo-Uninstall-" + std::to_string(process_.dwProcessId) + ".exe";
    const std::string copy = temp + name;
    if (!WaitUntil([&] { return FindProcessByName(name.c_str()) == 0; }, 10000)) return false;
    if (!Exists(copy)) return true;
    char pending[8192] = "";
    DWORD size = sizeof(pending) - 2;
    RegGetValueA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                 "PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size);
    for (const char* entry = pending; *entry; entry += strlen(entry) + 1) {
      if (std::string(entry).find(name) != std::string::npos) return true;
    }
    return false;
  }
  bool started() const { return started_; }

 private:
  PROCESS_INFORMATION process_ = {};
  bool started_ = false;
};

// The setup.exe of version 2 of the sample, as Wine names it.
std::wstring UpgradeSetupExe() {
  std::wstring path = KELVAMO_UPGRADE_SETUP_EXE;
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

// Ends every running kelvamo.exe; tells whether one ran.
bool EndApplication() {
  bool ended = false;
  for (DWORD pid = FindProcessByName(kApplicationFile); pid; pid = FindProcessByName(kApplicationFile)) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process || !TerminateProcess(process, 0)) return false;
    ended = WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
    CloseHandle(process);
  }
  return ended;
}

class Uninstall : public testing::Test {
 protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override {
    EndApplication();
    CoUninitialize();
  }
  void Install(const FinishOptions& options, const std::string& folder,
               const std::wstring& exe = WizardDriver::SetupExePath()) {
    ASSERT_NE(FinishWith(options, folder, exe), -1) << "setup.exe did not close by itself";
    ASSERT_TRUE(Exists(folder + kInstalledListFile));
    listed_ = ListedFiles(folder);
  }
  // Everything an installation made is still in place.
  void ExpectNothingRemoved(const std::vector<std::string>& links) {
    for (const std::wstring& path : listed_) EXPECT_TRUE(Exists(path)) << Narrow(path);
    for (const std::string& link : links) EXPECT_TRUE(Exists(link)) << link;
    EXPECT_TRUE(HasKey(kUninstallKey));
    EXPECT_TRUE(HasKey(kAppKey));
  }
  void ExpectEntriesAndLinksGone() {
    for (const std::string& link : kLinks) EXPECT_FALSE(Exists(link)) << link;
    EXPECT_FALSE(Exists(kGroup));
    EXPECT_FALSE(HasKey(kUninstallKey));
    EXPECT_FALSE(HasKey(kAppKey));
  }
  // Removes a test's installation silently, so that no link or key of it outlives the test.
  void RemoveSilently(const std::string& folder) {
    const std::wstring line = L"\"" + Wide(folder) + L"uninstall.exe\" /S";
    UninstallRun cleanup(line);
    cleanup.Wait(true);
  }
  std::vector<std::wstring> listed_;
  CommandLineRecord record_;
  BrowserStandIn browser_;
};

}  // namespace

TEST_F(Uninstall, WhileTheApplicationRunsNothingGoesThenYesLeavesOnlyTheUsersFiles) {
  const std::string folder = "C:\\Program Files\\凯尔瓦莫 软件\\";
  Install(kAllChecked, folder);
  ASSERT_TRUE(WaitUntil([] { return FindProcessByName(kApplicationFile) != 0; }));
  const std::vector<std::string> userFiles = {folder + "我的笔记.txt",
                                              folder + "jre\\lib\\user settings.cfg",
                                              folder + "saves\\slot 1.sav"};
  CreateDirectoryA((folder + "saves").c_str(), nullptr);
  for (const std::string& file : userFiles) WriteFileText(file, "mine");

  {
    SCOPED_TRACE("silent, application running");
    UninstallRun silent(EntryValue(L"QuietUninstallString"));
    ASSERT_TRUE(silent.started());
    EXPECT_EQ(silent.Wait(true), static_cast<DWORD>(kUninstallAppRunning));
    ExpectNothingRemoved(kLinks);
  }
  {
    SCOPED_TRACE("asked, application running, Cancel");
    UninstallRun asked(EntryValue(L"UninstallString"));
    EXPECT_TRUE(Contains(Answer(IDYES), L"你确实要从此计算机上卸载 Kelvamo 吗?"));
    EXPECT_TRUE(Contains(Answer(IDRETRY), L"Kelvamo 正在运行"));  // still running: asked again
    EXPECT_TRUE(Contains(Answer(IDCANCEL), L"Kelvamo 正在运行"));
    EXPECT_EQ(asked.Wait(), static_cast<DWORD>(kUninstallAppRunning));
    ExpectNothingRemoved(kLinks);
  }

  EXPECT_TRUE(EndApplication());
  UninstallRun run(EntryValue(L"UninstallString"));
  EXPECT_TRUE(Contains(Answer(IDYES), L"你确实要从此计算机上卸载 Kelvamo 吗?"));
  const std::wstring end = Answer(IDOK);
  EXPECT_TRUE(Contains(end, L"Kelvamo 已从此计算机上删除。")) << Narrow(end);
  EXPECT_TRUE(Contains(end, Wide(folder.substr(0, folder.size() - 1)) + L"\r\n")) << Narrow(end);
  EXPECT_TRUE(Contains(end, Wide(folder) + L"jre\\lib\r\n  原因: 其中有不是 Kelvamo 安装的文件。"))
      << Narrow(end);
  EXPECT_EQ(run.Wait(), static_cast<DWORD>(kUninstallDone));
  EXPECT_TRUE(run.CopyGoneOrScheduled());

  for (const std::wstring& path : listed_) EXPECT_FALSE(Exists(path)) << Narrow(path);
  for (const std::string& file : userFiles) EXPECT_TRUE(Exists(file)) << file;
  EXPECT_FALSE(Exists(folder + "jre\\bin"));
  EXPECT_FALSE(Exists(folder + "jre\\lib\\ext"));
  ExpectEntriesAndLinksGone();
}

TEST_F(Uninstall, SilentRemovalEndsWhenTheWorkIsDoneAndLeavesNothing) {
  const std::string folder = "C:\\kelvamo silent\\";  // a folder no other test writes into
  Install({false, false, true, false}, folder);
  UninstallRun silent(EntryValue(L"QuietUninstallString"));
  ASSERT_TRUE(silent.started());
  EXPECT_EQ(silent.Wait(true), static_cast<DWORD>(kUninstallDone));
  // Only the uninstaller's own file waits for the started process to end.
  for (const std::wstring& path : listed_) {
    if (!Contains(path, Wide(kUninstallerFile))) {
      EXPECT_FALSE(Exists(path)) << Narrow(path);
    }
  }
  ExpectEntriesAndLinksGone();
  EXPECT_TRUE(WaitUntil([&] { return !Exists(folder); }));
  EXPECT_TRUE(silent.CopyGoneOrScheduled());
}

TEST_F(Uninstall, MissingListDeletesNoFileAndOffersToRemoveOnlyEntriesAndLinks) {
  const std::string folder = "C:\\kelvamo no list\\";
  Install({true, false, false, false}, folder);
  ASSERT_TRUE(DeleteFileA((folder + kInstalledListFile).c_str()));
  const std::wstring list = Wide(folder + kInstalledListFile);
  listed_.erase(std::remove(listed_.begin(), listed_.end(), list), listed_.end());
  {
    UninstallRun silent(EntryValue(L"QuietUninstallString"));
    EXPECT_EQ(silent.Wait(true), static_cast<DWORD>(kUninstallNoList));
    ExpectNothingRemoved({kLinks[2], kLinks[3]});
  }
  {
    UninstallRun asked(EntryValue(L"UninstallString"));
    EXPECT_TRUE(Contains(Answer(IDNO), L"不会删除任何文件"));
    EXPECT_EQ(asked.Wait(), static_cast<DWORD>(kUninstallCancelled));
    ExpectNothingRemoved({kLinks[2], kLinks[3]});
  }
  UninstallRun run(EntryValue(L"UninstallString"));
  const std::wstring offer = Answer(IDYES);
  EXPECT_TRUE(Contains(offer, Wide(folder) + L"uninstall.lst")) << Narrow(offer);
  EXPECT_TRUE(Contains(offer, L"是否只删除 Kelvamo 的注册表项和快捷方式?")) << Narrow(offer);
  EXPECT_TRUE(Contains(Answer(IDOK), L"Kelvamo 的注册表项和快捷方式已删除。"));
  EXPECT_EQ(run.Wait(), static_cast<DWORD>(kUninstallNoList));
  EXPECT_TRUE(run.CopyGoneOrScheduled());
  ExpectEntriesAndLinksGone();
  for (const std::wstring& path : listed_) EXPECT_TRUE(Exists(path)) << Narrow(path);
}

// The install folder swapped for a link while the question shows: the list was read from the real
// folder, so nothing is removed, neither in the link's target nor in the moved folder.
TEST_F(Uninstall, AFolderSwappedWhileTheQuestionShowsIsLeftAlone) {
  const std::string folder = "C:\\kelvamo swapped\\";
  const std::string moved = "C:\\kelvamo swapped away";
  const std::string victim = "C:\\kelvamo swap victim\\";
  const std::string path = folder.substr(0, folder.size() - 1);
  Install({false, false, false, false}, folder);
  CreateDirectoryA(victim.c_str(), nullptr);
  CreateDirectoryA((victim + "jre").c_str(), nullptr);
  WriteFileText(victim + kApplicationFile, "not Kelvamo's");
  UninstallRun run(EntryValue(L"UninstallString"));
  ASSERT_TRUE(UninstallerBox());
  const std::string unixPath = UnixPath(path);
  RunUnix("mv '" + unixPath + "' '" + UnixPath(moved) + "' && ln -s '" + UnixPath(victim) + "' '" +
          unixPath + "'");
  EXPECT_TRUE(Contains(Answer(IDYES), L"你确实要从此计算机上卸载 Kelvamo 吗?"));
  const std::wstring end = Answer(IDOK);
  EXPECT_TRUE(Contains(end, L"被替换")) << Narrow(end);
  EXPECT_EQ(run.Wait(), static_cast<DWORD>(kUninstallFailed));
  EXPECT_EQ(ReadFileText(victim + kApplicationFile), "not Kelvamo's");
  EXPECT_TRUE(Exists(victim + "jre"));
  for (const std::wstring& file : listed_) {
    EXPECT_TRUE(Exists(Wide(moved) + file.substr(path.size()))) << Narrow(file);
  }
  EXPECT_TRUE(HasKey(kUninstallKey));
  RemoveLink(path, true);
  ASSERT_TRUE(MoveFileA(moved.c_str(), path.c_str()));
  RemoveSilently(folder);
}

// Listed folders that are links: neither they nor anything through them is removed.
TEST_F(Uninstall, ListedFoldersThatAreLinksAndWhatLiesBeyondStay) {
  const std::string folder = "C:\\kelvamo folder links\\";
  const std::string emptyOutside = "C:\\kelvamo outside empty";
  const std::string fullOutside = "C:\\kelvamo outside full";
  Install({false, false, false, false}, folder);
  CreateDirectoryA(emptyOutside.c_str(), nullptr);
  CreateDirectoryA(fullOutside.c_str(), nullptr);
  // The outside folder holds what the listed folder held.
  std::vector<std::string> beyond;
  for (const std::wstring& file : listed_) {
    const std::string name = Narrow(file).substr(folder.size());
    if (name.rfind("jre\\bin\\", 0) != 0 || name.find('\\', 8) != std::string::npos) continue;
    beyond.push_back(fullOutside + "\\" + name.substr(8));
    WriteFileText(beyond.back(), "not Kelvamo's");
  }
  ASSERT_FALSE(beyond.empty());
  for (const char* listed : {"jre\\lib", "jre\\bin"}) {
    RunUnix("rm -rf '" + UnixPath(folder + listed) + "'");
  }
  PlantLink(folder + "jre\\lib", emptyOutside, true);
  PlantLink(folder + "jre\\bin", fullOutside, true);
  UninstallRun silent(EntryValue(L"QuietUninstallString"));
  EXPECT_EQ(silent.Wait(true), static_cast<DWORD>(kUninstallIncomplete));
  EXPECT_TRUE(Exists(emptyOutside));
  for (const std::string& file : beyond) EXPECT_EQ(ReadFileText(file), "not Kelvamo's") << file;
  EXPECT_TRUE(Exists(folder + "jre\\lib"));
  EXPECT_TRUE(Exists(folder + "jre\\bin"));
  RemoveLink(folder + "jre\\lib", true);
  RemoveLink(folder + "jre\\bin", true);
}

// A listed file that is a link to a file outside: Wine shows it as a plain file and would delete
// the target; the target survives and the link is reported as kept.
TEST_F(Uninstall, AListedFileThatIsALinkLeavesItsTargetAlone) {
  const std::string folder = "C:\\kelvamo file link\\";
  const std::string outside = "C:\\kelvamo outside file.txt";
  Install({false, false, false, false}, folder);
  WriteFileText(outside, "not Kelvamo's");
  RunUnix("rm -f '" + UnixPath(folder + kApplicationFile) + "'");
  PlantLink(folder + kApplicationFile, outside, false);
  UninstallRun silent(EntryValue(L"QuietUninstallString"));
  EXPECT_EQ(silent.Wait(true), static_cast<DWORD>(kUninstallIncomplete));
  EXPECT_EQ(ReadFileText(outside), "not Kelvamo's");
  EXPECT_TRUE(Exists(folder + kInstalledListFile)) << "kept for a later run";
  RemoveLink(folder + kApplicationFile, false);
}

// A listed file another program holds open: the closing message says first what stays and why,
// and the entry stays, pointing at an uninstaller that finishes the work once the file is free.
TEST_F(Uninstall, AFileInUseIsNamedFirstAndTheEntryStaysForALaterRun) {
  const std::string folder = "C:\\kelvamo file in use\\";
  Install({false, false, false, false}, folder);
  const std::string held = folder + "README.txt";
  HANDLE file = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  {
    UninstallRun run(EntryValue(L"UninstallString"));
    EXPECT_TRUE(Contains(Answer(IDYES), L"你确实要从此计算机上卸载 Kelvamo 吗?"));
    const std::wstring end = Answer(IDOK);
    EXPECT_EQ(end.rfind(L"Kelvamo 没有完全删除。", 0), 0u) << Narrow(end);
    EXPECT_TRUE(Contains(end, Wide(held) + L"\r\n  原因: 正被其他程序使用。")) << Narrow(end);
    EXPECT_TRUE(Contains(end, L"卸载项已保留")) << Narrow(end);
    EXPECT_FALSE(Contains(end, L"已从此计算机上删除")) << Narrow(end);
    EXPECT_EQ(run.Wait(), static_cast<DWORD>(kUninstallIncomplete));
  }
  EXPECT_TRUE(HasKey(kUninstallKey));
  EXPECT_TRUE(HasKey(kAppKey));
  EXPECT_TRUE(Exists(folder + kUninstallerFile));
  EXPECT_TRUE(Exists(folder + kInstalledListFile));
  CloseHandle(file);
  UninstallRun later(EntryValue(L"QuietUninstallString"));
  EXPECT_EQ(later.Wait(true), static_cast<DWORD>(kUninstallDone));
  EXPECT_FALSE(Exists(held));
  ExpectEntriesAndLinksGone();
}

// A silent start with a switch it does not take ends at once with its code, no window.
TEST_F(Uninstall, ABadSilentCommandLineShowsNoWindow) {
  UninstallRun run(L"\"Z:" KELVAMO_UNINSTALL_EXE L"\" /S /X");
  ASSERT_TRUE(run.started());
  EXPECT_EQ(run.Wait(true), static_cast<DWORD>(kUninstallFailed));
}

// Run from the top of a drive with no list: another installation's links and keys stay, and it
// says that nothing was removed.
TEST_F(Uninstall, RunFromElsewhereItClaimsNoOtherInstallationsEntries) {
  const std::string folder = "C:\\kelvamo elsewhere\\";
  Install({true, false, true, false}, folder);
  const std::string stray = "C:\\Uninstall.exe";
  ASSERT_TRUE(CopyFileA((folder + "uninstall.exe").c_str(), stray.c_str(), FALSE));
  const std::vector<std::string> links = {kLinks[1], kLinks[2], kLinks[3]};
  {
    UninstallRun run(Wide('"' + stray + '"'));
    EXPECT_TRUE(Contains(Answer(IDYES), L"是否只删除 Kelvamo 的注册表项和快捷方式?"));
    const std::wstring end = Answer(IDOK);
    EXPECT_TRUE(Contains(end, L"什么也没有删除")) << Narrow(end);
    EXPECT_FALSE(Contains(end, L"已删除")) << Narrow(end);
    EXPECT_EQ(run.Wait(), static_cast<DWORD>(kUninstallNoList));
  }
  ExpectNothingRemoved(links);
  DeleteFileA(stray.c_str());
  RemoveSilently(folder);
}

// An uninstall entry whose command, stored expandable, names another uninstaller is not ours.
TEST_F(Uninstall, AnEntryNamingAnotherUninstallerStaysWhateverItsType) {
  const std::string folder = "C:\\kelvamo expandable\\";
  Install({false, false, false, false}, folder);
  const std::wstring quiet = EntryValue(L"QuietUninstallString");
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_SET_VALUE, &key), 0);
  const char other[] = "\"%SystemDrive%\\other product\\uninstall.exe\"";
  RegSetValueExA(key, "UninstallString", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(other),
                 sizeof(other));
  RegCloseKey(key);
  UninstallRun silent(quiet);
  EXPECT_EQ(silent.Wait(true), static_cast<DWORD>(kUninstallDone));
  EXPECT_TRUE(HasKey(kUninstallKey));
  EXPECT_FALSE(HasKey(kAppKey));
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
}

// The internal switch typed by hand proves nothing: nothing is removed, least of all the file
// named as the original.
TEST_F(Uninstall, TheCopysSwitchTypedByHandRemovesNothing) {
  const std::string folder = "C:\\kelvamo typed copy\\";
  Install({false, false, false, false}, folder);
  const std::string mine = folder + "mine.txt";
  WriteFileText(mine, "mine");
  const std::wstring program = L"\"" + Wide(folder) + L"uninstall.exe\" /S /copy 4 8 0 ";
  for (const std::wstring& tail : {std::wstring(), std::wstring(L"12 ")}) {
    UninstallRun run(program + tail + L"\"" + Wide(mine) + L"\"");
    EXPECT_EQ(run.Wait(true), static_cast<DWORD>(kUninstallFailed));
    EXPECT_EQ(ReadFileText(mine), "mine");
    ExpectNothingRemoved({});
  }
  DeleteFileA(mine.c_str());
  RemoveSilently(folder);
}

TEST_F(Uninstall, AnUpgradeLeavesNothingOfTheOldVersionAndTheRemovalOnlyTheUsersFiles) {
  const std::string folder = "C:\\kelvamo upgrade\\";
  Install(kAllCleared, folder);
  const std::vector<std::wstring> version1 = listed_;
  const std::vector<std::string> stale = {folder + "README.txt",
                                          folder + "jre\\lib\\charsets.jar.pack.gz",
                                          folder + "jre\\lib\\charsets.jar"};
  for (const std::string& file : stale) ASSERT_TRUE(Exists(file)) << file;
  SetFileAttributesA(stale[0].c_str(), FILE_ATTRIBUTE_READONLY);
  const std::vector<std::string> userFiles = {folder + "我的笔记.txt",
                                              folder + "jre\\lib\\user settings.cfg",
                                              folder + "saves\\slot 1.sav"};
  CreateDirectoryA((folder + "saves").c_str(), nullptr);
  for (const std::string& file : userFiles) WriteFileText(file, "mine");

  Install(kAllCleared, folder, UpgradeSetupExe());
  for (const std::string& file : stale) EXPECT_FALSE(Exists(file)) << file;
  for (const std::wstring& path : listed_) EXPECT_TRUE(Exists(path)) << Narrow(path);
  EXPECT_TRUE(Exists(folder + "docs\\NEWS.txt"));
  for (const std::string& file : userFiles) EXPECT_TRUE(Exists(file)) << file;

  UninstallRun silent(EntryValue(L"QuietUninstallString"));
  ASSERT_TRUE(silent.started());
  EXPECT_EQ(silent.Wait(true), static_cast<DWORD>(kUninstallDone));
  std::vector<std::wstring> bothVersions = version1;
  bothVersions.insert(bothVersions.end(), listed_.begin(), listed_.end());
  for (const std::wstring& path : bothVersions) {
    if (!Contains(path, Wide(kUninstallerFile))) {
      EXPECT_FALSE(Exists(path)) << Narrow(path);
    }
  }
  for (const std::string& file : userFiles) EXPECT_TRUE(Exists(file)) << file;
  EXPECT_FALSE(Exists(folder + "jre\\bin"));
  EXPECT_FALSE(Exists(folder + "docs"));
  ExpectEntriesAndLinksGone();
  EXPECT_TRUE(silent.CopyGoneOrScheduled());
}

namespace {

const std::wstring kDesignVersion = L"1.0.0513 beta";

// The texts that name the version, as the design has them for its release: the caption and the
// titles and lines of the four pages, with the control that shows each.
struct VersionText {
  WizardPage page;
  int id;  // 0: the wizard's caption
  std::wstring design;
};
const VersionText kVersionTexts[] = {
    {WizardPage::Welcome, 0, L"KelvamoV1.0.0513 beta版 安装"},
    {WizardPage::Welcome, IDC_WELCOME_TITLE, L"欢迎使用\"KelvamoV1.0.0513 beta版\"安装向导"},
    {WizardPage::Welcome, IDC_WELCOME_TEXT,
     L"这个向导将指引你完成“KelvamoV1.0.0513 beta版”的安装进程。\r\n\r\n"
     L"在开始安装之前，建议先关闭其他所有应用程序。这将允许“安装程序”更新指定的系统文件，"
     L"而不需要重新启动你的计算机。\r\n\r\n单击 [下一步(N)] 继续。"},
    {WizardPage::Folder, IDC_FOLDER_TEXT,
     L"Setup 将安装 KelvamoV1.0.0513 beta版 在下列文件夹。要安装到不同文件夹，单击 [浏览(B)] "
     L"并选择其他的文件夹。 单击 [下一步(N)] 继续。"},
    {WizardPage::Folder, IDC_SUBHEADING, L"  选择\"KelvamoV1.0.0513 beta 版\"的安装文件夹。"},
    {WizardPage::Progress, IDC_SUBHEADING, L"  \"KelvamoV1.0.0513 beta版\" 正在安装，请等候。"},
    {WizardPage::Finish, IDC_FINISH_TITLE, L"欢迎使用\"KelvamoV1.0.0513 beta版\"安装向导"},
};

std::wstring WideAscii(const char* text) { return std::wstring(text, text + strlen(text)); }

// Every version text of the running wizard is the design's with `version` in its place.
void ExpectVersionTexts(const WizardDriver& setup, const char* version) {
  for (const VersionText& text : kVersionTexts) {
    std::wstring expected = text.design;
    expected.replace(expected.find(kDesignVersion), kDesignVersion.size(), WideAscii(version));
    HWND window = text.id == 0 ? setup.Wizard() : setup.Control(text.page, text.id);
    EXPECT_EQ(WizardDriver::Text(window), expected) << text.id;
  }
}

// The version record of a program: the four numbers and the "FileVersion" text.
std::string FileVersion(const std::wstring& path) {
  std::vector<char> record(GetFileVersionInfoSizeW(path.c_str(), nullptr) + 1);
  VS_FIXEDFILEINFO* fixed = nullptr;
  wchar_t* text = nullptr;
  UINT size = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, record.size(), record.data()) ||
      !VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &size) ||
      !VerQueryValueW(record.data(), L"\\StringFileInfo\\080404b0\\FileVersion",
                      reinterpret_cast<void**>(&text), &size)) {
    return "<no version record>";
  }
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionLS)) + " \"" + Narrow(text) + '"';
}

}  // namespace

// The default build carries the design's texts and version record; the release of another version
// carries that version in the same places, and in the uninstall entry.
TEST_F(Uninstall, EachVersionNamesItselfInItsTextsItsVersionRecordAndItsEntry) {
  if (std::string(KELVAMO_BUILD_VERSION) == "1.0.0513 beta") {
    EXPECT_EQ(FileVersion(WizardDriver::SetupExePath()), "1.0.0.1 \"1, 0, 0, 1\"");
    WizardDriver setup;
    ASSERT_TRUE(setup.Start());
    ExpectVersionTexts(setup, KELVAMO_BUILD_VERSION);
  }
  EXPECT_EQ(FileVersion(UpgradeSetupExe()),
            KELVAMO_UPGRADE_FILE_DOTS " \"" KELVAMO_UPGRADE_FILE_COMMAS "\"");
  const std::string folder = "C:\\kelvamo other version\\";
  ASSERT_NE(FinishWith(kAllCleared, folder, UpgradeSetupExe(),
                       [](const WizardDriver& setup) {
                         ExpectVersionTexts(setup, KELVAMO_UPGRADE_VERSION);
                       }),
            -1);
  EXPECT_EQ(EntryValue(L"DisplayVersion"), WideAscii(KELVAMO_UPGRADE_VERSION));
  RemoveSilently(folder);
}

// The same version again writes every file anew: a damaged and a deleted file come back, the
// user's file stays, and the folder page proposes the installed folder.
TEST_F(Uninstall, TheSameVersionAgainRepairsTheInstallationInItsFolder) {
  const std::string folder = "C:\\kelvamo repaired\\";
  Install(kAllCleared, folder);
  const std::string application = folder + kApplicationFile;
  const std::string original = ReadFileText(application);
  WriteFileText(application, "damaged");
  ASSERT_TRUE(DeleteFileA((folder + "README.txt").c_str()));
  WriteFileText(folder + "mine.txt", "mine");

  ASSERT_NE(FinishWith(kAllCleared, "", WizardDriver::SetupExePath(),
                       [&](const WizardDriver& setup) {
                         EXPECT_EQ(Narrow(WizardDriver::Text(
                                       setup.Control(WizardPage::Folder, kFolderEdit))),
                                   folder);
                       }),
            -1);
  EXPECT_EQ(ReadFileText(application), original);
  for (const std::wstring& path : listed_) EXPECT_TRUE(Exists(path)) << Narrow(path);
  EXPECT_EQ(ReadFileText(folder + "mine.txt"), "mine");
  ExpectRegistryFor(folder);
  RemoveSilently(folder);
}

// An upgrade proposes the installed folder; taken into another one, it removes the old
// installation as its uninstaller would, so one stays registered and the user's files stay where
// they were. Then the older version is refused before it writes anything.
TEST_F(Uninstall, AnUpgradeIntoAnotherFolderLeavesOneInstallationAndAnOlderOneIsRefused) {
  const std::string old = "C:\\kelvamo old place\\";
  Install({true, true, true, false}, old);
  for (const std::string& link : kLinks) ASSERT_TRUE(Exists(link)) << link;
  const std::vector<std::wstring> oldFiles = listed_;
  const std::string mine = old + "我的笔记.txt";
  WriteFileText(mine, "mine");

  const std::string now = "C:\\kelvamo new place\\";
  ASSERT_NE(FinishWith(kAllCleared, now, UpgradeSetupExe(),
                       [&](const WizardDriver& setup) {
                         EXPECT_EQ(Narrow(WizardDriver::Text(
                                       setup.Control(WizardPage::Folder, kFolderEdit))),
                                   old);
                       }),
            -1);
  for (const std::wstring& path : oldFiles) EXPECT_FALSE(Exists(path)) << Narrow(path);
  EXPECT_FALSE(Exists(old + "jre"));
  EXPECT_EQ(ReadFileText(mine), "mine");
  for (const std::string& link : kLinks) EXPECT_FALSE(Exists(link)) << link;
  EXPECT_TRUE(Exists(now + kInstalledListFile));
  EXPECT_EQ(EntryValue(L"InstallLocation"), Wide(now));
  EXPECT_EQ(EntryValue(L"DisplayVersion"), WideAscii(KELVAMO_UPGRADE_VERSION));

  WizardDriver older;
  ASSERT_TRUE(older.Launch());
  HWND box = older.WaitForTopLevelDialog(20000);
  ASSERT_NE(box, nullptr);
  const std::wstring text = WizardDriver::Text(GetDlgItem(box, kMessageText));
  EXPECT_TRUE(Contains(text, WideAscii(KELVAMO_UPGRADE_VERSION))) << Narrow(text);
  EXPECT_TRUE(Contains(text, WideAscii(KELVAMO_BUILD_VERSION))) << Narrow(text);
  WizardDriver::Click(box, IDOK);
  EXPECT_EQ(older.WaitForExit(10000), static_cast<DWORD>(kExitRefused));
  EXPECT_EQ(EntryValue(L"DisplayVersion"), WideAscii(KELVAMO_UPGRADE_VERSION));
  EXPECT_EQ(RegistryBytes(kAppKey, "Path"), now + '\0');

  RemoveSilently(now);
  EXPECT_FALSE(HasKey(kUninstallKey));
  EXPECT_EQ(ReadFileText(mine), "mine");
  DeleteFileA(mine.c_str());
  RemoveDirectoryA(old.c_str());
}
