// The payload files against a local user who can write the install folder: a program that swaps
// the extractor, links and hard links planted under the payload's names, an extractor that ends
// well without writing anything, and an old file list that cannot be trusted.
#include <gtest/gtest.h>

#include <string>

#include "setup/app/exit_codes.h"
#include "shared/kelvamo_product.h"
#include "tests/wine/install_run.h"
#include "tests/wine/test_files.h"
#include "tests/wine/unix_links.h"

using kelvamo::kArchiveName;
using kelvamo::kExtractorName;
using kelvamo::kInstalledListFile;

namespace {

const char kNotKelvamos[] = "not Kelvamo's";

// A program of another user, running while the installer works; ended with the test.
class OtherProgram {
 public:
  explicit OtherProgram(std::wstring commandLine) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &startup, &m_process);
  }
  ~OtherProgram() {
    if (!m_process.hProcess) return;
    TerminateProcess(m_process.hProcess, 0);
    CloseHandle(m_process.hProcess);
    CloseHandle(m_process.hThread);
  }
  bool Started() const { return m_process.hProcess != nullptr; }
  DWORD WaitForExit() const {
    DWORD code = STILL_ACTIVE;
    WaitForSingleObject(m_process.hProcess, 60000);
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION m_process = {};
};

}  // namespace

// The other program wins no race: whether the installation completes or stops, the program it
// put in the extractor's place never runs (the stand-in would leave "extracted.txt").
TEST_F(InstallTest, AnExtractorSwappedByAnotherProgramNeverRuns) {
  const std::string folder = "C:\\kelvamo swapped extractor\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  OtherProgram swapper(L"\"" KELVAMO_SWAPPER_EXE L"\" \"" + Wide(folder) + L"\" \"" +
                       KELVAMO_FAKE_EXTRACTOR_EXE L"\"");
  ASSERT_TRUE(swapper.Started());
  StartInstallInto(folder);
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        box = setup_.WaitForOwnedDialog(0);
        return box || (WizardDriver::Enabled(Button(kNext)) &&
                       WizardDriver::Visible(setup_.Page(WizardPage::Progress)));
      },
      kInstallTimeoutMs));
  const DWORD swaps = swapper.WaitForExit();
  EXPECT_FALSE(Exists(folder + "extracted.txt")) << "the other program ran, swapped " << swaps;
  if (box) {
    EXPECT_EQ(AnswerMessageBox(setup_), L"安装失败!请按“取消”退出安装程序。");
  } else {
    ExpectCompleted(folder);
  }
}

namespace {

// Installs into `folder` where both payload names were planted by `plant` as links to files
// outside; the outside files keep their bytes and the installation completes.
void ExpectPlantedNamesReplaced(WizardDriver& setup, const std::string& folder,
                                void (*plant)(const std::string& name, const std::string& target)) {
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string outside[] = {folder.substr(0, folder.size() - 1) + " archive outside.txt",
                                 folder.substr(0, folder.size() - 1) + " extractor outside.txt"};
  const char* names[] = {kArchiveName, kExtractorName};
  for (int i = 0; i < 2; ++i) {
    WriteFileText(outside[i], kNotKelvamos);
    plant(folder + names[i], outside[i]);
  }
  ASSERT_TRUE(setup.Start());
  WizardDriver::Click(setup.Wizard(), kNext);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Folder));
  ASSERT_TRUE(WizardDriver::SetText(setup.Control(WizardPage::Folder, kFolderEdit), Wide(folder)));
  WizardDriver::Click(setup.Wizard(), kNext);
  ASSERT_TRUE(WaitUntil(
      [&] {
        return WizardDriver::Enabled(setup.Button(kNext)) &&
               WizardDriver::Visible(setup.Page(WizardPage::Progress));
      },
      kInstallTimeoutMs));
  for (const std::string& file : outside) EXPECT_EQ(ReadFileText(file), kNotKelvamos) << file;
  EXPECT_FALSE(Exists(folder + kArchiveName));
  EXPECT_FALSE(Exists(folder + kExtractorName));
  EXPECT_TRUE(Exists(folder + kelvamo::kApplicationFile));
}

}  // namespace

TEST_F(InstallTest, PayloadNamesPlantedAsSymbolicLinksAreReplacedNeverFollowed) {
  ExpectPlantedNamesReplaced(setup_, "C:\\kelvamo planted links\\",
                             [](const std::string& name, const std::string& target) {
                               PlantLink(name, target, false);
                             });
}

TEST_F(InstallTest, PayloadNamesPlantedAsHardLinksAreReplacedNeverWrittenThrough) {
  ExpectPlantedNamesReplaced(setup_, "C:\\kelvamo planted hard links\\",
                             [](const std::string& name, const std::string& target) {
                               ASSERT_TRUE(CreateHardLinkA(name.c_str(), target.c_str(), nullptr));
                             });
}

// The extractor's exit code alone proves nothing: the tree must be there.
TEST_F(InstallTest, AnExtractorThatEndsWellWithoutWritingIsAFailureThatRollsBack) {
  const std::string idle = ReadFileText(KELVAMO_IDLE_EXTRACTOR_EXE);
  const std::wstring exe = ChangedSetupCopy(
      L"kelvamo idle extractor", 133, [&](std::string& bytes) { bytes = idle; }, true);
  ASSERT_FALSE(exe.empty());
  const std::string folder = "C:\\kelvamo nothing extracted\\";
  const std::string records = ProductRecords();
  StartInstallInto(folder, exe);
  EXPECT_EQ(AnswerMessageBox(setup_),
            L"安装没有完成：解压后的文件不完整，Kelvamo 无法使用。请按“取消”退出，已写入的内容将被撤销。");
  const std::wstring status = WizardDriver::Text(setup_.Control(WizardPage::Progress, kStatusEdit));
  EXPECT_NE(status.find(Wide(folder)), std::wstring::npos) << Narrow(status);
  EXPECT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(Button(kCancel)); }));
  ExpectButtons(false, false, true);

  WizardDriver::Click(setup_.Wizard(), kCancel);
  HWND question = setup_.WaitForOwnedDialog();
  ASSERT_TRUE(question);
  WizardDriver::Click(question, 1000);  // 是(Y)
  EXPECT_EQ(setup_.WaitForExit(10000), static_cast<DWORD>(kExitFailed));
  EXPECT_EQ(LastLogLine(SetupLogText()), OutcomeLine(kExitFailed, "failed"));
  EXPECT_FALSE(Exists(folder)) << "the folder it made goes with what it wrote";
  EXPECT_EQ(ProductRecords(), records);
}

// An old list that is refused removes nothing, and the user hears of it when the new version is in.
TEST_F(InstallTest, ARefusedOldListIsSaidAtTheEnd) {
  const std::string folder = "C:\\kelvamo refused list\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  WriteFileText(folder + kInstalledListFile, "Kelvamo file list 1\nF ../outside.txt\nend 1 00000000\n");
  StartInstallInto(folder);
  EXPECT_EQ(AnswerMessageBox(setup_),
            L"旧版本的文件清单已损坏或不可信，旧版本留下的文件没有删除。\r\n"
            L"新版本已安装完成，可以正常使用。");
  bool sawPayload = false;
  ASSERT_TRUE(WaitForCompletion(folder, &sawPayload));
  ExpectCompleted(folder);
}
