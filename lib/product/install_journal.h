#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lib/product/installed_list.h"

// The record an installation keeps in its folder while it changes anything there, so that a run
// cut off at any point (killed, power lost) can be taken back whole at the next start, or finished
// when only the clean-up was left. Every step is recorded before it is taken.
namespace kelvamo {

enum class JournalPhase {
  kMovingAside,  // files the installation replaces are being moved into the backup folder
  kWriting,      // registry records, payload, extraction, runtime expansion
  kCommitted,    // the new version is whole: only the backup and stale folders are left to go
};

// A registry value of the product's records as it was before, written back byte for byte when
// the installation is taken back.
struct PriorValue {
  bool inAppKey = false;  // the application key's, else the uninstall entry's
  std::string name;       // letters only
  std::uint32_t type = 0;  // REG_SZ (1) or REG_DWORD (4)
  std::string bytes;
};

struct InstallJournal {
  std::string folder;  // the install folder (ANSI, ends with a backslash)
  JournalPhase phase = JournalPhase::kMovingAside;
  // Folders this installation made on the way to its folder (absolute, ANSI), outermost first;
  // they go again, each only when empty.
  std::vector<std::string> madeFolders;
  bool appKeyExisted = false;
  bool uninstallKeyExisted = false;
  std::vector<PriorValue> priorValues;  // the values of both keys the installation writes
  // A registered installation in another folder, removed once this one is whole; empty if none.
  std::string replacedFolder;
  // Names inside the folder (UTF-8, "/" between components): the files moved into the backup
  // folder under the same names, the files the new version writes, the folders it makes that
  // were not there, and the old version's folders it no longer has.
  std::vector<std::string> movedAside;
  std::vector<std::string> newFiles;
  std::vector<std::string> newFolders;
  std::vector<std::string> staleFolders;
};

std::string FormatJournal(const InstallJournal& journal);
// Nothing when the text is damaged in any way, or names anything outside the folder.
std::optional<InstallJournal> ParseJournal(const std::string& text);

// The version the uninstall entry named before; empty when it named none.
std::string PriorVersion(const InstallJournal& journal);

// Names the installation keeps for itself inside the folder; a list naming one of them does not
// get it moved, written or removed.
bool IsInstallerOwnName(const std::string& name);

// A temporary the installer or its extractor writes, named prefix, process id, '-', a count or a
// lower-case word, ".tmp": what an interrupted run leaves of a file it was writing.
bool IsTemporaryName(const std::string& leaf, const char* prefix);

// What an installation over `oldList` (nothing when there is no sound list) with the new version's
// `newFiles` and `newFolders` plans before it writes: every file either names, each once as the
// platform compares names, that may have to be moved aside (those that exist are), and the old
// version's folders the new one no longer has, deepest first.
struct AsidePlan {
  std::vector<std::string> candidates;
  std::vector<std::string> staleFolders;
};
AsidePlan PlanMovingAside(const std::optional<std::vector<ListedEntry>>& oldList,
                          const std::vector<std::string>& newFiles,
                          const std::vector<std::string>& newFolders);

}  // namespace kelvamo
