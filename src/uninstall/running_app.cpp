#include "uninstall/running_app.h"

#include <windows.h>
#include <tlhelp32.h>

#include "engine/process_list.h"
#include "kelvamo_product.h"
#include "uninstall/product_links.h"

namespace {

// The program file of a process: the first module of its module list.
std::wstring ProgramPath(DWORD pid) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return L"";
  MODULEENTRY32W module;
  module.dwSize = sizeof(module);
  std::wstring path;
  if (Module32FirstW(snapshot, &module)) path = module.szExePath;
  CloseHandle(snapshot);
  return path;
}

}  // namespace

bool IsApplicationRunningFrom(const std::wstring& folder) {
  for (DWORD pid : FindProcessesByName(kelvamo::kApplicationFile)) {
    const std::wstring path = ProgramPath(pid);
    if (path.empty() || LiesIn(path, folder)) return true;
  }
  return false;
}
