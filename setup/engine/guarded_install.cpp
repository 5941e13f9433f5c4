#include "setup/engine/guarded_install.h"

#include <windows.h>
#include <imagehlp.h>
#include <shlwapi.h>

#include <set>

#include "lib/product/installed_tree.h"
#include "lib/win32/listed_removal.h"
#include "lib/win32/wide_path.h"
#include "setup/engine/install_journal_file.h"
#include "setup/engine/install_log.h"
#include "setup/engine/message_pump.h"
#include "setup/engine/registry_records.h"
#include "shared/kelvamo_product.h"

namespace {

std::wstring Aside(const std::string& name) {
  return WidenUtf8(kelvamo::kBackupFolder) + L'\\' + ListedName(name);
}

struct CommitWork {
  const ListedFolder* folder;
  const kelvamo::InstallJournal* journal;
  bool finished;
};

DWORD WINAPI FinishAside(void* parameter) {
  auto* work = static_cast<CommitWork*>(parameter);
  work->finished = FinishCommitted(*work->folder, *work->journal);
  return 0;
}

}  // namespace

void GuardedInstall::Plan(const std::string& installDir,
                          const std::optional<std::vector<kelvamo::ListedEntry>>& oldList,
                          const std::string& replacedDir, const std::vector<uha::Entry>& entries) {
  m_journal = kelvamo::InstallJournal();
  m_journal.folder = installDir;
  m_journal.replacedFolder = replacedDir;
  m_begun = false;
  m_failedName.clear();
  m_payloadFolders.clear();
  std::set<std::string> folders;
  for (const kelvamo::ExpectedFile& file : kelvamo::ExpectedFiles(entries)) {
    m_journal.newFiles.push_back(file.name);
    for (size_t slash = file.name.find('/'); slash != std::string::npos;
         slash = file.name.find('/', slash + 1)) {
      folders.insert(file.name.substr(0, slash));
    }
  }
  for (const uha::Entry& entry : entries) {
    if (entry.kind == uha::EntryKind::kDirectory) folders.insert(entry.name);
  }
  m_payloadFolders.assign(folders.begin(), folders.end());
  const kelvamo::AsidePlan plan =
      kelvamo::PlanMovingAside(oldList, m_journal.newFiles, m_payloadFolders);
  m_candidates = plan.candidates;
  m_journal.staleFolders = plan.staleFolders;
  ReadPriorRecords(m_journal);
}

bool GuardedInstall::MakeFolder() {
  m_journal.madeFolders.clear();
  std::string path = m_journal.folder;
  // From the install folder up to the first that exists; recorded outermost first.
  while (path.size() > 3 && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    m_journal.madeFolders.insert(m_journal.madeFolders.begin(), path);
    const size_t slash = path.rfind('\\', path.size() - 2);
    if (slash == std::string::npos) break;
    path.resize(slash + 1);
  }
  const std::string outermost =
      m_journal.madeFolders.empty() ? std::string() : m_journal.madeFolders.front();
  if (!WriteJournalPointer({m_journal.folder, outermost})) {
    LogFailure("write", kJournalPointerKey, GetLastError());
  }
  const char* dir = m_journal.folder.c_str();
  return PathFileExistsA(dir) || MakeSureDirectoryPathExists(dir);
}

void GuardedInstall::Abandon() {
  if (m_begun) return;
  if (!m_journal.madeFolders.empty()) {
    RemoveMadeFolders(m_journal.folder, m_journal.madeFolders.front());
  }
  static_cast<void>(DeleteJournalPointer());
}

std::vector<std::string> GuardedInstall::FilesInUse(const ListedFolder& folder) const {
  std::vector<std::string> held;
  for (const std::string& name : m_candidates) {
    if (folder.InUse(ListedName(name))) held.push_back(name);
  }
  return held;
}

bool GuardedInstall::Begin(const ListedFolder& folder) {
  m_journal.phase = kelvamo::JournalPhase::kMovingAside;
  m_journal.movedAside.clear();
  // Only plain files of this folder are moved: a link planted under a product's name is replaced
  // as a name by the extraction, never followed.
  for (const std::string& name : m_candidates) {
    if (folder.FileSize(ListedName(name))) m_journal.movedAside.push_back(name);
  }
  m_journal.newFolders.clear();
  for (const std::string& name : m_payloadFolders) {
    if (!folder.IsFolder(ListedName(name))) m_journal.newFolders.push_back(name);
  }
  if (!WriteJournal(folder, m_journal)) {
    m_failedName = kelvamo::kJournalFile;
    return false;
  }
  m_begun = true;
  LogStep(kStepJournal);
  LogStep(kStepMovingAside);
  for (const std::string& name : m_journal.movedAside) {
    if (folder.MoveWithin(ListedName(name), Aside(name))) continue;
    LogFailure("move aside", name, GetLastError());
    m_failedName = name;
    static_cast<void>(TakeBack(folder));
    return false;
  }
  return true;
}

bool GuardedInstall::BeginWriting(const ListedFolder& folder) {
  m_journal.phase = kelvamo::JournalPhase::kWriting;
  if (WriteJournal(folder, m_journal)) return true;
  m_failedName = kelvamo::kJournalFile;
  return false;
}

bool GuardedInstall::Commit(const ListedFolder& folder) {
  m_journal.phase = kelvamo::JournalPhase::kCommitted;
  if (!WriteJournal(folder, m_journal)) return false;
  m_begun = false;
  // On a thread of its own, the wizard's messages dispatched meanwhile: a large old version takes
  // a while to delete.
  CommitWork work = {&folder, &m_journal, false};
  HANDLE thread = CreateThread(nullptr, 0, &FinishAside, &work, 0, nullptr);
  if (!thread) return FinishCommitted(folder, m_journal);
  // A quit message ends the pumping early; the work is waited for all the same, it reads `work`.
  if (!WaitPumping(thread, INFINITE)) WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return work.finished;
}

bool GuardedInstall::TakeBack(const ListedFolder& folder) {
  if (!m_begun) return true;
  const bool whole = ::TakeBack(folder, m_journal);
  m_begun = !whole;
  return whole;
}
