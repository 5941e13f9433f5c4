#pragma once
#include <windows.h>

// High contrast turned on for the tests' Wine prefix, and off again at the end of the scope. Wine
// keeps no high-contrast state of its own, so the setting goes where Windows stores it
// (HKCU\Control Panel\Accessibility\HighContrast "Flags"), and the system colours become a
// scheme whose every colour differs from the design's; programs started later read both.
class HighContrastScheme {
 public:
  HighContrastScheme();
  ~HighContrastScheme();
  HighContrastScheme(const HighContrastScheme&) = delete;
  HighContrastScheme& operator=(const HighContrastScheme&) = delete;

  // Only the stored setting, the colours staying: to turn it off and on while a wizard shows.
  static void Store(bool on);

 private:
  COLORREF m_saved[6];
};
