#pragma once
#include <optional>
#include <string>
#include <vector>

#include "lib/win32/installed_list_file.h"
#include "lib/win32/wide_path.h"

// The product's files in the install folder, as its file list names them. Paths are UTF-16 and
// go through the \\?\ form, so deep trees and any name work.

// Deletes one listed file, read-only or not. A name that is now a folder, or that lies below a
// folder link (which may lead out of the install folder), is left alone. True when the file is
// gone or was never there.
bool RemoveListedFile(const std::wstring& folder, const std::string& name);

// Removes a folder when it is empty; true when it is gone.
bool RemoveEmptyFolder(const std::wstring& path);

// A folder that stays, and why.
struct KeptFolder {
  std::wstring path;
  bool holdsFailedFile = false;  // else it holds files that are not the product's
};

// The folders among `candidates` (the install folder and listed folders, all that still exist)
// that hold something besides other kept folders: those a user has to look into.
std::vector<KeptFolder> KeptFolders(const std::vector<std::wstring>& candidates,
                                    const std::vector<std::wstring>& failedFiles);
