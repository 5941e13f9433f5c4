#include "setup/engine/install_journal_file.h"

#include <windows.h>

#include <algorithm>
#include <set>

#include "lib/archive/entry_name.h"
#include "lib/win32/listed_removal.h"
#include "lib/win32/wide_path.h"
#include "setup/engine/install_log.h"
#include "setup/engine/install_paths.h"
#include "setup/engine/registry_records.h"
#include "setup/engine/upgrade.h"
#include "shared/kelvamo_product.h"

namespace {

constexpr int kTakeBackAttempts = 5;
constexpr DWORD kTakeBackPauseMs = 1000;
// A journal of more than this is not one an installation wrote.
constexpr DWORD kMaxJournalBytes = 256u << 20;

std::wstring Listed(const char* name) { return WidenUtf8(name); }

std::wstring Aside(const std::string& name) {
  return Listed(kelvamo::kBackupFolder) + L'\\' + ListedName(name);
}

std::string Parent(const std::string& name) {
  const size_t slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash);
}

size_t Depth(const std::string& name) { return std::count(name.begin(), name.end(), '/'); }

// Folders deepest first, so that each is empty when its turn comes.
void SortDeepestFirst(std::vector<std::string>& folders) {
  std::sort(folders.begin(), folders.end(), [](const std::string& a, const std::string& b) {
    return Depth(a) != Depth(b) ? Depth(a) > Depth(b) : a < b;
  });
}

// The backup folder's own folders for the names moved into it, deepest first.
std::vector<std::string> AsideFolders(const std::vector<std::string>& movedAside) {
  std::set<std::string> folders;
  for (const std::string& name : movedAside) {
    for (std::string parent = Parent(name); !parent.empty(); parent = Parent(parent)) {
      folders.insert(std::string(kelvamo::kBackupFolder) + '/' + parent);
    }
  }
  std::vector<std::string> sorted(folders.begin(), folders.end());
  SortDeepestFirst(sorted);
  sorted.push_back(kelvamo::kBackupFolder);
  return sorted;
}

bool RemoveLogged(const ListedFolder& folder, const std::wstring& name, const std::string& shown) {
  if (folder.RemoveFile(name)) return true;
  const DWORD error = GetLastError();
  LogFailure("delete", shown, error);
  // A link planted under a product's name is someone else's: it stays, and holds nothing up.
  return error == kRefusedLink;
}

// The temporaries a cut-off run left where it was writing: the extractor's in every folder of
// the new version, the installer's own at the top.
bool RemoveTemporaries(const ListedFolder& folder, const std::string& installDir,
                       const std::vector<std::string>& newFiles) {
  std::set<std::string> places = {""};
  for (const std::string& name : newFiles) places.insert(Parent(name));
  bool removed = true;
  for (const std::string& place : places) {
    const std::wstring relative = place.empty() ? L"" : ListedName(place) + L'\\';
    const std::wstring pattern = ExtendedPath(WidenAnsi(installDir) + relative + L"*.tmp");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      // Temporaries are named in ASCII; any other sign keeps a name from passing for one.
      std::string leaf;
      for (const wchar_t* c = found.cFileName; *c; ++c) leaf += *c < 0x80 ? static_cast<char>(*c) : '?';
      const bool ours = kelvamo::IsTemporaryName(leaf, kelvamo::kExtractorTemporaryPrefix) ||
                        (place.empty() && kelvamo::IsTemporaryName(leaf, kelvamo::kSetupTemporaryPrefix));
      if (ours) removed = RemoveLogged(folder, relative + found.cFileName, place + '/' + leaf) && removed;
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  return removed;
}

}  // namespace

bool WriteJournal(const ListedFolder& folder, const kelvamo::InstallJournal& journal) {
  const std::string text = kelvamo::FormatJournal(journal);
  const std::wstring temporary = Listed(kelvamo::kSetupTemporaryPrefix) +
                                 std::to_wstring(GetCurrentProcessId()) + L"-journal.tmp";
  HANDLE file = folder.CreateNewFile(temporary);
  if (!file) {
    // One a run of the same id left: ours to replace.
    static_cast<void>(folder.RemoveFile(temporary));
    file = folder.CreateNewFile(temporary);
  }
  if (!file) return false;
  DWORD written = 0;
  const bool done = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written,
                              nullptr) &&
                    written == text.size() && FlushFileBuffers(file) &&
                    folder.RenameInto(file, Listed(kelvamo::kJournalFile));
  if (!done) {
    LogFailure("write", kelvamo::kJournalFile, GetLastError());
    DeleteThrough(file);
  }
  CloseHandle(file);
  return done;
}

JournalFound ReadJournal(const ListedFolder& folder, const std::string& installDir,
                         kelvamo::InstallJournal& journal) {
  const std::wstring name = Listed(kelvamo::kJournalFile);
  const auto text = folder.Read(name, kMaxJournalBytes);
  if (!text) {
    return folder.FileSize(name) || GetLastError() == kRefusedLink ? JournalFound::kDamaged
                                                                    : JournalFound::kNone;
  }
  auto parsed = kelvamo::ParseJournal(*text);
  // A journal is honoured only in the folder it names: one brought from elsewhere restores
  // nothing.
  if (!parsed || !kelvamo::FoldersNest(parsed->folder, installDir) ||
      !kelvamo::FoldersNest(installDir, parsed->folder)) {
    return JournalFound::kDamaged;
  }
  journal = std::move(*parsed);
  return JournalFound::kFound;
}

bool TakeBack(const ListedFolder& folder, const kelvamo::InstallJournal& journal) {
  LogStep(std::string(kStepTakingBack) + ' ' + journal.folder);
  bool whole = true;
  std::set<std::string> aside;
  for (const std::string& name : journal.movedAside) aside.insert(uha::FoldedName(name));
  if (journal.phase != kelvamo::JournalPhase::kMovingAside) {
    // A name that was moved aside gets its file back below, which replaces the new one.
    for (const std::string& name : journal.newFiles) {
      if (!aside.count(uha::FoldedName(name))) {
        whole = RemoveLogged(folder, ListedName(name), name) && whole;
      }
    }
    whole = RemoveLogged(folder, Listed(kelvamo::kArchiveName), kelvamo::kArchiveName) && whole;
    whole = RemoveLogged(folder, Listed(kelvamo::kExtractorName), kelvamo::kExtractorName) && whole;
  }
  // Its own temporaries (a journal being written when it was cut off among them) in any phase.
  whole = RemoveTemporaries(folder, journal.folder, journal.newFiles) && whole;
  for (auto name = journal.movedAside.rbegin(); name != journal.movedAside.rend(); ++name) {
    // What is no longer aside has come back already, or was never moved.
    if (!folder.FileSize(Aside(*name))) continue;
    if (!folder.MoveWithin(Aside(*name), ListedName(*name))) {
      LogFailure("restore", *name, GetLastError());
      whole = false;
    }
  }
  std::vector<std::string> folders = journal.newFolders;
  SortDeepestFirst(folders);
  for (const std::string& made : folders) static_cast<void>(folder.RemoveFolder(ListedName(made)));
  for (const std::string& made : AsideFolders(journal.movedAside)) {
    static_cast<void>(folder.RemoveFolder(ListedName(made)));
  }
  if (!RestorePriorRecords(journal)) {
    LogFailure("restore", "registry records", GetLastError());
    whole = false;
  }
  // The journal stays while anything is not as it was: the next start tries again.
  if (!whole) return false;
  if (!RemoveLogged(folder, Listed(kelvamo::kJournalFile), kelvamo::kJournalFile)) return false;
  static_cast<void>(DeleteJournalPointer());
  // The folders made on the way go last, innermost first, each only when empty.
  static_cast<void>(folder.RemoveItself());
  if (!journal.madeFolders.empty()) RemoveMadeFolders(journal.folder, journal.madeFolders.front());
  return true;
}

void RemoveMadeFolders(const std::string& installDir, const std::string& outermostMade) {
  // From the install folder up to the outermost one made, each only when empty and no link.
  for (std::string path = installDir; path.size() >= outermostMade.size() && path.size() > 3;) {
    ListedFolder empty;
    if (empty.Open(WidenAnsi(path))) static_cast<void>(empty.RemoveItself());
    if (kelvamo::FoldersNest(path, outermostMade) && kelvamo::FoldersNest(outermostMade, path)) break;
    const size_t slash = path.rfind('\\', path.size() - 2);
    if (slash == std::string::npos) break;
    path.resize(slash + 1);
  }
}

Recovery RecoverPointed(kelvamo::InstallJournal& journal, std::string& installDir) {
  const auto pointer = ReadJournalPointer();
  if (!pointer) return Recovery::kNothing;
  installDir = pointer->folder;
  const Recovery found = RecoverIn(pointer->folder, journal);
  // Cut off before its journal was written: nothing but the folders on the way can be there.
  if (found == Recovery::kNothing) {
    {
      ListedFolder folder;  // let go before the folder itself may go
      if (folder.Open(WidenAnsi(pointer->folder))) {
        static_cast<void>(RemoveTemporaries(folder, pointer->folder, {}));
      }
    }
    if (!pointer->outermostMade.empty()) RemoveMadeFolders(pointer->folder, pointer->outermostMade);
    static_cast<void>(DeleteJournalPointer());
  }
  return found;
}

Recovery RecoverIn(const std::string& installDir, kelvamo::InstallJournal& journal) {
  ListedFolder folder;
  if (installDir.empty() || !folder.Open(WidenAnsi(installDir))) return Recovery::kNothing;
  switch (ReadJournal(folder, installDir, journal)) {
    case JournalFound::kNone: return Recovery::kNothing;
    case JournalFound::kDamaged: return Recovery::kDamaged;
    case JournalFound::kFound: break;
  }
  LogStep(std::string(kStepRecovering) + ' ' + installDir);
  if (journal.phase == kelvamo::JournalPhase::kCommitted) {
    static_cast<void>(FinishCommitted(folder, journal));
    return Recovery::kFinished;
  }
  // Programs the cut-off run started may still be ending, holding a file of theirs: a few tries.
  for (int attempt = 0; attempt < kTakeBackAttempts; ++attempt) {
    if (TakeBack(folder, journal)) return Recovery::kTakenBack;
    Sleep(kTakeBackPauseMs);
  }
  return Recovery::kStuck;
}

bool FinishCommitted(const ListedFolder& folder, const kelvamo::InstallJournal& journal) {
  LogStep(kStepCommitted);
  bool finished = true;
  for (const std::string& name : journal.movedAside) {
    finished = RemoveLogged(folder, Aside(name), name) && finished;
  }
  for (const std::string& made : AsideFolders(journal.movedAside)) {
    finished = folder.RemoveFolder(ListedName(made)) && finished;
  }
  // A stale folder that holds the user's files stays, as after an uninstallation.
  for (const std::string& stale : journal.staleFolders) {
    static_cast<void>(folder.RemoveFolder(ListedName(stale)));
  }
  if (!journal.replacedFolder.empty()) {
    PreviousVersion replaced;
    if (replaced.Read(journal.replacedFolder)) {
      static_cast<void>(replaced.RemoveInstallation(journal.replacedFolder));
    }
  }
  // The new version is whole whatever stayed: the journal goes.
  finished = RemoveLogged(folder, Listed(kelvamo::kJournalFile), kelvamo::kJournalFile) && finished;
  static_cast<void>(DeleteJournalPointer());
  return finished;
}
