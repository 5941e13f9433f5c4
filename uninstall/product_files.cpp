#include "uninstall/product_files.h"

#include <windows.h>

#include <memory>

#include "shared/kelvamo_product.h"
#include "uninstall/product_links.h"

namespace {

// A list larger than this is not one the packer wrote.
constexpr DWORD kMaxListBytes = 64u << 20;

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

std::optional<std::vector<kelvamo::ListedEntry>> ReadInstalledList(const std::wstring& folder) {
  const std::wstring path = ExtendedPath(folder + ListedPath(L"", kelvamo::kInstalledListFile));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  const DWORD size = GetFileSize(file, nullptr);
  std::string text;
  bool read = size != INVALID_FILE_SIZE && size <= kMaxListBytes;
  if (read) {
    text.resize(size);
    DWORD count = 0;
    read = size == 0 || (ReadFile(file, &text[0], size, &count, nullptr) && count == size);
  }
  CloseHandle(file);
  if (!read) return std::nullopt;
  return kelvamo::ParseInstalledList(text);
}

std::wstring ListedPath(const std::wstring& folder, const std::string& name) {
  const std::wstring wide = WidenUtf8(name);
  if (wide.empty()) return L"";
  std::wstring path = folder;
  const size_t start = path.size();
  path += wide;
  for (size_t i = start; i < path.size(); ++i) {
    if (path[i] == L'/') path[i] = L'\\';
  }
  return path;
}

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
