// The folders an extraction has made and checked so far. Each folder is made once, however many
// entries lie below it, so the work grows with the number of entries and not with their depth.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "lib/archive/uha_format.h"

namespace uha {

// The folder part of a name: "a/b/c.txt" gives "a/b", "c.txt" gives "".
std::string_view FolderOf(std::string_view name);

class MadeFolders {
 public:
  // Makes `folder` and those it lies in, outermost first, through `make` (which must refuse
  // anything but a real folder) for each one not made yet. The empty folder is the root.
  template <typename MakeOne>
  Status Ensure(std::string_view folder, MakeOne make) {
    for (const std::string& missing : Missing(folder)) {
      Status st = make(missing);
      if (!st.ok()) return st;
      made_.insert(missing);
    }
    return {};
  }

 private:
  std::vector<std::string> Missing(std::string_view folder) const;

  std::set<std::string> made_;
};

}  // namespace uha
