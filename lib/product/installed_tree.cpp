#include "lib/product/installed_tree.h"

#include "lib/product/product_entries.h"

namespace kelvamo {

std::vector<ExpectedFile> ExpectedFiles(const std::vector<uha::Entry>& entries) {
  std::vector<ExpectedFile> files;
  for (const uha::Entry& entry : entries) {
    if (entry.kind == uha::EntryKind::kFile) files.push_back({entry.name, entry.size});
  }
  // The packer refuses a library that would take the name of a file of the archive or of
  // another library, so each is new here.
  for (const uha::Entry& entry : entries) {
    if (entry.kind != uha::EntryKind::kFile) continue;
    if (auto library = ExpandedLibraryName(entry.name)) files.push_back({*library, std::nullopt});
  }
  return files;
}

}  // namespace kelvamo
