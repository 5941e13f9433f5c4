#pragma once
#include <optional>
#include <string>
#include <vector>

#include "lib/product/installed_list.h"

// An installation over an installed version: what the old version's list names and the new one
// does not is removed once the new version is in place, so no stale file (a library the new
// runtime would load among them) outlives the upgrade.

using InstalledList = std::optional<std::vector<kelvamo::ListedEntry>>;

// The list of the version in `installDir` (ANSI, ends with a backslash), read as the uninstaller
// reads it, before the extraction replaces it; nothing when it is missing or damaged.
InstalledList ReadPreviousList(const std::string& installDir);

// After a successful installation: removes what `previous` lists and the new list does not.
// Without both lists, sound, nothing is removed. True when every stale file is gone.
bool RemoveStaleFilesAfterUpgrade(const std::string& installDir, const InstalledList& previous);
