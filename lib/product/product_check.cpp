#include "lib/product/product_check.h"

#include <algorithm>
#include <map>
#include <set>

#include "lib/archive/entry_name.h"
#include "lib/product/expansion_name.h"
#include "lib/product/product_entries.h"
#include "shared/kelvamo_product.h"

namespace kelvamo {

namespace {

// The installer starts "jre\bin\unpack200", which the platform finds with or without ".exe".
constexpr const char* kUnpackPrograms[] = {"jre/bin/unpack200", "jre/bin/unpack200.exe"};

// Names as the platform compares them: two names that fold alike are one file.
std::set<std::string> FoldedFiles(const std::vector<ListedEntry>& entries) {
  std::set<std::string> files;
  for (const ListedEntry& entry : entries) {
    if (!entry.folder) files.insert(uha::FoldedName(entry.name));
  }
  return files;
}

// The expansion of each packed file is written over nothing the tree or another expansion holds.
std::optional<std::string> ExpansionProblem(const std::vector<ListedEntry>& entries) {
  std::set<std::string> taken;
  for (const ListedEntry& entry : entries) taken.insert(uha::FoldedName(entry.name));
  std::map<std::string, std::string> targets;  // folded target -> packed file
  for (const ListedEntry& entry : entries) {
    if (entry.folder) continue;
    const auto target = ExpansionTarget(entry.name);
    if (!target) continue;
    if (target->back() == '/') {
      return entry.name + " would expand to an empty name: nothing is left of it without \"" +
             kPackSuffix + "\"";
    }
    const std::string folded = uha::FoldedName(*target);
    if (taken.count(folded)) {
      return entry.name + " would expand to " + *target + ", which the tree already holds";
    }
    const auto [other, added] = targets.emplace(folded, entry.name);
    if (!added) {
      return entry.name + " and " + other->second + " would both expand to " + *target;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ProductTreeProblem(const std::vector<ListedEntry>& entries) {
  const std::set<std::string> files = FoldedFiles(entries);
  if (files.empty()) return std::string("the product tree holds no file at all");
  if (!files.count(uha::FoldedName(kApplicationFile))) {
    return std::string("the product tree holds no ") + kApplicationFile +
           " at its top: the shortcuts and the uninstall entry would point to nothing";
  }
  const auto packed = std::find_if(entries.begin(), entries.end(), [](const ListedEntry& entry) {
    return !entry.folder && ExpansionTarget(entry.name);
  });
  const bool hasUnpacker = std::any_of(std::begin(kUnpackPrograms), std::end(kUnpackPrograms),
                                       [&](const char* name) {
                                         return files.count(uha::FoldedName(name)) != 0;
                                       });
  if (packed != entries.end() && !hasUnpacker) {
    return packed->name + " needs " + kUnpackPrograms[0] + " or " + kUnpackPrograms[1] +
           " to expand at installation, and the product tree holds neither";
  }
  return ExpansionProblem(entries);
}

}  // namespace kelvamo
