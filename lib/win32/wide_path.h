// Wide text for the platform's wide calls: archive names are UTF-8, the installer's own texts are
// ANSI, the wide calls take UTF-16, and the "\\?\" form lifts the length limit of paths.
#pragma once
#include <windows.h>

#include <string>

// Text of `codePage` as UTF-16; empty when the platform refuses it.
inline std::wstring WidenFrom(UINT codePage, DWORD flags, const std::string& text) {
  if (text.empty()) return {};
  const int n = MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()),
                                    nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

// UTF-8 as UTF-16; empty when the bytes are not valid UTF-8.
inline std::wstring WidenUtf8(const std::string& utf8) {
  return WidenFrom(CP_UTF8, MB_ERR_INVALID_CHARS, utf8);
}

// Text in the system's ANSI code page, as the installer's ANSI calls take it, as UTF-16.
inline std::wstring WidenAnsi(const std::string& ansi) { return WidenFrom(CP_ACP, 0, ansi); }

// An absolute path in the "\\?\" form ("\\?\UNC\" for a share); one already in it is kept.
inline std::wstring ExtendedPath(const std::wstring& path) {
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return L"\\\\?\\" + path;
}
