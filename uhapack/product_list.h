// The product's file list, which the packer adds to every archive as an ordinary file entry so
// that the installation leaves it in the install folder for the uninstaller.
#pragma once

#include <string>
#include <vector>

#include "lib/archive/archive_writer.h"

namespace uha {

// Writes the list of `inputs` (with the libraries the runtime expansion makes from them) to a
// new file named `scratch_prefix` and six more characters, and adds that file to `inputs` under
// the list's name, with time `mtime`; the caller removes it (the added input's source path).
// Refused when the tree already holds a file of that name, or could not be installed
// (kelvamo::ProductTreeProblem).
Status AddProductList(std::vector<PackInput>& inputs, const std::string& scratch_prefix,
                      std::uint64_t mtime);

}  // namespace uha
