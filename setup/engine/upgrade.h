#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "lib/product/installed_list.h"

class ListedFolder;

// An installed version: its list, read before an installation over it, so that its files are
// moved aside and what the new version no longer has goes once that is whole (GuardedInstall);
// and a registered installation in another folder, removed once the new one is in place.
class PreviousVersion {
 public:
  PreviousVersion();
  ~PreviousVersion();
  PreviousVersion(const PreviousVersion&) = delete;
  PreviousVersion& operator=(const PreviousVersion&) = delete;

  // Reads the list of the version in `installDir` (ANSI, ends with a backslash) as the
  // uninstaller reads it, before the extraction replaces it, and holds the folder it came from.
  // False when there is none, or it is damaged: then nothing will be removed.
  bool Read(const std::string& installDir);
  // Whether a list stood in the folder but was refused (damaged, a link, a name leaving the
  // folder): the old version's files stay, and the user is told.
  bool Refused() const { return m_refused; }

  // The list read; nothing when there was no sound one.
  std::optional<std::vector<kelvamo::ListedEntry>> Entries() const;

  // Whether both lists were read from one folder, whatever the paths said.
  bool SameFolderAs(const PreviousVersion& other) const;
  // After a successful installation into another folder: removes this version from
  // `installDir`, as its uninstaller would and only while that is the folder its list was read
  // from: every listed file and folder, then its uninstaller, its list and the folder itself when
  // nothing else is left (an installer's log there goes too); the user's files stay, and the folders that hold them. The links to its
  // programs go too. The registry entry is the new installation's already. True when all is gone.
  bool RemoveInstallation(const std::string& installDir) const;

 private:
  std::unique_ptr<ListedFolder> m_folder;
  std::vector<kelvamo::ListedEntry> m_entries;
  bool m_refused = false;
};
