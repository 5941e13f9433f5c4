#include "tests/wine/contrast_scheme.h"

namespace {

const char kKey[] = "Control Panel\\Accessibility\\HighContrast";

// None of them is the design's white or black.
const COLORREF kScheme[6] = {RGB(0, 0, 128),   RGB(255, 255, 0), RGB(0, 96, 0),
                             RGB(0, 255, 255), RGB(255, 0, 255), RGB(255, 128, 0)};

bool ReadFlags(std::string* flags) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  char text[64] = "";
  DWORD size = sizeof(text) - 1;
  const bool read = RegQueryValueExA(key, "Flags", nullptr, nullptr, reinterpret_cast<BYTE*>(text),
                                     &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  if (read) *flags = text;
  return read;
}

void WriteFlags(const std::string& flags) {
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, kKey, &key) != ERROR_SUCCESS) return;
  RegSetValueExA(key, "Flags", 0, REG_SZ, reinterpret_cast<const BYTE*>(flags.c_str()),
                 static_cast<DWORD>(flags.size() + 1));
  RegCloseKey(key);
}

}  // namespace

const int HighContrastScheme::kElements[6] = {COLOR_WINDOW,  COLOR_WINDOWTEXT, COLOR_BTNFACE,
                                              COLOR_BTNTEXT, COLOR_HIGHLIGHT,  COLOR_GRAYTEXT};

HighContrastScheme::HighContrastScheme() {
  for (int i = 0; i < 6; ++i) m_saved[i] = GetSysColor(kElements[i]);
  m_hadFlags = ReadFlags(&m_savedFlags);
  SetSysColors(6, kElements, kScheme);
  Store(true);
}

HighContrastScheme::~HighContrastScheme() {
  SetSysColors(6, kElements, m_saved);
  if (m_hadFlags) {
    WriteFlags(m_savedFlags);
  } else {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "Flags");
      RegCloseKey(key);
    }
  }
}

void HighContrastScheme::Store(bool on) { WriteFlags(on ? "127" : "126"); }
