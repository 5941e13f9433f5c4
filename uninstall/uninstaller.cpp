#include "uninstall/uninstaller.h"

#include <windows.h>

#include "shared/kelvamo_product.h"
#include "uninstall/product_keys.h"
#include "lib/win32/product_links.h"
#include "uninstall/running_app.h"
#include "uninstall/uninstall_args.h"
#include "uninstall/uninstall_texts.h"
#include "shared/uninstaller_contract.h"
#include "lib/win32/com_scope.h"
#include "lib/win32/wide_path.h"
#include "lib/product/ownership.h"

using namespace kelvamo;

namespace {

constexpr size_t kMaxFoldersShown = 8;
constexpr size_t kMaxFilesShown = 8;
// The original's file may be held a moment after it ended.
constexpr int kDeleteAttempts = 20;
constexpr DWORD kDeleteRetryMs = 100;

std::wstring WithoutBackslash(const std::wstring& folder) {
  return folder.empty() || folder.back() != L'\\' ? folder : folder.substr(0, folder.size() - 1);
}

std::wstring ReasonText(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return texts::kReasonInUse;
    case ERROR_ACCESS_DENIED:
      return texts::kReasonDenied;
    case kRefusedLink:
      return texts::kReasonLink;
  }
  return texts::kReasonOther + Decimal(error);
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

Uninstaller::Uninstaller(std::wstring folder, bool silent)
    : m_folder(std::move(folder)), m_silent(silent) {}

bool Uninstaller::Ask(const std::wstring& text) const {
  return MessageBoxW(nullptr, text.c_str(), texts::kCaption,
                     MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) == IDYES;
}

bool Uninstaller::ApplicationClosed() const {
  while (IsApplicationRunningFrom(m_folder)) {
    if (m_silent || MessageBoxW(nullptr, texts::kRunning, texts::kCaption,
                                MB_RETRYCANCEL | MB_ICONWARNING | MB_SETFOREGROUND) != IDRETRY) {
      return false;
    }
  }
  return true;
}

int Uninstaller::Remove() {
  // An installation cut off here is setup.exe's to restore: removing by either list now could
  // leave neither version.
  if (Exists(m_folder + ListedName(kJournalFile))) {
    m_interrupted = true;
    return kUninstallInterrupted;
  }
  const auto list = m_listed.Open(m_folder) ? ReadInstalledList(m_listed) : std::nullopt;
  if (!list) {
    const std::wstring question = texts::kNoListBefore +
                                  ListedPath(m_folder, kInstalledListFile) + texts::kNoListAfter;
    if (m_silent) return kUninstallNoList;
    if (!Ask(question)) return kUninstallCancelled;
  } else if (!m_silent && !Ask(texts::kConfirm)) {
    return kUninstallCancelled;
  }
  if (!ApplicationClosed()) return kUninstallAppRunning;
  // The folder may have been swapped while the question showed: work only in the one the list
  // was read from.
  ListedFolder now;
  if (list && !(now.Open(m_folder) && now.SameAs(m_listed))) {
    m_folderChanged = true;
    return kUninstallFailed;
  }
  {
    ComScope com;
    m_entriesRemoved = RemoveProductLinks(m_folder, m_entriesCount);
  }
  if (!list) {
    m_entriesRemoved = RemoveProductKeys(m_folder, m_entriesCount) && m_entriesRemoved;
    return m_entriesRemoved ? kUninstallNoList : kUninstallIncomplete;
  }
  const bool filesRemoved = RemoveFiles(PlanRemoval(*list));
  // While anything listed stays, so does the entry that starts this uninstaller again, so that
  // a later run can finish the work.
  if (!filesRemoved) return kUninstallIncomplete;
  m_entriesRemoved = RemoveProductKeys(m_folder, m_entriesCount) && m_entriesRemoved;
  return m_entriesRemoved ? kUninstallDone : kUninstallIncomplete;
}

// The list and the uninstaller stay while any listed file does, so that a later run can finish.
bool Uninstaller::RemoveFiles(const RemovalPlan& plan) {
  const RemovalLeft left = RemovePlanned(m_listed, plan);
  for (size_t i = 0; i < left.files.size(); ++i) {
    m_failedReasons.push_back(left.fileErrors[i]);
    m_failedFiles.push_back(ListedPath(m_folder, left.files[i]));
  }
  for (const std::string& name : left.folders) {
    m_listedFolders.push_back(ListedPath(m_folder, name));
  }
  if (!m_failedFiles.empty()) return false;
  // The installer's log is the product's too, though no list names it.
  if (!m_listed.RemoveFile(ListedName(kSetupLogFile))) {
    NoteFailedFile(kSetupLogFile);
    return false;
  }
  if (!m_listed.RemoveFile(ListedName(kInstalledListFile))) {
    NoteFailedFile(kInstalledListFile);
    return false;
  }
  m_removeOriginal = plan.listsUninstaller;
  return true;
}

void Uninstaller::NoteFailedFile(const std::string& name) {
  m_failedReasons.push_back(GetLastError());  // RemoveFile leaves why
  m_failedFiles.push_back(ListedPath(m_folder, name));
}

std::wstring Uninstaller::FailedFilesText() const {
  std::wstring text = texts::kNotAllRemoved;
  for (size_t i = 0; i < m_failedFiles.size() && i < kMaxFilesShown; ++i) {
    text += L"\r\n" + m_failedFiles[i] + texts::kReasonPrefix + ReasonText(m_failedReasons[i]);
  }
  if (m_failedFiles.size() > kMaxFilesShown) text += texts::kMoreFiles;
  return text + texts::kEntryKept;
}

bool Uninstaller::RemoveOriginal(const std::wstring& originalPath, bool now) {
  if (!m_removeOriginal) return true;
  // Only the listed uninstaller in the folder the list came from.
  if (FolderOf(originalPath) != m_folder) return false;
  const std::wstring name = originalPath.substr(m_folder.size());
  if (!SamePathText(name, ListedName(kUninstallerFile))) return false;
  if (now) {
    bool deleted = m_listed.RemoveFile(name);
    for (int attempt = 1; attempt < kDeleteAttempts && !deleted; ++attempt) {
      Sleep(kDeleteRetryMs);
      deleted = m_listed.RemoveFile(name);
    }
    // The folder goes only when nothing else is left in it; a user's file keeps it, rightly.
    static_cast<void>(m_listed.RemoveItself());
    if (deleted) return true;
  }
  // The system deletes them in this order, and a folder only when it is empty by then.
  const bool file = MoveFileExW(originalPath.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return MoveFileExW(WithoutBackslash(m_folder).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) &&
         file;
}

std::wstring Uninstaller::KeptFoldersText() const {
  std::vector<std::wstring> candidates;
  for (const std::wstring& folder : m_listedFolders) {
    if (Exists(folder)) candidates.push_back(folder);
  }
  const std::wstring installFolder = WithoutBackslash(m_folder);
  if (Exists(installFolder)) candidates.push_back(installFolder);
  const std::vector<KeptFolder> kept = KeptFolders(candidates, m_failedFiles);
  if (kept.empty()) return L"";
  std::wstring text = texts::kFoldersKept;
  for (size_t i = 0; i < kept.size() && i < kMaxFoldersShown; ++i) {
    text += L"\r\n" + kept[i].path;
    text += kept[i].holdsFailedFile ? texts::kKeptForFailedFiles : texts::kKeptForOtherFiles;
  }
  if (kept.size() > kMaxFoldersShown) text += texts::kMoreFolders;
  return text;
}

void Uninstaller::ShowResult(int code) const {
  if (m_silent || code == kUninstallCancelled || code == kUninstallAppRunning) return;
  std::wstring text;
  if (m_interrupted) {
    text = texts::kInterrupted;
  } else if (m_folderChanged) {
    text = texts::kFolderChanged + WithoutBackslash(m_folder);
  } else if (code == kUninstallNoList) {
    text = (m_entriesCount > 0 ? texts::kOnlyEntriesRemoved : texts::kNoEntriesFound) +
           WithoutBackslash(m_folder);
  } else if (!m_failedFiles.empty()) {
    text = FailedFilesText() + KeptFoldersText();
  } else {
    text = texts::kRemoved + KeptFoldersText();
  }
  if (!m_entriesRemoved) text += texts::kEntriesKept;
  MessageBoxW(nullptr, text.c_str(), texts::kCaption, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}
