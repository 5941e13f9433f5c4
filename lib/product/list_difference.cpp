#include "lib/product/list_difference.h"

#include <set>
#include <string>

#include "lib/archive/entry_name.h"

namespace kelvamo {

std::vector<ListedEntry> EntriesNoLongerListed(const std::vector<ListedEntry>& oldList,
                                               const std::vector<ListedEntry>& newList) {
  std::set<std::string> named;
  for (const ListedEntry& entry : newList) named.insert(uha::FoldedName(entry.name));
  std::vector<ListedEntry> stale;
  for (const ListedEntry& entry : oldList) {
    if (!named.count(uha::FoldedName(entry.name))) stale.push_back(entry);
  }
  return stale;
}

RemovalPlan PlanUpgradeRemoval(const std::vector<ListedEntry>& oldList,
                               const std::vector<ListedEntry>& newList) {
  RemovalPlan plan = PlanRemoval(EntriesNoLongerListed(oldList, newList));
  plan.listsUninstaller = false;
  return plan;
}

}  // namespace kelvamo
