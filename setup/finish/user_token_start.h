#pragma once
#include <functional>

// Starts `commandLine` (ANSI, with `application` or null as CreateProcess takes them) with a copy
// of the desktop shell's token: the program runs as the signed-in user, not as the elevated
// installer. Same command line, current folder (the installer's) and window (shown) as the
// installer's own starts. False when there is no shell window, a step is refused, or the
// system has no CreateProcessWithTokenW (before Vista).
bool StartWithShellToken(const char* application, const char* commandLine);

// StartWithShellToken where kelvamo::StartForUser says so, else `startAsInstaller`, the start the
// installer makes itself. True when the program started.
bool StartForDesktopUser(const char* application, const char* commandLine,
                         const std::function<bool()>& startAsInstaller);
