#include "uhapack/product_list.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "lib/product/product_check.h"
#include "lib/product/product_entries.h"
#include "lib/archive/entry_name.h"
#include "shared/kelvamo_product.h"

namespace uha {

Status AddProductList(std::vector<PackInput>& inputs, const std::string& scratch_prefix,
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
  // A name nothing stands at yet: mkstemp creates it exclusively, so no file of the user's is
  // ever written over or removed afterwards.
  std::string list_path = scratch_prefix + "XXXXXX";
  const int fd = mkstemp(&list_path[0]);
  if (fd < 0) return Status::Fail("cannot create " + scratch_prefix + "*: " + std::strerror(errno));
  bool written = true;
  for (size_t done = 0; written && done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    written = n > 0;
    done += written ? static_cast<size_t>(n) : 0;
  }
  if (close(fd) != 0 || !written) {
    unlink(list_path.c_str());
    return Status::Fail("cannot write " + list_path);
  }
  PackInput list;
  list.entry.name = kelvamo::kInstalledListFile;
  list.entry.size = text.size();
  list.entry.mtime = mtime;
  list.source_path = list_path;
  inputs.push_back(std::move(list));
  return {};
}

}  // namespace uha
