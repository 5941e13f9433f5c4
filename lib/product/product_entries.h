#pragma once
#include <optional>
#include <string>
#include <vector>

#include "lib/product/installed_list.h"

// The packer's half of the file list: the names an installation of the archive leaves behind.
namespace kelvamo {

// The name the runtime expansion gives its output for a file of the archive it finds, named as the
// archive names its entries, even when that names no new file (the folder itself, or the packed
// file again); nothing for a file the expansion does not find.
std::optional<std::string> ExpansionTarget(const std::string& fileName);

// The library the runtime expansion writes from a packed file of the archive, named as the
// archive names its entries; nothing for any other file.
std::optional<std::string> ExpandedLibraryName(const std::string& fileName);

// The archive's entries, the libraries expanded from them and the list itself: each name once,
// regardless of case, folders first, then files, each ordered by name.
std::vector<ListedEntry> ProductListEntries(const std::vector<ListedEntry>& archiveEntries);

}  // namespace kelvamo
