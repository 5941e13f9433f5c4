#pragma once
#include <memory>
#include <string>
#include <vector>

#include "lib/product/installed_list.h"

class ListedFolder;

// An installation over an installed version: what the old version's list names and the new one
// does not is removed once the new version is in place, so no stale file (a library the new
// runtime would load among them) outlives the upgrade.
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

  // After a successful installation: removes, with the uninstaller's rules, what the old list
  // names and the new one does not. Nothing is removed without both lists, or when the folder is
  // no longer the one the old list was read from. True when every stale file is gone.
  bool RemoveStaleFiles(const std::string& installDir) const;
  // The same on a thread of its own, the wizard's messages dispatched meanwhile: a list of a
  // million names takes a minute.
  bool RemoveStaleFilesAside(const std::string& installDir) const;

  // Whether both lists were read from one folder, whatever the paths said.
  bool SameFolderAs(const PreviousVersion& other) const;
  // After a successful installation into another folder: removes this version from
  // `installDir`, as its uninstaller would and only while that is the folder its list was read
  // from: every listed file and folder, then its uninstaller, its list and the folder itself when
  // nothing else is left; the user's files stay, and the folders that hold them. The links to its
  // programs go too. The registry entry is the new installation's already. True when all is gone.
  bool RemoveInstallation(const std::string& installDir) const;

 private:
  std::unique_ptr<ListedFolder> m_folder;
  std::vector<kelvamo::ListedEntry> m_entries;
  bool m_refused = false;
};
