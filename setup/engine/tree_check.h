#pragma once
#include <optional>
#include <string>

class ListedFolder;

// The completion's last check: every file of the payload's tree stands in the folder as a file
// of its own with the archive's size, and every library the expansion writes is there. Returns
// the first that is not (ANSI, the folder's path and the name), or what could not be read;
// nothing when the tree is whole.
std::optional<std::string> FirstMissingFile(const ListedFolder& folder,
                                            const std::string& installDir);

// A UTF-8 name as the installer's ANSI messages show it; '?' where the code page has no sign.
std::string AnsiName(const std::string& utf8);
