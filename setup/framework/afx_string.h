#pragma once
#include <windows.h>

#include <string>

// ANSI string of the program's code page (GBK on the target systems). Searches work on whole
// characters, so the trail byte of a double-byte character never matches a single-byte one.
class CString {
public:
  CString() = default;
  CString(const char* text) : m_text(text ? text : "") {}  // NOLINT: implicit like the original
  CString(const char* text, int length) : m_text(text, length > 0 ? static_cast<size_t>(length) : 0) {}

  CString& operator=(const char* text);

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  const char* GetString() const { return m_text.c_str(); }
  operator const char*() const { return m_text.c_str(); }

  // The first `count` bytes (all of them when count is larger).
  CString Left(int count) const;
  // Byte index of the last whole character equal to `ch`, or -1.
  int ReverseFind(char ch) const;

  // The string resource `id` of the program; false (and empty) when there is none.
  bool LoadString(UINT id);

private:
  std::string m_text;
};
