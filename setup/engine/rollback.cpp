#include "setup/engine/rollback.h"

#include <windows.h>

#include "lib/win32/listed_removal.h"
#include "lib/win32/process_handle.h"
#include "lib/win32/wide_path.h"
#include "lib/win32/process_list.h"
#include "setup/engine/extractor_run.h"
#include "setup/engine/install_paths.h"
#include "setup/engine/registry_records.h"
#include "shared/kelvamo_product.h"
#include "shared/uharc_console.h"

using kelvamo::kArchiveName;
using kelvamo::kExtractorName;
using kelvamo::kUninstallKey;

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
  const ProcessHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
  return process.TerminateAndWait(uharc::kExitTerminated, kExtractorStopWaitMs);
}

bool DeletePayloadFiles(const std::string& installDir) {
  // As names inside the folder: a link planted under either name is never followed.
  ListedFolder folder;
  if (!folder.Open(WidenAnsi(installDir))) {
    return GetFileAttributesA(installDir.c_str()) == INVALID_FILE_ATTRIBUTES;
  }
  const bool archive = folder.RemoveFile(WidenAnsi(kArchiveName));
  return folder.RemoveFile(WidenAnsi(kExtractorName)) && archive;
}

bool RemovePayloadAndUninstallValues(const std::string& installDir) {
  bool removed = DeletePayloadFiles(installDir);
  for (std::size_t i = 0; i < kUninstallEntryValueCount; ++i) {
    removed = DeleteRegistryValue(kUninstallKey, kUninstallEntryValues[i]) && removed;
  }
  return removed;
}
