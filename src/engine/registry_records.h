#pragma once
#include <string>

// Records the product under HKEY_LOCAL_MACHINE: the application key's "Path" and the uninstall
// entry's "DisplayName", "DisplayVersion" and "UninstallString". A key that cannot be opened is
// skipped and the other still written. The folder must already fit the engine's buffers. True
// only when every value was written.
bool WriteRegistryRecords(const std::string& installDir);
