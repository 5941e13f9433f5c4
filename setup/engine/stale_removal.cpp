#include "setup/engine/stale_removal.h"

#include <windows.h>

#include "lib/win32/installed_list_file.h"
#include "lib/win32/wide_path.h"

namespace {

DWORD AttributesOf(const std::wstring& path) {
  return GetFileAttributesW(ExtendedPath(path).c_str());
}

// Whether a folder between the install folder and the last component of `path` is a link (a
// trailing backslash makes that component one of them); nothing below a link is the folder's own.
bool ReachedThroughLink(const std::wstring& folder, const std::wstring& path) {
  for (size_t slash = path.find(L'\\', folder.size()); slash != std::wstring::npos;
       slash = path.find(L'\\', slash + 1)) {
    const DWORD attributes = AttributesOf(path.substr(0, slash));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      return true;
    }
  }
  return false;
}

bool RemoveStaleFile(const std::wstring& folder, const std::string& name) {
  const std::wstring path = ListedPath(folder, name);
  if (path.empty() || ReachedThroughLink(folder, path)) return false;
  const std::wstring extended = ExtendedPath(path);
  const DWORD attributes = GetFileAttributesW(extended.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    // A failure here shows as the deletion's own.
    static_cast<void>(SetFileAttributesW(extended.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY));
  }
  return DeleteFileW(extended.c_str()) || AttributesOf(path) == INVALID_FILE_ATTRIBUTES;
}

// A folder link is left alone: removing it would be removing a folder the list never made.
void RemoveStaleFolderIfEmpty(const std::wstring& folder, const std::string& name) {
  const std::wstring path = ListedPath(folder, name);
  if (path.empty() || ReachedThroughLink(folder, path + L'\\')) return;
  // Refused while it holds anything, which is what must keep it.
  static_cast<void>(RemoveDirectoryW(ExtendedPath(path).c_str()));
}

}  // namespace

bool RemoveStaleFiles(const std::wstring& folder, const kelvamo::RemovalPlan& plan) {
  bool removed = true;
  for (const std::string& name : plan.files) removed = RemoveStaleFile(folder, name) && removed;
  for (const std::string& name : plan.folders) RemoveStaleFolderIfEmpty(folder, name);
  return removed;
}
