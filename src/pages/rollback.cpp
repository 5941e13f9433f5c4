#include "pages/rollback.h"

#include <windows.h>

#include "engine/install_paths.h"
#include "engine/process_list.h"
#include "engine/registry_records.h"
#include "kelvamo_product.h"
#include "uharc_console.h"

using kelvamo::kArchiveName;
using kelvamo::kExtractorName;
using kelvamo::kUninstallKey;

namespace {

const DWORD kExtractorEndWaitMs = 5000;

}  // namespace

bool DeleteRegistryValue(const char* keyPath, const char* valueName) {
  HKEY key = nullptr;
  const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_ENUMERATE_SUB_KEYS;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, access, &key) != ERROR_SUCCESS) return false;
  const bool deleted = RegDeleteValueA(key, valueName) == ERROR_SUCCESS;
  RegCloseKey(key);
  return deleted;
}

bool StopExtractor() {
  const DWORD pid = FindProcessByName(kExtractorName);
  if (pid == 0) return true;
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!process) return false;
  const bool terminated = TerminateProcess(process, uharc::kExitTerminated);
  if (terminated) WaitForSingleObject(process, kExtractorEndWaitMs);
  CloseHandle(process);
  return terminated;
}

bool DeletePayloadFiles(const std::string& installDir) {
  const bool archive = DeleteFileA((installDir + kArchiveName).c_str());
  return DeleteFileA((installDir + kExtractorName).c_str()) && archive;
}

bool RemovePayloadAndUninstallValues(const std::string& installDir) {
  bool removed = DeletePayloadFiles(installDir);
  for (std::size_t i = 0; i < kUninstallEntryValueCount; ++i) {
    removed = DeleteRegistryValue(kUninstallKey, kUninstallEntryValues[i]) && removed;
  }
  return removed;
}
