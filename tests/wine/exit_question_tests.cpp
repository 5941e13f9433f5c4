// "是(Y)" and "否(N)" of the exit question, with the real setup.exe driven from outside: what the
// answer takes back at each step, and what it leaves in place.
#include <gtest/gtest.h>

#include <string>

#include "setup/app/exit_codes.h"
#include "lib/win32/process_list.h"
#include "shared/kelvamo_product.h"
#include "tests/wine/test_files.h"
#include "tests/wine/wizard_driver.h"

using kelvamo::kApplicationFile;
using kelvamo::kArchiveName;
using kelvamo::kExtractorName;
using kelvamo::kJournalFile;
using kelvamo::kSetupLogFile;
using kelvamo::kUninstallKey;

namespace {

const char* const kUninstallValues[] = {"DisplayName", "DisplayVersion", "UninstallString"};
const DWORD kInstallTimeoutMs = 240000;

std::string Value(const char* keyPath, const char* name) {
  char data[512] = {};
  DWORD size = sizeof(data) - 1;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, keyPath, name, RRF_RT_REG_SZ, nullptr, data, &size) != 0) {
    return "<none>";
  }
  return data;
}

void SetValue(const char* keyPath, const char* name, const std::string& text) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, keyPath, &key), ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

// Opens the question with the window menu's Close command (Cancel is disabled from the install
// start on) and answers it.
void Answer(const WizardDriver& setup, int button) {
  setup.SystemCommand(SC_CLOSE);
  HWND question = setup.WaitForOwnedDialog();
  ASSERT_NE(question, nullptr);
  WizardDriver::Click(question, button);
}

// A stand-in extractor process, running until it is ended.
class FakeExtractor {
public:
  FakeExtractor() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder.erase(folder.find_last_of('\\') + 1);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string exe = std::string(temp) + kExtractorName;
    CopyFileA((folder + "idle_child.exe").c_str(), exe.c_str(), FALSE);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::string command = '"' + exe + '"';
    CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &m_process);
    WaitUntil([] { return FindProcessByName(kExtractorName) != 0; });
  }
  ~FakeExtractor() {
    TerminateProcess(m_process.hProcess, 0);
    CloseHandle(m_process.hProcess);
    CloseHandle(m_process.hThread);
  }
  DWORD ExitCode() const {
    DWORD code = 0;
    WaitForSingleObject(m_process.hProcess, 5000);
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
  }

private:
  PROCESS_INFORMATION m_process = {};
};

}  // namespace

TEST(ExitQuestion, YesAtStepsOneAndTwoStopsTheExtractorAndTouchesNothingElse) {
  const std::string folder = "C:\\Program Files\\kelvamo\\";
  CreateDirectoryA("C:\\Program Files", nullptr);
  CreateDirectoryA(folder.c_str(), nullptr);
  for (int step = 1; step <= 2; ++step) {
    SCOPED_TRACE(testing::Message() << "step " << step);
    WriteFileText(folder + kArchiveName, "");
    WriteFileText(folder + kExtractorName, "");
    for (const char* name : kUninstallValues) SetValue(kUninstallKey, name, "kept");
    FakeExtractor extractor;

    WizardDriver setup;
    ASSERT_TRUE(setup.Start());
    if (step == 2) {
      WizardDriver::Click(setup.Wizard(), kNext);
      ASSERT_TRUE(setup.WaitForPage(WizardPage::Folder));
    }
    WizardDriver::Click(setup.Wizard(), kCancel);
    HWND question = setup.WaitForOwnedDialog();
    ASSERT_NE(question, nullptr);
    WizardDriver::Click(question, kYes);
    EXPECT_EQ(setup.WaitForExit(), static_cast<DWORD>(kExitCancelled));
    EXPECT_EQ(LastLogLine(SetupLogText()), OutcomeLine(kExitCancelled, "cancelled"));

    EXPECT_EQ(extractor.ExitCode(), 4u) << "the extractor is ended at every step";
    EXPECT_TRUE(Exists(folder + kArchiveName));
    EXPECT_TRUE(Exists(folder + kExtractorName));
    for (const char* name : kUninstallValues) EXPECT_EQ(Value(kUninstallKey, name), "kept") << name;
  }
  DeleteFileA((folder + kArchiveName).c_str());
  DeleteFileA((folder + kExtractorName).c_str());
}

TEST(ExitQuestion, NoLeavesTheWizardAsItWasAndUsable) {
  WizardDriver setup;
  ASSERT_TRUE(setup.Start());
  WizardDriver::Click(setup.Wizard(), kNext);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Folder));
  HWND edit = setup.Control(WizardPage::Folder, kFolderEdit);
  ASSERT_TRUE(WizardDriver::SetText(edit, L"D:\\typed but not taken"));

  WizardDriver::Click(setup.Wizard(), kCancel);
  HWND question = setup.WaitForOwnedDialog();
  ASSERT_NE(question, nullptr);
  WizardDriver::Click(question, kNo);
  ASSERT_TRUE(
      WaitUntil([&] { return !IsWindow(question) && WizardDriver::Enabled(setup.Wizard()); }));

  WizardPage page;
  ASSERT_TRUE(setup.VisiblePage(&page));
  EXPECT_EQ(page, WizardPage::Folder);
  EXPECT_EQ(WizardDriver::Text(edit), L"D:\\typed but not taken");
  for (int id : {kBack, kNext, kCancel}) {
    EXPECT_TRUE(WizardDriver::Visible(setup.Button(id)) && WizardDriver::Enabled(setup.Button(id)));
  }
  WizardDriver::Click(setup.Wizard(), kBack);
  EXPECT_TRUE(setup.WaitForPage(WizardPage::Welcome));
  WizardDriver::Click(setup.Wizard(), kNext);
  EXPECT_TRUE(setup.WaitForPage(WizardPage::Folder));
  EXPECT_EQ(WizardDriver::Text(edit), L"D:\\typed but not taken");
  EXPECT_EQ(setup.WaitForExit(0), STILL_ACTIVE);
}

class RollbackAtStepThree : public testing::Test {
protected:
  void StartInstall(const std::string& folder) {
    m_records = ProductRecords();
    ASSERT_TRUE(setup.Start());
    WizardDriver::Click(setup.Wizard(), kNext);
    ASSERT_TRUE(setup.WaitForPage(WizardPage::Folder));
    HWND edit = setup.Control(WizardPage::Folder, kFolderEdit);
    ASSERT_TRUE(WizardDriver::SetText(edit, Wide(folder)));
    WizardDriver::Click(setup.Wizard(), kNext);
  }

  WizardDriver setup;
  std::string m_records;  // the product's records before the installation
};

TEST_F(RollbackAtStepThree, YesDuringExtractionEndsTheExtractorAndTakesEverythingBack) {
  const std::string folder = "C:\\kelvamo cancelled\\";
  StartInstall(folder);
  HWND status = setup.Control(WizardPage::Progress, kStatusEdit);
  ASSERT_TRUE(WaitUntil(
      [&] {
        return WizardDriver::Text(status).compare(0, 11, L"Extracting ") == 0 &&
               FindProcessByName(kExtractorName) != 0;
      },
      kInstallTimeoutMs))
      << "the extraction was never seen running";
  const DWORD extractorPid = FindProcessByName(kExtractorName);
  HANDLE extractor = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, extractorPid);
  Answer(setup, kYes);
  EXPECT_EQ(setup.WaitForExit(), static_cast<DWORD>(kExitCancelled));
  EXPECT_EQ(FindProcessByName(kExtractorName), 0u);
  // The folder it made goes with every file written there; the records are as they were.
  EXPECT_FALSE(Exists(folder));
  EXPECT_EQ(ProductRecords(), m_records);
  DWORD code = 0;
  GetExitCodeProcess(extractor, &code);
  EXPECT_EQ(code, 4u) << "ended by the question, not finished";
  CloseHandle(extractor);
}

TEST_F(RollbackAtStepThree, YesAfterCompletionKeepsTheWholeInstallation) {
  const std::string folder = "C:\\kelvamo completed\\";
  StartInstall(folder);
  HWND status = setup.Control(WizardPage::Progress, kStatusEdit);
  ASSERT_TRUE(WaitUntil(
      [&] {
        return WizardDriver::Enabled(setup.Button(kNext)) &&
               WizardDriver::Text(status) == L"Completing...";
      },
      kInstallTimeoutMs));
  EXPECT_TRUE(WaitUntil([&] { return !Exists(folder + kExtractorName); }));
  Answer(setup, kYes);
  // Once complete, the installation stands: nothing is left that no entry knows.
  EXPECT_EQ(setup.WaitForExit(), static_cast<DWORD>(kExitInstalled));
  EXPECT_EQ(Value(kUninstallKey, "InstallLocation"), folder);
  EXPECT_EQ(Value("Software\\kelvamo", "Path"), folder);
  EXPECT_TRUE(Exists(folder + kApplicationFile));
  EXPECT_FALSE(Exists(folder + kJournalFile));
  EXPECT_TRUE(Exists(folder + kSetupLogFile)) << "the log is kept with the installation";
}
