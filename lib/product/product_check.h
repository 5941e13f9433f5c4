#pragma once
#include <optional>
#include <string>
#include <vector>

#include "lib/product/installed_list.h"

// What the packer refuses in a product tree: a tree the installer could unpack but not install.
namespace kelvamo {

// Why an installation of a tree of these entries (named as the archive names them, before the
// packer adds its list) could not succeed or would leave a broken product; nothing when it can.
std::optional<std::string> ProductTreeProblem(const std::vector<ListedEntry>& entries);

}  // namespace kelvamo
