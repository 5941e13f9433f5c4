#pragma once
#include <string>

// Records the product under HKEY_LOCAL_MACHINE: the application key's "Path" and the uninstall
// entry's "DisplayName", "DisplayVersion" and "UninstallString". A key that cannot be opened is
// skipped. The folder must already fit the engine's buffers.
void WriteRegistryRecords(const std::string& installDir);

extern const char kAppKey[];        // "Software\\kelvamo"
extern const char kUninstallKey[];  // "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kelvamo"
