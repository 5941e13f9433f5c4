#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "shared/payload_facts.h"

// The named values of the uninstall entry, in the order they are written; the rollback deletes
// every one of them again.
extern const char* const kUninstallEntryValues[];
extern const std::size_t kUninstallEntryValueCount;

// Records the product under HKEY_LOCAL_MACHINE: the application key's "Path" and the uninstall
// entry, whose values let the system list the product in full; "DisplayVersion" is `version`, the
// release setup.exe carries. "EstimatedSize" (KiB of the installed files) comes from the payload
// facts and is written only when they are known. A key that cannot be opened is skipped and the
// other still written. The folder must already fit the engine's buffers. True only when every
// value was written.
bool WriteRegistryRecords(const std::string& installDir, const std::string& version,
                          const std::optional<kelvamo::PayloadFacts>& facts);

// The installation the uninstall entry registers, as setup.exe finds it when it starts.
struct RegisteredInstallation {
  std::optional<std::string> version;  // "DisplayVersion"
  std::string folder;  // "InstallLocation", else the application key's "Path"; empty when neither
};
// Nothing when no uninstall entry is registered, or it names no uninstaller.
std::optional<RegisteredInstallation> ReadRegisteredInstallation();
