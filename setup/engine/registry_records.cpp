#include "setup/engine/registry_records.h"

#include <windows.h>

#include <iterator>
#include <utility>
#include <vector>

#include "setup/engine/install_paths.h"
#include "shared/kelvamo_product.h"

const char* const kUninstallEntryValues[] = {
    "DisplayName", "DisplayVersion", "UninstallString", "QuietUninstallString",
    "InstallLocation", "DisplayIcon", "Publisher", "URLInfoAbout", "EstimatedSize", "NoModify",
    "NoRepair"};
const std::size_t kUninstallEntryValueCount = std::size(kUninstallEntryValues);

namespace {

// Creates the key if absent, then opens it for writing; nullptr when it cannot be opened.
HKEY CreateAndOpen(const char* name) {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, name, &key) == ERROR_SUCCESS) RegCloseKey(key);
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, name, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

// A REG_SZ value with its terminating NUL counted in the length.
bool SetString(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool SetNumber(HKEY key, const char* name, DWORD number) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                        sizeof(number)) == ERROR_SUCCESS;
}

using Values = std::vector<std::pair<const char*, std::string>>;
using Numbers = std::vector<std::pair<const char*, DWORD>>;

// Writes the values in order, each one even after another failed; false when the key could not be
// opened or a value was not written.
bool WriteValues(const char* keyName, const Values& values, const Numbers& numbers = {}) {
  HKEY key = CreateAndOpen(keyName);
  if (!key) return false;
  bool all = true;
  for (const auto& [name, text] : values) all = SetString(key, name, text) && all;
  for (const auto& [name, number] : numbers) all = SetNumber(key, name, number) && all;
  RegCloseKey(key);
  return all;
}

// A REG_SZ value, read whole; nothing when the key or the value is missing or of another type.
std::optional<std::string> ReadString(const char* keyName, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0, size = 0;
  std::optional<std::string> text;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_SZ) {
    std::string bytes(size + 1, '\0');  // a value stored without its NUL still ends in one
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ) {
      text = bytes.c_str();
    }
  }
  RegCloseKey(key);
  return text;
}

// KiB of the unpacked tree and the expanded libraries, rounded up; at most what a DWORD holds.
DWORD EstimatedKiB(const kelvamo::PayloadFacts& facts) {
  const std::uint64_t rest = facts.unpacked_bytes % 1024 + facts.expanded_bytes % 1024;
  const std::uint64_t kib =
      facts.unpacked_bytes / 1024 + facts.expanded_bytes / 1024 + (rest + 1023) / 1024;
  return kib > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(kib);
}

bool KeyExists(const char* keyName) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// A string or number value as stored; nothing when it is missing, of another type or too long.
std::optional<kelvamo::PriorValue> ReadRaw(const char* keyName, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  BYTE data[4096];
  DWORD type = 0, size = sizeof(data);
  const LONG read = RegQueryValueExA(key, name, nullptr, &type, data, &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_DWORD)) return std::nullopt;
  kelvamo::PriorValue value;
  value.name = name;
  value.type = type;
  value.bytes.assign(reinterpret_cast<const char*>(data), size);
  return value;
}

bool WriteRaw(const char* keyName, const kelvamo::PriorValue& value) {
  HKEY key = CreateAndOpen(keyName);
  if (!key) return false;
  const bool written =
      RegSetValueExA(key, value.name.c_str(), 0, value.type,
                     reinterpret_cast<const BYTE*>(value.bytes.data()),
                     static_cast<DWORD>(value.bytes.size())) == ERROR_SUCCESS;
  RegCloseKey(key);
  return written;
}

// Deletes the value; true when it is gone or was never there.
bool DeleteValue(const char* keyName, const char* name) {
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_SET_VALUE, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  const LONG deleted = RegDeleteValueA(key, name);
  RegCloseKey(key);
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

// Deletes the key when nothing is left in it; true when it is gone or holds something else.
bool DeleteKeyIfEmpty(const char* keyName) {
  const LONG deleted = RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyName);
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND || KeyExists(keyName);
}

// The uninstall entry of an installation of `version` in `installDir`.
bool WriteUninstallEntry(const std::string& installDir, const std::string& version,
                         std::optional<DWORD> estimatedKiB) {
  Values entry = {{"DisplayName", kelvamo::kProductName}, {"DisplayVersion", version}};
  const auto uninstall = kelvamo::BuildUninstallString(installDir);
  if (uninstall) {
    entry.emplace_back("UninstallString", *uninstall);
    entry.emplace_back("QuietUninstallString", *uninstall + " /S");
  }
  entry.emplace_back("InstallLocation", installDir);
  entry.emplace_back("DisplayIcon", installDir + kelvamo::kApplicationFile);
  entry.emplace_back("Publisher", kelvamo::kPublisher);
  entry.emplace_back("URLInfoAbout", std::string("http://") + kelvamo::kProductHost + "/");
  Numbers numbers = {{"NoModify", 1}, {"NoRepair", 1}};
  if (estimatedKiB) numbers.emplace_back("EstimatedSize", *estimatedKiB);
  return WriteValues(kelvamo::kUninstallKey, entry, numbers) && uninstall.has_value();
}

}  // namespace

bool WriteRegistryRecords(const std::string& installDir, const std::string& version,
                          const std::optional<kelvamo::PayloadFacts>& facts) {
  const bool app = WriteValues(kelvamo::kAppKey, {{"Path", installDir}});
  std::optional<DWORD> estimate;
  if (facts) estimate = EstimatedKiB(*facts);
  return WriteUninstallEntry(installDir, version, estimate) && app;
}

void ReadPriorRecords(kelvamo::InstallJournal& journal) {
  journal.appKeyExisted = KeyExists(kelvamo::kAppKey);
  journal.uninstallKeyExisted = KeyExists(kelvamo::kUninstallKey);
  journal.priorValues.clear();
  auto read = [&](bool inAppKey, const char* name) {
    if (auto value = ReadRaw(inAppKey ? kelvamo::kAppKey : kelvamo::kUninstallKey, name)) {
      value->inAppKey = inAppKey;
      journal.priorValues.push_back(std::move(*value));
    }
  };
  read(true, "Path");
  for (std::size_t i = 0; i < kUninstallEntryValueCount; ++i) read(false, kUninstallEntryValues[i]);
}

bool RestorePriorRecords(const kelvamo::InstallJournal& journal) {
  bool restored = DeleteValue(kelvamo::kAppKey, "Path");
  for (std::size_t i = 0; i < kUninstallEntryValueCount; ++i) {
    restored = DeleteValue(kelvamo::kUninstallKey, kUninstallEntryValues[i]) && restored;
  }
  for (const kelvamo::PriorValue& prior : journal.priorValues) {
    restored = WriteRaw(prior.inAppKey ? kelvamo::kAppKey : kelvamo::kUninstallKey, prior) &&
               restored;
  }
  if (!journal.appKeyExisted) restored = DeleteKeyIfEmpty(kelvamo::kAppKey) && restored;
  if (!journal.uninstallKeyExisted) restored = DeleteKeyIfEmpty(kelvamo::kUninstallKey) && restored;
  return restored;
}

std::optional<RegisteredInstallation> ReadRegisteredInstallation() {
  // Without its command the entry lists nothing: a cancelled installation leaves it so.
  if (!ReadString(kelvamo::kUninstallKey, "UninstallString")) return std::nullopt;
  RegisteredInstallation installed;
  installed.version = ReadString(kelvamo::kUninstallKey, "DisplayVersion");
  installed.folder = ReadString(kelvamo::kUninstallKey, "InstallLocation")
                         .value_or(ReadString(kelvamo::kAppKey, "Path").value_or(""));
  return installed;
}

std::vector<std::string> RecordedFolders() {
  std::vector<std::string> folders;
  for (auto folder : {ReadString(kelvamo::kUninstallKey, "InstallLocation"),
                      ReadString(kelvamo::kAppKey, "Path")}) {
    if (!folder || folder->empty()) continue;
    if (folders.empty() || !kelvamo::FoldersNest(folders[0], *folder) ||
        !kelvamo::FoldersNest(*folder, folders[0])) {
      folders.push_back(*folder);
    }
  }
  return folders;
}

bool WriteJournalPointer(const JournalPointer& pointer) {
  return WriteValues(kJournalPointerKey,
                     {{"Folder", pointer.folder}, {"Made", pointer.outermostMade}});
}

std::optional<JournalPointer> ReadJournalPointer() {
  auto folder = ReadString(kJournalPointerKey, "Folder");
  if (!folder || folder->empty()) return std::nullopt;
  return JournalPointer{*folder, ReadString(kJournalPointerKey, "Made").value_or("")};
}

bool DeleteJournalPointer() {
  const LONG deleted = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kJournalPointerKey);
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}
