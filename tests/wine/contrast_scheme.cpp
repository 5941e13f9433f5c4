#include "tests/wine/contrast_scheme.h"

namespace {

const int kElements[6] = {COLOR_WINDOW,  COLOR_WINDOWTEXT, COLOR_BTNFACE,
                          COLOR_BTNTEXT, COLOR_HIGHLIGHT,  COLOR_GRAYTEXT};
// None of them is the design's white or black.
const COLORREF kScheme[6] = {RGB(0, 0, 128),   RGB(255, 255, 0), RGB(0, 96, 0),
                             RGB(0, 255, 255), RGB(255, 0, 255), RGB(255, 128, 0)};

}  // namespace

HighContrastScheme::HighContrastScheme() {
  for (int i = 0; i < 6; ++i) m_saved[i] = GetSysColor(kElements[i]);
  SetSysColors(6, kElements, kScheme);
  Store(true);
}

HighContrastScheme::~HighContrastScheme() {
  SetSysColors(6, kElements, m_saved);
  Store(false);
}

void HighContrastScheme::Store(bool on) {
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, "Control Panel\\Accessibility\\HighContrast", &key) != 0) return;
  const char* flags = on ? "127" : "126";  // as Windows writes them
  RegSetValueExA(key, "Flags", 0, REG_SZ, reinterpret_cast<const BYTE*>(flags), 4);
  RegCloseKey(key);
}
