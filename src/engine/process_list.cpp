#include "engine/process_list.h"

#include <tlhelp32.h>

std::vector<DWORD> FindProcessesByName(const char* name) {
  std::vector<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, name) == 0) found.push_back(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  return found;
}

DWORD FindProcessByName(const char* name) {
  const std::vector<DWORD> found = FindProcessesByName(name);
  return found.empty() ? 0 : found.front();
}
