#pragma once
#include <vector>

#include "lib/product/installed_list.h"

// What an upgrade in place leaves of the version it replaces.
namespace kelvamo {

// The entries of `oldList` that `newList` does not name, compared as the platform compares names,
// so a name whose case alone changed is the new version's file and stays.
std::vector<ListedEntry> EntriesNoLongerListed(const std::vector<ListedEntry>& oldList,
                                               const std::vector<ListedEntry>& newList);

// The stale files and folders to remove once the new version is in place, in the uninstaller's
// order and under its exclusions: the list and the uninstaller are never among the files (the
// uninstall entry starts the latter whatever the new list says), folders come deepest first.
RemovalPlan PlanUpgradeRemoval(const std::vector<ListedEntry>& oldList,
                               const std::vector<ListedEntry>& newList);

}  // namespace kelvamo
