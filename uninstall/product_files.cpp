#include "uninstall/product_files.h"

#include <windows.h>

#include <memory>

#include "uninstall/product_links.h"

namespace {

bool IsFolderLink(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(ExtendedPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Whether a folder between the install folder and the listed file is a link.
bool PassesThroughLink(const std::wstring& folder, const std::wstring& path) {
  for (size_t slash = path.find(L'\\', folder.size()); slash != std::wstring::npos;
       slash = path.find(L'\\', slash + 1)) {
    if (IsFolderLink(path.substr(0, slash))) return true;
  }
  return false;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && LiesIn(a + L'\\', b);
}

}  // namespace

bool RemoveListedFile(const std::wstring& folder, const std::string& name) {
  const std::wstring path = ListedPath(folder, name);
  if (path.empty() || PassesThroughLink(folder, path)) return false;
  const std::wstring extended = ExtendedPath(path);
  const DWORD attributes = GetFileAttributesW(extended.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesW(extended.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  return DeleteFileW(extended.c_str()) ||
         GetFileAttributesW(extended.c_str()) == INVALID_FILE_ATTRIBUTES;
}

bool RemoveEmptyFolder(const std::wstring& path) {
  const std::wstring extended = ExtendedPath(path);
  RemoveDirectoryW(extended.c_str());
  return GetFileAttributesW(extended.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::vector<KeptFolder> KeptFolders(const std::vector<std::wstring>& candidates,
                                    const std::vector<std::wstring>& failedFiles) {
  std::vector<KeptFolder> kept;
  for (const std::wstring& folder : candidates) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(ExtendedPath(folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) continue;
    bool holdsOther = false;
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = folder + L'\\' + name;
      bool keptFolder = false;
      for (const std::wstring& other : candidates) keptFolder = keptFolder || SamePath(other, child);
      holdsOther = holdsOther || !keptFolder;
    } while (!holdsOther && FindNextFileW(search, &entry));
    FindClose(search);
    if (!holdsOther) continue;
    bool failed = false;
    for (const std::wstring& file : failedFiles) {
      failed = failed || SamePath(file.substr(0, file.rfind(L'\\')), folder);
    }
    kept.push_back({folder, failed});
  }
  return kept;
}
