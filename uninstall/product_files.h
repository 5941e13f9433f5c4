#pragma once
#include <string>
#include <vector>

// The product's folders that stay after a removal, for the closing message. Paths are UTF-16
// and go through the \\?\ form, so deep trees and any name work.

// `folder` + the listed name, with backslashes; empty when the name is not valid UTF-8.
std::wstring ListedPath(const std::wstring& folder, const std::string& name);

// A folder that stays, and why.
struct KeptFolder {
  std::wstring path;
  bool holdsFailedFile = false;  // else it holds files that are not the product's
};

// The folders among `candidates` (the install folder and listed folders, all that still exist)
// that hold something besides other kept folders: those a user has to look into.
std::vector<KeptFolder> KeptFolders(const std::vector<std::wstring>& candidates,
                                    const std::vector<std::wstring>& failedFiles);
