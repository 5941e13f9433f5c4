#include "lib/win32/installed_list_file.h"

#include <windows.h>

#include "lib/win32/wide_path.h"
#include "shared/kelvamo_product.h"

namespace {

// A list larger than this is not one the packer wrote.
constexpr DWORD kMaxListBytes = 64u << 20;

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
