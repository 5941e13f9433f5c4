#include "setup/framework/afx_string.h"

#include "setup/framework/afx_app.h"
#include "setup/framework/ansi_lead_byte.h"
#include "lib/text/dbcs.h"

CString& CString::operator=(const char* text) {
  m_text = text ? text : "";
  return *this;
}

CString CString::Left(int count) const {
  if (count < 0) count = 0;
  return CString(m_text.substr(0, static_cast<size_t>(count)).c_str());
}

int CString::ReverseFind(char ch) const {
  return kelvamo::LastIndexOfCharacter(m_text, ch, kelvamo::IsAnsiLeadByte);
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
