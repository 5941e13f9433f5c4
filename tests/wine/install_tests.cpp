// The real setup.exe installing its sample product under Wine, driven from outside: a full run,
// a folder with stale payload files, a folder that cannot be made, and a damaged archive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelvamo_product.h"
#include "test_files.h"
#include "wizard_driver.h"

using kelvamo::kApplicationFile;
using kelvamo::kArchiveName;
using kelvamo::kExtractorName;
using kelvamo::kProductHost;
using kelvamo::kProductName;
using kelvamo::kPublisher;
using kelvamo::kProductVersion;
using kelvamo::kUninstallCommandFile;
using kelvamo::kUninstallerFile;
using kelvamo::kUninstallKey;

namespace {

const int kMessageText = 0xFFFF;  // the static of a message box
const DWORD kInstallTimeoutMs = 240000;

std::string Narrow(const std::wstring& text) {
  char bytes[512] = {};
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof(bytes) - 1, nullptr, nullptr);
  return bytes;
}

// The value's bytes as stored, or a marker when it is missing.
std::string RegistryBytes(const char* keyName, const char* valueName) {
  HKEY key;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, keyName, &key) != ERROR_SUCCESS) return "<no key>";
  char data[512];
  DWORD size = sizeof(data), type = 0;
  const LONG result =
      RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return "<no string>";
  return std::string(data, size);
}

DWORD RegistryNumber(const char* keyName, const char* valueName) {
  DWORD number = 0, size = sizeof(number);
  if (RegGetValueA(HKEY_LOCAL_MACHINE, keyName, valueName, RRF_RT_REG_DWORD, nullptr, &number,
                   &size) != ERROR_SUCCESS) {
    return 0xFFFFFFFF;
  }
  return number;
}

void ExpectRegistryFor(const std::string& folder) {
  EXPECT_EQ(RegistryBytes("Software\\kelvamo", "Path"), folder + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "DisplayName"), std::string(kProductName) + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "DisplayVersion"), std::string(kProductVersion) + '\0');
  const std::string command = '"' + folder + kUninstallCommandFile + '"';
  EXPECT_EQ(RegistryBytes(kUninstallKey, "UninstallString"), command + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "QuietUninstallString"), command + " /S" + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "InstallLocation"), folder + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "DisplayIcon"), folder + kApplicationFile + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "Publisher"), std::string(kPublisher) + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "URLInfoAbout"),
            std::string("http://") + kProductHost + "/" + '\0');
  EXPECT_EQ(RegistryNumber(kUninstallKey, "NoModify"), 1u);
  EXPECT_EQ(RegistryNumber(kUninstallKey, "NoRepair"), 1u);
}

std::vector<std::string> PackedLibraries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "*.pack.gz").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(folder + entry.cFileName);
  while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

// Sets "Path" of the application key to a marker that an installation would overwrite.
void WriteRegistryMarker() {
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\kelvamo", &key), ERROR_SUCCESS);
  RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>("marker"), 7);
  RegCloseKey(key);
}

BOOL CALLBACK TakeLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
  *reinterpret_cast<WORD*>(found) = language;
  return FALSE;
}

// A copy of setup.exe whose payload resource `id` has 4 KB flipped from `offset` (a fraction of
// its size), made with the resource update API. Empty when the copy could not be made.
std::wstring DamagedSetupCopy(WORD id, double offset) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"kelvamo damaged setup " + std::to_wstring(id) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring copy = folder + L"setup.exe";  // keeps the program's name for its titles
  if (!CopyFileW(WizardDriver::SetupExePath().c_str(), copy.c_str(), FALSE)) return L"";

  HMODULE image = LoadLibraryExW(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC resource = FindResourceA(image, MAKEINTRESOURCEA(id), "SETUP");
  if (!resource) return L"";
  std::string bytes(static_cast<const char*>(LockResource(LoadResource(image, resource))),
                    SizeofResource(image, resource));
  WORD language = 0;
  EnumResourceLanguagesA(image, "SETUP", MAKEINTRESOURCEA(id), TakeLanguage,
                         reinterpret_cast<LONG_PTR>(&language));
  FreeLibrary(image);
  const size_t start = static_cast<size_t>(bytes.size() * offset);
  for (size_t i = start; i < start + 4096 && i < bytes.size(); ++i) bytes[i] ^= 0x5A;

  HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
  if (!update) return L"";
  const bool updated = UpdateResourceA(update, "SETUP", MAKEINTRESOURCEA(id), language,
                                       &bytes[0], static_cast<DWORD>(bytes.size()));
  return EndUpdateResourceW(update, !updated) && updated ? copy : L"";
}

// Answers the message box the wizard shows and returns its text.
std::wstring AnswerMessageBox(const WizardDriver& setup) {
  HWND box = setup.WaitForOwnedDialog(kInstallTimeoutMs);
  if (!box) return L"<no message box>";
  const std::wstring text = WizardDriver::Text(GetDlgItem(box, kMessageText));
  EXPECT_EQ(WizardDriver::Text(box), L"setup");
  WizardDriver::Click(box, GetDlgItem(box, IDOK) ? IDOK : IDCANCEL);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  return text;
}

class InstallTest : public testing::Test {
 protected:
  // Starts setup.exe and types `folder` on the folder page, then presses Next.
  void StartInstallInto(const std::string& folder, const std::wstring& exe = WizardDriver::SetupExePath()) {
    ASSERT_TRUE(setup_.Start(exe));
    WizardDriver::Click(setup_.Wizard(), kNext);
    ASSERT_TRUE(setup_.WaitForPage(WizardPage::Folder));
    InstallInto(folder);
  }
  void InstallInto(const std::string& folder) {
    ASSERT_TRUE(WizardDriver::SetText(setup_.Control(WizardPage::Folder, kFolderEdit), Wide(folder)));
    WizardDriver::Click(setup_.Wizard(), kNext);
  }
  // Waits for the completed state, noting whether the payload files and the extractor's progress
  // rows on the status line were seen meanwhile.
  bool WaitForCompletion(const std::string& folder, bool* sawPayload, bool* sawProgress = nullptr) {
    *sawPayload = false;
    bool progress = false;
    const bool completed = WaitUntil(
        [&] {
          *sawPayload =
              *sawPayload || (Exists(folder + kArchiveName) && Exists(folder + kExtractorName));
          HWND status = setup_.Control(WizardPage::Progress, kStatusEdit);
          progress = progress || WizardDriver::Text(status).compare(0, 11, L"Extracting ") == 0;
          return WizardDriver::Enabled(Button(kNext)) && setup_.Page(WizardPage::Progress) &&
                 WizardDriver::Visible(setup_.Page(WizardPage::Progress));
        },
        kInstallTimeoutMs);
    if (sawProgress) *sawProgress = progress;
    return completed;
  }
  void ExpectButtons(bool back, bool next, bool cancel) {
    EXPECT_EQ(WizardDriver::Enabled(Button(kBack)), back);
    EXPECT_EQ(WizardDriver::Enabled(Button(kNext)), next);
    EXPECT_EQ(WizardDriver::Enabled(Button(kCancel)), cancel);
  }
  void ExpectCompleted(const std::string& folder) {
    ASSERT_TRUE(setup_.WaitForPage(WizardPage::Progress, 0));
    EXPECT_EQ(WizardDriver::Text(setup_.Control(WizardPage::Progress, kStatusEdit)), L"Completing...");
    EXPECT_EQ(WizardDriver::ProgressPosition(setup_.Control(WizardPage::Progress, kProgressBar)), 100);
    ExpectButtons(false, true, false);
    ExpectRegistryFor(folder);
    EXPECT_FALSE(Exists(folder + kArchiveName));
    EXPECT_FALSE(Exists(folder + kExtractorName));
    EXPECT_TRUE(Exists(folder + kApplicationFile));
    EXPECT_TRUE(Exists(folder + kUninstallerFile));
    size_t packed = 0;
    for (const char* lib : {"jre\\lib\\", "jre\\lib\\ext\\"}) {
      for (const std::string& path : PackedLibraries(folder + lib)) {
        ++packed;
        const std::string library = path.substr(0, path.size() - 8);  // without ".pack.gz"
        EXPECT_TRUE(Exists(library)) << library;
      }
    }
    EXPECT_GT(packed, 1u);
  }
  HWND Button(int id) const { return setup_.Button(id); }

  WizardDriver setup_;
};

}  // namespace

TEST_F(InstallTest, FullRunFromTheFolderPageToCompletion) {
  const std::string folder = "C:\\Program Files\\kelvamo\\";
  StartInstallInto(folder);
  bool sawPayload = false, sawProgress = false;
  ASSERT_TRUE(WaitForCompletion(folder, &sawPayload, &sawProgress));
  EXPECT_TRUE(sawPayload) << "the payload files are written, then deleted";
  EXPECT_TRUE(sawProgress) << "the status line shows the extractor's rows";
  ExpectCompleted(folder);
  EXPECT_TRUE(setup_.NoOwnedDialogFor(300));

  WizardDriver::Click(setup_.Wizard(), kNext);
  EXPECT_TRUE(setup_.WaitForPage(WizardPage::Finish));
}

TEST_F(InstallTest, ExistingFolderWithStalePayloadFiles) {
  const std::string folder = "C:\\kelvamo stale\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  for (const char* name : {kArchiveName, kExtractorName}) {
    WriteFileText(folder + name, std::string(300000, 'S'));
  }
  StartInstallInto(folder);
  bool sawPayload = false;
  ASSERT_TRUE(WaitForCompletion(folder, &sawPayload));
  ExpectCompleted(folder);
}

TEST_F(InstallTest, MissingDriveReturnsToTheFolderPageAndASecondAttemptInstalls) {
  const std::string missing = "Q:\\kelvamo\\";
  StartInstallInto(missing);
  EXPECT_EQ(AnswerMessageBox(setup_), L"文件夹路径错误!");
  ASSERT_TRUE(setup_.WaitForPage(WizardPage::Folder));
  EXPECT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(Button(kNext)); }));
  ExpectButtons(true, true, true);
  ExpectRegistryFor(missing);

  const std::string folder = "C:\\kelvamo second\\";
  InstallInto(folder);
  EXPECT_TRUE(WaitUntil([&] { return RegistryBytes("Software\\kelvamo", "Path") == folder + '\0'; }));
  bool sawPayload = false;
  ASSERT_TRUE(WaitForCompletion(folder, &sawPayload));
  ExpectCompleted(folder);
}

TEST_F(InstallTest, OverlongFolderIsRefusedBeforeAnythingIsWritten) {
  const std::string folder = "C:\\" + std::string(236, 'l') + '\\';  // 240 characters
  WriteRegistryMarker();
  StartInstallInto(folder);
  EXPECT_EQ(AnswerMessageBox(setup_), L"文件夹路径错误!");
  ASSERT_TRUE(setup_.WaitForPage(WizardPage::Folder));
  EXPECT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(Button(kBack)); }));
  EXPECT_EQ(RegistryBytes("Software\\kelvamo", "Path"), std::string("marker") + '\0');
  EXPECT_FALSE(Exists(folder));
}

TEST_F(InstallTest, DamagedArchiveEndsInTheFailureStateNeverInSuccess) {
  const std::wstring exe = DamagedSetupCopy(132, 0.5);
  ASSERT_FALSE(exe.empty());
  const std::string folder = "C:\\kelvamo damaged\\";
  StartInstallInto(folder, exe);
  EXPECT_EQ(AnswerMessageBox(setup_), L"安装失败!请按“取消”退出安装程序。");
  ASSERT_TRUE(setup_.WaitForPage(WizardPage::Progress));
  const std::wstring status = WizardDriver::Text(setup_.Control(WizardPage::Progress, kStatusEdit));
  EXPECT_EQ(status.compare(0, 7, L"UHARC: "), 0) << "the extractor's error row stays: " << Narrow(status);
  EXPECT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(Button(kCancel)); }));
  ExpectButtons(false, false, true);
  EXPECT_TRUE(setup_.NoOwnedDialogFor(1000));
  EXPECT_FALSE(WizardDriver::Enabled(Button(kNext)));
}

TEST_F(InstallTest, ExtractorThatCannotStartReturnsToTheFolderPage) {
  const std::wstring exe = DamagedSetupCopy(133, 0.0);
  ASSERT_FALSE(exe.empty());
  const std::string folder = "C:\\kelvamo no extractor\\";
  StartInstallInto(folder, exe);
  EXPECT_EQ(AnswerMessageBox(setup_), L"无法启动解压程序!");
  ASSERT_TRUE(setup_.WaitForPage(WizardPage::Folder));
  EXPECT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(Button(kNext)); }));
  ExpectButtons(true, true, true);
  EXPECT_FALSE(Exists(folder + kArchiveName));
  EXPECT_FALSE(Exists(folder + kExtractorName));
}
