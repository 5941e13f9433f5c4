#pragma once
#include <string>

// The finish page's options, carried out for an installation in `installDir` (ends with one
// backslash). Each stands alone: a folder that cannot be resolved or a path that does not fit its
// buffer skips that shortcut, and the other options still run. Each is true when all it made or
// started was made or started; the finish page goes on either way.

// "Kelvamo.lnk" to the application in the start-up folder for this system version.
bool MakeStartupShortcut(const std::string& installDir);
// "Kelvamo.lnk" to the application on the desktop.
bool MakeDesktopShortcut(const std::string& installDir);
// The start-menu group "Kelvamo" (made if missing) with shortcuts to the application and then to
// the uninstaller.
bool MakeStartMenuGroup(const std::string& installDir);
// Starts the installed application for the signed-in user (StartForDesktopUser), without
// waiting for it.
bool StartInstalledApplication(const std::string& installDir);
