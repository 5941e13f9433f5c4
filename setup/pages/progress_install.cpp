// The installation itself, as run by the progress page: payload and registry, the extractor on the
// hidden console watched by timer 1, and the completion with the runtime's unpack200 runs.
#include <windows.h>

#include <string>

#include "setup/app/setup_dlg.h"
#include "setup/app/wizard_steps.h"
#include "setup/app/start_recovery.h"
#include "setup/engine/install_log.h"
#include "setup/engine/install_paths.h"
#include "setup/engine/payload.h"
#include "setup/engine/tree_check.h"
#include "lib/win32/wide_path.h"
#include "setup/engine/registry_records.h"
#include "setup/pages/progress_page.h"

namespace {

constexpr UINT_PTR kMonitorTimer = 1;
constexpr UINT kMonitorPeriodMs = 100;
constexpr DWORD kListedPauseMs = 300;
// A normal start is listed within a second; this leaves room for a slow machine.
constexpr DWORD kListedTimeoutMs = 10000;
// After its last line the extractor only has to exit.
constexpr DWORD kExtractorExitTimeoutMs = 10000;
constexpr DWORD kUnpackTimeoutMs = 180000;

const char kFolderError[] = "文件夹路径错误!";
const char kExtractorNotStarted[] = "无法启动解压程序!";
const char kInstallFailed[] = "安装失败!请按“取消”退出安装程序。";
const char kCannotWrite[] = "无法写入 ";
const char kCannotUnpack[] = "无法展开 ";
const char kTreeIncomplete[] = "安装的文件不完整，缺少或大小不符: ";
const char kTreeIncompleteMessage[] =
    "安装没有完成：解压后的文件不完整，Kelvamo 无法使用。请按“取消”退出，已写入的内容将被撤销。";
const char kOldListRefused[] =
    "旧版本的文件清单已损坏或不可信，旧版本留下的文件没有删除。\r\n新版本已安装完成，可以正常使用。";
const char kStaleFilesKept[] =
    "旧版本的部分文件无法删除，仍留在安装文件夹中。\r\n新版本已安装完成，可以正常使用。";
const char kCannotMoveAside[] =
    "无法移开要替换的文件，安装没有开始，已移开的文件都已放回：\r\n";
const char kNotTakenBack[] =
    "安装没有完成，已写入的内容未能全部撤销（文件可能正被其他程序使用）。"
    "下次运行安装程序时会再次撤销。";

}  // namespace

CSetupDlg* CProgressPage::Wizard() const { return static_cast<CSetupDlg*>(GetParent()); }

std::string CProgressPage::InstallDir() const {
  return Wizard()->m_pageFolder.m_strInstallDir.GetString();
}

void CProgressPage::StartInstall() {
  CSetupDlg* wizard = Wizard();
  wizard->m_btnBack.EnableWindow(false);
  wizard->m_btnNext.EnableWindow(false);
  wizard->m_btnCancel.EnableWindow(false);
  const std::string dir = InstallDir();
  LogStep("install folder: " + dir);
  // A folder too long for the engine's buffers is refused before anything is written.
  if (!kelvamo::InstallDirFitsEveryBuffer(dir)) return ReturnToFolderPage(kFolderError);
  // An installation cut off in this very folder is restored before anything else happens there.
  if (!RecoverInterrupted(dir, wizard->m_bRecovered)) return BackToFolderPage();
  wizard->m_installed = ReadRegisteredInstallation();
  if (!HasRoomFor(dir) || !ApplicationClosedIn(dir)) return BackToFolderPage();
  // Read now: the extraction puts the new version's list in its place. Without a sound list
  // (a first installation among them) only the files the new version replaces are moved aside.
  static_cast<void>(m_previous.Read(dir));
  if (!ReadReplacedInstallation(dir)) return BackToFolderPage();
  const auto table = PayloadTable();
  // Checked at the start already; a payload that cannot be read now fails as its writing would.
  if (!table) return ShowFailure(kPayloadDamaged);
  m_install.Plan(dir, m_previous.Entries(), m_strReplacedDir, table->entries);

  PayloadCopy archive;
  archive.Load(kArchiveResource);  // a copy that could not be made fails when it is written
  // Nothing is written before the installer's own file is known to be as signed.
  if (!wizard->SignatureHolds()) return;
  if (!FilesClosedIn()) return BackToFolderPage();
  // Held to the end: the folder cannot be renamed away from under the payload, and a folder that
  // is a link is refused.
  if (!m_install.MakeFolder() || !m_folder.Hold(WidenAnsi(dir))) {
    m_install.Abandon();
    return ReturnToFolderPage(kFolderError);
  }
  if (!m_install.Begin(m_folder)) {
    LetGoOfFolder();
    return ReturnToFolderPage((kCannotMoveAside + AnsiName(m_install.FailedName())).c_str());
  }
  if (!m_install.BeginWriting(m_folder)) return TakeBackToFolderPage(kFolderError);
  // Records that could not be written do not stop the installation.
  if (!WriteRegistryRecords(dir, wizard->m_strVersion, LoadPayloadFacts())) {
    LogFailure("write", "registry records", GetLastError());
  }
  LogStep(kStepRegistry);
  const auto facts = LoadPayloadFacts();
  // Held until the extraction has ended: the extractor reads what was written.
  const bool archiveWritten =
      facts && archive.Bytes() &&
      m_archiveFile.Write(m_folder, WidenAnsi(kelvamo::kArchiveName), archive.Bytes(),
                          archive.Size(), facts->archive_bytes, facts->archive_crc32,
                          HeldPayloadFile::Hold::kRead);
  archive.Release();
  if (!archiveWritten) return ShowFailure((kCannotWrite + dir + kelvamo::kArchiveName).c_str());
  if (!WriteExtractor()) return ShowFailure((kCannotWrite + dir + kelvamo::kExtractorName).c_str());
  LogStep(kStepPayload);
  RunExtractor(dir);
}

bool CProgressPage::ReadReplacedInstallation(const std::string& dir) {
  const auto& installed = Wizard()->m_installed;
  m_strReplacedDir.clear();
  // The registered folder may be this one under another spelling: then it is an upgrade in place.
  if (!installed || kelvamo::FoldersNest(installed->folder, dir) ||
      !m_replaced.Read(installed->folder) || m_replaced.SameFolderAs(m_previous)) {
    return true;
  }
  m_strReplacedDir = installed->folder;
  return ApplicationClosedIn(m_strReplacedDir);
}

bool CProgressPage::WriteExtractor() {
  const auto facts = LoadPayloadFacts();
  PayloadCopy extractor;
  // Held until its process has ended: what runs is what was written and checked.
  return facts && extractor.Load(kExtractorResource) &&
         m_extractorFile.Write(m_folder, WidenAnsi(kelvamo::kExtractorName), extractor.Bytes(),
                               extractor.Size(), facts->extractor_bytes, facts->extractor_crc32,
                               HeldPayloadFile::Hold::kReadAndDelete);
}

bool CProgressPage::CopyLog() const { return CopySetupLogInto(m_folder); }

bool CProgressPage::DeletePayload() {
  const bool archive = m_archiveFile.Delete(m_folder);
  return m_extractorFile.Delete(m_folder) && archive;
}

void CProgressPage::RunExtractor(const std::string& dir) {
  const auto command = kelvamo::BuildExtractorCommand(dir);
  if (!command || !m_extractor.Start(dir, *command) ||
      !m_extractor.WaitUntilListed(kListedTimeoutMs)) {
    LogFailure("start", kelvamo::kExtractorName, GetLastError());
    return TakeBackToFolderPage(kExtractorNotStarted);
  }
  m_nLoggedTenths = 0;
  LogStep(std::string(kStepExtracting) + " 0%");
  Sleep(kListedPauseMs);
  SetTimer(kMonitorTimer, kMonitorPeriodMs);
}

void CProgressPage::OnTimer(UINT_PTR nIDEvent) {
  HideConsoleWindow();
  // Asked before the row is read, so a run that has ended is judged by its final row.
  const bool extractorEnded = m_extractor.HasEnded();
  std::string status = m_strStatus.GetString();
  const kelvamo::MonitorTick tick = kelvamo::TakeRow(ReadCursorRow(), status, m_nTicks);
  m_strStatus = status.c_str();
  if (!tick.ended && !extractorEnded) {
    UpdateData(false);
    m_progress.SetPos(tick.value);
    // Each tenth once, so that the log tells how far a cut-off extraction came.
    while (m_nLoggedTenths < 9 && tick.value >= (m_nLoggedTenths + 1) * 10) {
      ++m_nLoggedTenths;
      LogStep(std::string(kStepExtracting) + ' ' + std::to_string(m_nLoggedTenths * 10) + '%');
    }
    return;
  }
  KillTimer(nIDEvent);
  if (!m_extractor.EndedWell(kExtractorExitTimeoutMs)) {
    return ShowFailure(kelvamo::ErrorRowText(ReadCursorRow(), ReadRowAboveCursor()).c_str());
  }
  Complete();
}

void CProgressPage::Complete() {
  m_strStatus = "Completing...";
  UpdateData(false);
  m_progress.SetPos(100);
  const std::string dir = InstallDir();
  LogStep(kStepExpanding);
  // A start that fails is kept by m_unpack as its first failure, which WaitAll then reports: both
  // folders are still tried, and the results of the starts need no look of their own.
  static_cast<void>(UnpackFolder((dir + kelvamo::kLibFolder).c_str()));
  static_cast<void>(UnpackFolder((dir + kelvamo::kLibExtFolder).c_str()));
  // The application must not be started while its libraries are still being written.
  const bool unpacked = m_unpack.WaitAll(kUnpackTimeoutMs);
  // Failures here leave the files to the rollback, which tries again.
  static_cast<void>(DeletePayload());
  if (!unpacked) return ShowFailure((kCannotUnpack + m_unpack.Failure()).c_str());
  // An extractor that ended well without writing the tree is no success either.
  if (const auto missing = FirstMissingFile(m_folder, dir)) {
    return ShowFailure((kTreeIncomplete + *missing).c_str(), kTreeIncompleteMessage);
  }
  LogStep(kStepTreeComplete);
  // The old version's files go only once the new one is wholly in place, and the registered
  // installation in another folder with them; what cannot be deleted does not fail an
  // installation that succeeded, but the user hears of it.
  const bool clean = m_install.Commit(m_folder);
  m_bInstalled = true;
  if (m_previous.Refused()) {
    AfxMessageBox(kOldListRefused, MB_OK | MB_ICONINFORMATION);
  } else if (!clean) {
    AfxMessageBox(kStaleFilesKept, MB_OK | MB_ICONINFORMATION);
  }
  CSetupDlg* wizard = Wizard();
  wizard->m_btnBack.EnableWindow(false);
  wizard->m_btnNext.EnableWindow(true);
  wizard->m_btnCancel.EnableWindow(false);
}

bool CProgressPage::UnpackFolder(CString folder) {
  return m_unpack.StartFolder(InstallDir(), folder.GetString());
}

void CProgressPage::ReturnToFolderPage(const char* message) {
  AfxMessageBox(message, MB_OK);
  BackToFolderPage();
}

void CProgressPage::BackToFolderPage() {
  CSetupDlg* wizard = Wizard();
  wizard->m_nStep = kelvamo::kStepFolder;
  wizard->ShowStep();
  wizard->m_btnBack.EnableWindow(true);
  wizard->m_btnNext.EnableWindow(true);
  wizard->m_btnCancel.EnableWindow(true);
}

void CProgressPage::TakeBackToFolderPage(const char* message) {
  // Back to the folder page whether or not the clean-up succeeded.
  static_cast<void>(m_extractor.Stop());
  static_cast<void>(DeletePayload());
  if (!m_install.TakeBack(m_folder)) return ShowFailure(message, kNotTakenBack);
  LetGoOfFolder();
  ReturnToFolderPage(message);
}

bool CProgressPage::TakeBack() {
  // A completed installation stands, and one never begun has nothing to take back.
  if (!m_install.Begun()) return true;
  // Stopped first: neither the extractor nor the payload it reads may hold a file being put back.
  static_cast<void>(m_extractor.Stop());
  static_cast<void>(DeletePayload());
  if (!m_install.TakeBack(m_folder)) return false;
  LetGoOfFolder();
  return true;
}

void CProgressPage::LetGoOfFolder() {
  // Held, or the current folder of this program (the extractor was started there), the folder
  // could not go; the folders this run made go now when empty.
  m_folder.Release();
  char system[MAX_PATH + 1];
  const UINT n = GetSystemDirectoryA(system, sizeof(system));
  if (n > 0 && n < sizeof(system)) SetCurrentDirectoryA(system);
  m_install.Abandon();
}

void CProgressPage::ShowFailure(const char* status, const char* message) {
  m_bFailed = true;
  LogStep(std::string("failed: ") + status);
  m_strStatus = status;
  UpdateData(false);
  AfxMessageBox(message ? message : kInstallFailed, MB_OK);
  CSetupDlg* wizard = Wizard();
  wizard->m_btnBack.EnableWindow(false);
  wizard->m_btnNext.EnableWindow(false);
  wizard->m_btnCancel.EnableWindow(true);
}
