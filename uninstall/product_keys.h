#pragma once
#include <string>

// Removes the product's registry keys under HKEY_LOCAL_MACHINE for the installation in `folder`
// (ends with a backslash): the uninstall entry when its command names this folder's uninstaller,
// and the application key when its "Path" names this folder (only "Path" when the key holds more
// keys of the application's own). Adds the keys or values removed to `removed`; false when a key
// of this installation could not be removed.
bool RemoveProductKeys(const std::wstring& folder, int& removed);
