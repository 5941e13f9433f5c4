#include "lib/product/product_entries.h"

#include <algorithm>
#include <set>

#include "lib/product/expansion_name.h"
#include "lib/product/payload_record.h"
#include "lib/archive/entry_name.h"
#include "shared/kelvamo_product.h"

namespace kelvamo {

namespace {

// Archive names are UTF-8, whose multi-byte characters hold no ASCII byte: walking them byte by
// byte trims exactly as the installer's walk over the same names in GBK.
bool NoLeadByteInUtf8(unsigned char) { return false; }

bool ByKindThenName(const ListedEntry& a, const ListedEntry& b) {
  if (a.folder != b.folder) return a.folder;
  return a.name < b.name;
}

}  // namespace

std::optional<std::string> ExpansionTarget(const std::string& fileName) {
  const size_t slash = fileName.rfind('/');
  if (slash == std::string::npos || !ExpandedAtCompletion(fileName)) return std::nullopt;
  return fileName.substr(0, slash + 1) +
         UnpackTargetName(fileName.substr(slash + 1), NoLeadByteInUtf8);
}

std::optional<std::string> ExpandedLibraryName(const std::string& fileName) {
  const auto library = ExpansionTarget(fileName);
  // An empty target names the folder itself, and a name the pattern matched in capitals is not
  // trimmed at all: neither makes a new file.
  if (!library || library->back() == '/' || *library == fileName) return std::nullopt;
  if (!uha::EntryNameProblem(*library).empty()) return std::nullopt;
  return library;
}

std::vector<ListedEntry> ProductListEntries(const std::vector<ListedEntry>& archiveEntries) {
  std::vector<ListedEntry> all;
  std::set<std::string> seen;
  auto add = [&](bool folder, const std::string& name) {
    if (seen.insert(uha::FoldedName(name)).second) all.push_back({folder, name});
  };
  for (const ListedEntry& entry : archiveEntries) add(entry.folder, entry.name);
  for (const ListedEntry& entry : archiveEntries) {
    if (entry.folder) continue;
    if (auto library = ExpandedLibraryName(entry.name)) add(false, *library);
  }
  add(false, kInstalledListFile);
  std::sort(all.begin(), all.end(), ByKindThenName);
  return all;
}

}  // namespace kelvamo
