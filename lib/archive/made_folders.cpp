#include "lib/archive/made_folders.h"

#include <algorithm>

namespace uha {

std::string_view FolderOf(std::string_view name) {
  const std::size_t slash = name.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : name.substr(0, slash);
}

std::vector<std::string> MadeFolders::Missing(std::string_view folder) const {
  std::vector<std::string> missing;
  for (std::string_view f = folder; !f.empty() && made_.count(std::string(f)) == 0;
       f = FolderOf(f)) {
    missing.emplace_back(f);
  }
  std::reverse(missing.begin(), missing.end());
  return missing;
}

}  // namespace uha
