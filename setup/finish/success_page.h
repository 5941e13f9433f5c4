#pragma once
#include <windows.h>

// Where the success page is opened: the browser's fixed path, not the default browser.
constexpr char kBrowserProgram[] = "C:\\Program Files\\Internet Explorer\\iexplore.exe";

// Starts the browser with the given command line for the signed-in user (StartForDesktopUser),
// without waiting for it. TRUE when the process was created.
BOOL OpenSuccessPage(LPSTR pszCmdLine);
