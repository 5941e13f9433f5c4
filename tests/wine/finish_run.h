#pragma once
// A whole run of setup.exe, driven from outside: welcome, folder, installation, finish options,
// 完成(F).
#include <functional>
#include <string>

#include "tests/wine/wizard_driver.h"

struct FinishOptions {
  bool startMenu, startup, desktop, runNow;
};
constexpr FinishOptions kAllChecked = {true, true, true, true};
constexpr FinishOptions kAllCleared = {false, false, false, false};

// Installs with `exe` into `folder` (the default folder when empty), sets the options and presses
// 完成(F). Gives the milliseconds from the press to the end of the program, or -1 when it did not
// end by itself (as when a question waits for an answer). `atFolderPage`, when given, looks at the
// wizard on the folder page before the folder is typed.
long FinishWith(const FinishOptions& options, const std::string& folder = "",
                const std::wstring& exe = WizardDriver::SetupExePath(),
                const std::function<void(const WizardDriver&)>& atFolderPage = nullptr);
