#include "setup/ui/high_contrast.h"

#include <cstring>
#include <string>

using namespace kelvamo;

namespace {

const char kStoredSettingKey[] = "Control Panel\\Accessibility\\HighContrast";
const char kStoredFlags[] = "Flags";

static_assert(static_cast<int>(SystemColour::Window) == COLOR_WINDOW);
static_assert(static_cast<int>(SystemColour::WindowText) == COLOR_WINDOWTEXT);
static_assert(static_cast<int>(SystemColour::Highlight) == COLOR_HIGHLIGHT);
static_assert(static_cast<int>(SystemColour::ButtonFace) == COLOR_BTNFACE);
static_assert(static_cast<int>(SystemColour::GrayText) == COLOR_GRAYTEXT);
static_assert(static_cast<int>(SystemColour::ButtonText) == COLOR_BTNTEXT);

bool StoredSettingOn() {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, kStoredSettingKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  char flags[32] = "";
  DWORD type = 0, size = sizeof(flags) - 1;  // the last byte stays the terminator
  const bool read = ::RegQueryValueExA(key, kStoredFlags, nullptr, &type,
                                       reinterpret_cast<BYTE*>(flags), &size) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  if (!read || type != REG_SZ) return false;
  return StoredFlagsSayHighContrast(std::string(flags, strnlen(flags, size)));
}

BOOL CALLBACK TellChild(HWND child, LPARAM message) {
  ::SendMessageW(child, static_cast<UINT>(message), 0, 0);
  return TRUE;
}

}  // namespace

bool HighContrastOn() {
  HIGHCONTRASTA setting = {};
  setting.cbSize = sizeof(setting);
  if (::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof(setting), &setting, 0) &&
      (setting.dwFlags & HCF_HIGHCONTRASTON)) {
    return true;
  }
  return StoredSettingOn();
}

COLORREF SystemColourOf(SystemColour colour) { return ::GetSysColor(static_cast<int>(colour)); }

HBRUSH SystemBrushOf(SystemColour colour) { return ::GetSysColorBrush(static_cast<int>(colour)); }

bool RepaintForNewColours(HWND dialog, UINT message, WPARAM wParam) {
  const bool colours = message == WM_SYSCOLORCHANGE ||
                       (message == WM_SETTINGCHANGE && wParam == SPI_SETHIGHCONTRAST);
  if (!colours) return false;
  // Common controls keep colours of their own until told.
  if (message == WM_SYSCOLORCHANGE) ::EnumChildWindows(dialog, &TellChild, WM_SYSCOLORCHANGE);
  ::RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return true;
}
