#include "lib/win32/process_list.h"

#include <tlhelp32.h>

#include <vector>

namespace {

// Available from Windows Vista on; older systems read the process's first module instead.
constexpr DWORD kQueryLimitedInformation = 0x1000;
using QueryImageName = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

// Ids of the listed processes whose executable file name equals `name`, case ignored.
std::vector<DWORD> ProcessesNamed(const char* name, bool firstOnly) {
  std::vector<DWORD> found;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, name) != 0) continue;
    found.push_back(entry.th32ProcessID);
    if (firstOnly) break;
  }
  CloseHandle(snapshot);
  return found;
}

std::string ImagePathOf(DWORD pid) {
  char path[MAX_PATH] = {};
  const auto query = reinterpret_cast<QueryImageName>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "QueryFullProcessImageNameA")));
  HANDLE process = query ? OpenProcess(kQueryLimitedInformation, FALSE, pid) : nullptr;
  if (process) {
    DWORD size = sizeof(path);
    const bool named = query(process, 0, path, &size);
    CloseHandle(process);
    if (named) return path;
  }
  HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (modules == INVALID_HANDLE_VALUE) return "";
  MODULEENTRY32 module;
  module.dwSize = sizeof(module);
  const bool listed = Module32First(modules, &module);
  CloseHandle(modules);
  return listed ? module.szExePath : "";
}

// The volume and index of a file: the same for every path that names it.
bool IdentityOf(const std::string& path, BY_HANDLE_FILE_INFORMATION* identity) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, identity);
  CloseHandle(file);
  return known;
}

}  // namespace

DWORD FindProcessByName(const char* name) {
  const std::vector<DWORD> found = ProcessesNamed(name, true);
  return found.empty() ? 0 : found.front();
}

bool IsRunningFrom(const std::string& folder, const char* name) {
  BY_HANDLE_FILE_INFORMATION target;
  if (!IdentityOf(folder + name, &target)) return false;
  for (DWORD pid : ProcessesNamed(name, false)) {
    BY_HANDLE_FILE_INFORMATION running;
    if (IdentityOf(ImagePathOf(pid), &running) &&
        running.dwVolumeSerialNumber == target.dwVolumeSerialNumber &&
        running.nFileIndexHigh == target.nFileIndexHigh &&
        running.nFileIndexLow == target.nFileIndexLow) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> ProgramsRunningIn(const std::string& folder) {
  std::vector<std::string> names;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return names;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    const std::string path = ImagePathOf(entry.th32ProcessID);
    if (path.size() <= folder.size() ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(),
                       static_cast<int>(folder.size()), folder.c_str(),
                       static_cast<int>(folder.size())) != CSTR_EQUAL) {
      continue;
    }
    bool named = false;
    for (const std::string& name : names) named = named || lstrcmpiA(name.c_str(), entry.szExeFile) == 0;
    if (!named) names.push_back(entry.szExeFile);
  }
  CloseHandle(snapshot);
  return names;
}
