#include "framework/afx_string.h"

#include <cstdarg>
#include <cstdio>

#include "framework/afx_app.h"
#include "framework/dbcs.h"

namespace {

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != 0; }

}  // namespace

CString& CString::operator=(const char* text) {
  m_text = text ? text : "";
  return *this;
}

CString& CString::operator+=(const char* text) {
  if (text) m_text += text;
  return *this;
}

CString& CString::operator+=(char ch) {
  m_text += ch;
  return *this;
}

CString CString::Left(int count) const {
  if (count < 0) count = 0;
  return CString(m_text.substr(0, static_cast<size_t>(count)).c_str());
}

int CString::ReverseFind(char ch) const {
  return kelvamo::LastIndexOfCharacter(m_text, ch, IsAnsiLeadByte);
}

void CString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length < 0) {
    m_text.clear();
  } else {
    std::string text(static_cast<size_t>(length) + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, args);
    text.resize(static_cast<size_t>(length));
    m_text.swap(text);
  }
  va_end(args);
}

bool CString::LoadString(UINT id) {
  // A string resource is at most 65535 characters; ask with a growing buffer until it fits.
  for (int size = 256; size <= 65536 * 2; size *= 2) {
    std::string buffer(static_cast<size_t>(size), '\0');
    const int copied = ::LoadStringA(AfxGetResourceHandle(), id, &buffer[0], size);
    if (copied < size - 1) {
      buffer.resize(static_cast<size_t>(copied < 0 ? 0 : copied));
      m_text.swap(buffer);
      return !m_text.empty();
    }
  }
  m_text.clear();
  return false;
}
