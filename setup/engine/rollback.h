#pragma once
#include <string>

// What "是(Y)" of the exit question undoes of an installation in progress.

// Deletes one value of a key under HKEY_LOCAL_MACHINE; false when the key cannot be opened or the
// value cannot be deleted.
bool DeleteRegistryValue(const char* keyPath, const char* valueName);

// Terminates the first running extractor, if any, and waits a few seconds at most for it to end,
// so it no longer holds the payload files. False when one runs that could not be terminated.
bool StopExtractor();

// Deletes the two payload files from the install folder (which ends with a backslash) as names,
// never through a link; false when either could not be deleted, the other is still tried.
bool DeletePayloadFiles(const std::string& installDir);

// Deletes the payload files and every named value of the uninstall entry. Each is tried even after
// another failed; false when any was not removed.
bool RemovePayloadAndUninstallValues(const std::string& installDir);
