#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lib/product/install_journal.h"
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

// The records as they stand before an installation changes them, kept in its journal.
void ReadPriorRecords(kelvamo::InstallJournal& journal);
// Puts the records back as the journal found them: the entry written again as it was, values and
// keys that were not there removed. True when every one is as it was.
bool RestorePriorRecords(const kelvamo::InstallJournal& journal);

// Where an installation in progress keeps its journal: written before anything else, so that the
// next start finds a run cut off at any point, even before the product's own records name its
// folder; removed with the journal. Under HKEY_LOCAL_MACHINE.
constexpr char kJournalPointerKey[] = "Software\\Kelvamo Setup";
struct JournalPointer {
  std::string folder;         // the install folder
  std::string outermostMade;  // the first folder on the way that the run made; empty if none
};
bool WriteJournalPointer(const JournalPointer& pointer);
std::optional<JournalPointer> ReadJournalPointer();
bool DeleteJournalPointer();

// The installation the uninstall entry registers, as setup.exe finds it when it starts.
struct RegisteredInstallation {
  std::optional<std::string> version;  // "DisplayVersion"
  std::string folder;  // "InstallLocation", else the application key's "Path"; empty when neither
};
// Nothing when no uninstall entry is registered, or it names no uninstaller.
std::optional<RegisteredInstallation> ReadRegisteredInstallation();
// The folders the records name, whether or not an entry registers them: where an installation cut
// off after writing them has left its journal.
std::vector<std::string> RecordedFolders();
