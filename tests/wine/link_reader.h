#pragma once
#include <optional>
#include <string>

// The properties of a shell link file, read back through IShellLinkA (the show command from the
// file itself). COM must be initialised.
struct LinkProperties {
  std::string target;
  std::string workingDirectory;
  std::string description;
  int showCommand = 0;
};
std::optional<LinkProperties> ReadLink(const std::string& linkPath);
