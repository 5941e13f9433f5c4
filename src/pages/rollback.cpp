#include "pages/rollback.h"

#include <windows.h>

#include "engine/process_list.h"

namespace {

const char kExtractorExe[] = "UHARC.EXE";
const char kArchiveFile[] = "kelvamo.uha";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kelvamo";
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
  const DWORD pid = FindProcessByName(kExtractorExe);
  if (pid == 0) return;
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!process) return;
  if (TerminateProcess(process, kExtractorExitCode)) {
    WaitForSingleObject(process, kExtractorEndWaitMs);
  }
  CloseHandle(process);
}

void RemovePayloadAndUninstallValues(const std::string& installDir) {
  DeleteFileA((installDir + kArchiveFile).c_str());
  DeleteFileA((installDir + kExtractorExe).c_str());
  for (const char* value : {"DisplayName", "DisplayVersion", "UninstallString"}) {
    DeleteRegistryValue(kUninstallKey, value);
  }
}
