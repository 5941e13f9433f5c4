#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Writes one shell link at pszLinkFile that points to pszTarget, with the target's folder as its
// working directory, the description "Shortcut" and show command SW_SHOW. COM must be initialised
// on the calling thread. TRUE only when the link file was saved.
BOOL CreateShortcut(LPCSTR pszTarget, LPCSTR pszLinkFile);

// TRUE exactly when the running system's major version number is 5.
BOOL IsOsVersion5();

// Path of the first of these shell folders (CSIDL numbers) that resolves to a non-empty path,
// without a trailing backslash; nothing when none does. No folder is created.
std::optional<std::string> FindShellFolder(const std::vector<int>& choices);
