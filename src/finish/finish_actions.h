#pragma once
#include <string>

// The finish page's options, carried out for an installation in `installDir` (ends with one
// backslash). Each stands alone and fails silently: a folder that cannot be resolved or a path
// that does not fit its buffer skips that shortcut, and the other options still run.

// "Kelvamo.lnk" to the application in the start-up folder for this system version.
void MakeStartupShortcut(const std::string& installDir);
// "Kelvamo.lnk" to the application on the desktop.
void MakeDesktopShortcut(const std::string& installDir);
// The start-menu group "Kelvamo" (made if missing) with shortcuts to the application and then to
// the uninstaller.
void MakeStartMenuGroup(const std::string& installDir);
// Starts the installed application without waiting for it.
void StartInstalledApplication(const std::string& installDir);
