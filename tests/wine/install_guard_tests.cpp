// The guards setup.exe runs before it writes anything: a damaged payload or a changed signed
// file, a second installer, a volume too small, and Kelvamo running from the target folder.
#include <gtest/gtest.h>

#include <string>

#include "setup/app/exit_codes.h"
#include "lib/product/payload_record.h"
#include "setup/engine/space_check.h"
#include "tests/wine/install_run.h"
#include "shared/kelvamo_product.h"
#include "tests/wine/test_files.h"

using kelvamo::kApplicationFile;
using kelvamo::kArchiveName;
using kelvamo::kUninstallKey;

namespace {

const wchar_t kDamaged[] = L"安装程序已损坏（下载不完整或复制出错），无法安装。请重新下载安装程序。";
const wchar_t kRunning[] =
    L"Kelvamo 正在运行，它的文件无法覆盖。请先关闭 Kelvamo，再按“重试”；按“取消”返回。";
// Drives the test fixture maps to tmpfs volumes of 8 and 64 MB.
const char kSmallDrive[] = "S:\\";
const char kLargeDrive[] = "L:\\";

std::string MarkerValue() { return std::string("marker") + '\0'; }

// The program of the sample product, started as a user would start it, and ended with the test.
class RunningProgram {
 public:
  explicit RunningProgram(const std::string& path) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    std::string command = '"' + path + '"';
    CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                   &m_process);
    if (m_process.hProcess) WaitForInputIdle(m_process.hProcess, 10000);
  }
  ~RunningProgram() { End(); }
  bool Started() const { return m_process.hProcess != nullptr; }
  void End() {
    if (!m_process.hProcess) return;
    TerminateProcess(m_process.hProcess, 0);
    WaitForSingleObject(m_process.hProcess, 5000);
    CloseHandle(m_process.hProcess);
    CloseHandle(m_process.hThread);
    m_process = {};
  }

 private:
  PROCESS_INFORMATION m_process = {};
};

}  // namespace

TEST(PayloadGuard, DamagedPayloadOrSignatureIsReportedAndNothingIsWritten) {
  const std::wstring copies[] = {
      ChangedSetupCopy(L"kelvamo one byte", 132, [](std::string& b) { b[b.size() / 3] ^= 1; },
                       false),
      ChangedSetupCopy(L"kelvamo truncated archive", 132,
                       [](std::string& b) { b.resize(b.size() / 2); }, false),
      ChangedSetupCopy(L"kelvamo truncated extractor", 133, [](std::string& b) { b.pop_back(); },
                       false),
      // Outside the payload only the signature sees the change, while the welcome page shows.
      CodeSectionChangedCopy(L"kelvamo code byte"),
      CertificateTableCutCopy(L"kelvamo certificate table cut"),
  };
  for (const std::wstring& exe : copies) {
    SCOPED_TRACE(Narrow(exe));
    ASSERT_FALSE(exe.empty());
    WriteRegistryMarker();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    WizardDriver setup;
    ASSERT_TRUE(setup.Launch(exe));
    HWND box = setup.WaitForMessageBox(20000);
    ASSERT_TRUE(box);
    EXPECT_EQ(WizardDriver::Text(GetDlgItem(box, kMessageText)), kDamaged);
    EXPECT_EQ(WizardDriver::Text(box), L"setup") << "a message box, not the wizard";
    WizardDriver::Click(box, IDOK);
    EXPECT_EQ(setup.WaitForExit(), static_cast<DWORD>(kExitRefused));
    EXPECT_EQ(LastLogLine(SetupLogText()), OutcomeLine(kExitRefused, "refused"));
    EXPECT_EQ(RegistryBytes("Software\\kelvamo", "Path"), MarkerValue());
    EXPECT_EQ(RegistryBytes(kUninstallKey, "DisplayName"), "<no key>");
    EXPECT_FALSE(Exists(std::string("C:\\Program Files\\kelvamo\\") + kArchiveName));
  }
}

TEST(OneInstaller, ASecondStartBringsTheFirstWizardForwardAndEnds) {
  WizardDriver first;
  ASSERT_TRUE(first.Start());
  // A wizard still showing itself can undo an early minimise: ask again until it holds.
  bool minimised = false;
  for (int attempt = 0; attempt < 10 && !minimised; ++attempt) {
    first.SystemCommand(SC_MINIMIZE);
    minimised = WaitUntil([&] { return IsIconic(first.Wizard()) != 0; }, 2000);
  }
  ASSERT_TRUE(minimised);

  WizardDriver second;
  ASSERT_TRUE(second.Launch());
  EXPECT_EQ(second.WaitForExit(20000), static_cast<DWORD>(kExitRefused))
      << "the second one ends on its own";
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(first.Wizard()); }));
  EXPECT_EQ(GetForegroundWindow(), first.Wizard());

  WizardDriver::Click(first.Wizard(), kNext);
  EXPECT_TRUE(first.WaitForPage(WizardPage::Folder));
}

TEST_F(InstallTest, TooSmallAVolumeIsRefusedBeforeAnythingIsWrittenAndALargeOneInstalls) {
  ULARGE_INTEGER freeBytes;
  if (!GetDiskFreeSpaceExA(kSmallDrive, &freeBytes, nullptr, nullptr)) {
    GTEST_SKIP() << "no test volumes: the fixture mounts them as root";
  }
  const auto facts = SetupPayloadFacts();
  ASSERT_TRUE(facts);
  const auto shortfall =
      kelvamo::FindShortfall(kelvamo::InstallNeedBytes(*facts), freeBytes.QuadPart);
  ASSERT_TRUE(shortfall) << "the small volume holds the installation";

  const std::string small = std::string(kSmallDrive) + "kelvamo\\";
  WriteRegistryMarker();
  StartInstallInto(small);
  EXPECT_EQ(AnswerMessageBox(setup_),
            L"磁盘空间不足：安装需要 " + std::to_wstring(shortfall->needMb) + L" MB，目标磁盘只有 " +
                std::to_wstring(shortfall->freeMb) + L" MB 可用。请释放磁盘空间，或选择其他文件夹。");
  ExpectBackOnTheFolderPage();
  EXPECT_EQ(RegistryBytes("Software\\kelvamo", "Path"), MarkerValue());
  EXPECT_FALSE(Exists(small));

  const std::string large = std::string(kLargeDrive) + "kelvamo\\";
  InstallInto(large);
  bool sawPayload = false;
  ASSERT_TRUE(WaitForCompletion(large, &sawPayload));
  ExpectCompleted(large);
}

TEST_F(InstallTest, KelvamoRunningFromTheFolderMustCloseFirst) {
  const std::string folder = "C:\\kelvamo running\\";
  const std::string elsewhere = "C:\\kelvamo elsewhere\\";
  for (const std::string& dir : {folder, elsewhere}) {
    CreateDirectoryA(dir.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(KELVAMO_APPLICATION_EXE, (dir + kApplicationFile).c_str(), FALSE));
  }
  RunningProgram other(elsewhere + kApplicationFile);  // the same program, but not in the way
  RunningProgram inTheWay(folder + kApplicationFile);
  ASSERT_TRUE(other.Started() && inTheWay.Started());
  WriteRegistryMarker();

  StartInstallInto(folder);
  EXPECT_EQ(AnswerMessageBox(setup_, IDCANCEL), kRunning);
  ExpectBackOnTheFolderPage();
  EXPECT_EQ(RegistryBytes("Software\\kelvamo", "Path"), MarkerValue());
  EXPECT_FALSE(Exists(folder + kArchiveName));

  InstallInto(folder);
  EXPECT_EQ(AnswerMessageBox(setup_, IDRETRY), kRunning);
  HWND again = setup_.WaitForOwnedDialog();
  ASSERT_TRUE(again) << "still running: Retry asks again";
  inTheWay.End();
  EXPECT_EQ(AnswerMessageBox(setup_, IDRETRY), kRunning);
  bool sawPayload = false;
  ASSERT_TRUE(WaitForCompletion(folder, &sawPayload));
  ExpectCompleted(folder);
}
