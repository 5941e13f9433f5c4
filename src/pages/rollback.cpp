#include "pages/rollback.h"

#include <windows.h>

#include "engine/install_paths.h"
#include "engine/process_list.h"
#include "engine/registry_records.h"

using kelvamo::kArchiveName;
using kelvamo::kExtractorName;

namespace {

const DWORD kExtractorExitCode = 4;
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

void StopExtractor() {
  const DWORD pid = FindProcessByName(kExtractorName);
  if (pid == 0) return;
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!process) return;
  if (TerminateProcess(process, kExtractorExitCode)) {
    WaitForSingleObject(process, kExtractorEndWaitMs);
  }
  CloseHandle(process);
}

void RemovePayloadAndUninstallValues(const std::string& installDir) {
  DeleteFileA((installDir + kArchiveName).c_str());
  DeleteFileA((installDir + kExtractorName).c_str());
  for (const char* value : {"DisplayName", "DisplayVersion", "UninstallString"}) {
    DeleteRegistryValue(kUninstallKey, value);
  }
}
