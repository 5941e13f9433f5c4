// Wide paths for the programs that work below MAX_PATH's limit: archive names are UTF-8, the
// platform's wide calls take UTF-16, and the "\\?\" form lifts the length limit.
#pragma once
#include <windows.h>

#include <string>

// UTF-8 as UTF-16; empty when the bytes are not valid UTF-8.
inline std::wstring WidenUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      &out[0], n);
  return out;
}

// An absolute path in the "\\?\" form ("\\?\UNC\" for a share); one already in it is kept.
inline std::wstring ExtendedPath(const std::wstring& path) {
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return L"\\\\?\\" + path;
}
