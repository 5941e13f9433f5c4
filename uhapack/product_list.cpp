#include "uhapack/product_list.h"

#include <cstdio>

#include "lib/product/product_check.h"
#include "lib/product/product_entries.h"
#include "lib/archive/entry_name.h"
#include "shared/kelvamo_product.h"

namespace uha {

Status AddProductList(std::vector<PackInput>& inputs, const std::string& list_path,
                      std::uint64_t mtime) {
  std::vector<kelvamo::ListedEntry> entries;
  for (const PackInput& in : inputs) {
    if (FoldedName(in.entry.name) == FoldedName(kelvamo::kInstalledListFile)) {
      return Status::Fail(std::string("the tree already holds ") + kelvamo::kInstalledListFile +
                          ", the name of the list the packer adds");
    }
    entries.push_back({in.entry.kind == EntryKind::kDirectory, in.entry.name});
  }
  if (auto problem = kelvamo::ProductTreeProblem(entries)) {
    return Status::Fail("cannot pack this product: " + *problem);
  }
  const std::string text = kelvamo::FormatInstalledList(kelvamo::ProductListEntries(entries));
  std::FILE* f = std::fopen(list_path.c_str(), "wb");
  if (!f) return Status::Fail("cannot create " + list_path);
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (std::fclose(f) != 0 || !written) return Status::Fail("cannot write " + list_path);
  PackInput list;
  list.entry.name = kelvamo::kInstalledListFile;
  list.entry.size = text.size();
  list.entry.mtime = mtime;
  list.source_path = list_path;
  inputs.push_back(std::move(list));
  return {};
}

}  // namespace uha
