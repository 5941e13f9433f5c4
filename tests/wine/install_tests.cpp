// The real setup.exe installing its sample product under Wine, driven from outside: a full run,
// the same from an unsigned build, a folder with stale payload files, a folder that cannot be
// made, and a damaged payload that only the installation itself can find.
#include <gtest/gtest.h>

#include <string>

#include "setup/app/exit_codes.h"
#include "tests/wine/install_run.h"
#include "shared/kelvamo_product.h"
#include "tests/wine/test_files.h"

using kelvamo::kArchiveName;
using kelvamo::kExtractorName;

namespace {

// Flips 4 KB of the resource from `offset`, a fraction of its size.
std::function<void(std::string&)> Flip4K(double offset) {
  return [offset](std::string& bytes) {
    const size_t start = static_cast<size_t>(bytes.size() * offset);
    for (size_t i = start; i < start + 4096 && i < bytes.size(); ++i) bytes[i] ^= 0x5A;
  };
}

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

TEST_F(InstallTest, AnUnsignedBuildInstallsAsTheSignedOneDoes) {
  const std::string folder = "C:\\kelvamo unsigned\\";
  StartInstallInto(folder, UnsignedSetupExePath());
  bool sawPayload = false;
  ASSERT_TRUE(WaitForCompletion(folder, &sawPayload));
  ExpectCompleted(folder);
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
  const std::string records = ProductRecords();
  StartInstallInto(missing);
  EXPECT_EQ(AnswerMessageBox(setup_), L"文件夹路径错误!");
  ExpectBackOnTheFolderPage();
  // Nothing is recorded of an installation that could not begin.
  EXPECT_EQ(ProductRecords(), records);

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

// Damage the start's check cannot see (its facts describe the damaged bytes) is still found by the
// extractor, and by the installer when the extractor cannot run.
TEST_F(InstallTest, DamagedArchiveEndsInTheFailureStateNeverInSuccess) {
  const std::wstring exe = ChangedSetupCopy(L"kelvamo damaged 132", 132, Flip4K(0.5), true);
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
  const std::wstring exe = ChangedSetupCopy(L"kelvamo damaged 133", 133, Flip4K(0.0), true);
  ASSERT_FALSE(exe.empty());
  const std::string folder = "C:\\kelvamo no extractor\\";
  StartInstallInto(folder, exe);
  EXPECT_EQ(AnswerMessageBox(setup_), L"无法启动解压程序!");
  ExpectBackOnTheFolderPage();
  EXPECT_FALSE(Exists(folder + kArchiveName));
  EXPECT_FALSE(Exists(folder + kExtractorName));
}
