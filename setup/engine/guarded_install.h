#pragma once
#include <optional>
#include <string>
#include <vector>

#include "lib/archive/uha_format.h"
#include "lib/product/install_journal.h"

class ListedFolder;

// An installation that can be taken back whole at any point: before it writes, it records in the
// folder's journal what it will do and moves every file it would replace into the backup folder;
// once the new version is whole, it commits, and only then do the old files go.
class GuardedInstall {
 public:
  // Plans the payload `entries` into `installDir` over the old version's `oldList` (nothing when
  // there is no sound list), replacing the registered installation in `replacedDir` (empty when
  // none). Reads the registry records as they stand; writes nothing.
  void Plan(const std::string& installDir, const std::optional<std::vector<kelvamo::ListedEntry>>& oldList,
            const std::string& replacedDir, const std::vector<uha::Entry>& entries);
  // The files to be replaced that other programs hold open (names inside the folder).
  std::vector<std::string> FilesInUse(const ListedFolder& folder) const;
  // Makes the install folder and the folders on the way, once the journal pointer names them;
  // false when it could not be made.
  bool MakeFolder();
  // Gives up before Begin: the folders made go again when empty, and the journal pointer.
  void Abandon();

  // Writes the journal, then moves the files to be replaced aside. False when either failed:
  // then whatever was moved is back and the journal gone; FailedName() names the file.
  bool Begin(const ListedFolder& folder);
  // Records that the registry records, the payload and the extraction are next.
  bool BeginWriting(const ListedFolder& folder);
  // The new version is whole: records so, then removes what is left of the old one. False when
  // something stale stays (the installation stands all the same).
  bool Commit(const ListedFolder& folder);
  // Undoes all that was done, as after a cut-off run. False when something could not be put back;
  // the journal then stays for the next start.
  bool TakeBack(const ListedFolder& folder);

  bool Begun() const { return m_begun; }
  const std::string& FailedName() const { return m_failedName; }

 private:
  kelvamo::InstallJournal m_journal;
  std::vector<std::string> m_candidates;
  std::vector<std::string> m_payloadFolders;
  std::string m_failedName;
  bool m_begun = false;
};
