#pragma once
#include <optional>
#include <string>
#include <vector>

// The list of the product's files and folders that an installation leaves in its folder, so that
// the uninstaller removes what the installer put there and nothing else. Names are as the archive
// stores them: UTF-8, relative, "/" between components. docs/installed-files.md gives the format.
namespace kelvamo {

struct ListedEntry {
  bool folder = false;
  std::string name;
};

std::string FormatInstalledList(const std::vector<ListedEntry>& entries);

// The entries of a list text; nothing when the text is damaged in any way or names anything that
// would leave the install folder (an absolute path, "..", a drive, a stream).
std::optional<std::vector<ListedEntry>> ParseInstalledList(const std::string& text);

// What the uninstaller removes, in order: the files (the list and the uninstaller itself go last,
// by the uninstaller's own hand), then the folders deepest first, each only when empty.
struct RemovalPlan {
  std::vector<std::string> files;
  std::vector<std::string> folders;
  bool listsUninstaller = false;
};
RemovalPlan PlanRemoval(const std::vector<ListedEntry>& entries);

}  // namespace kelvamo
