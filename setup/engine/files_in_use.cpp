#include "setup/engine/files_in_use.h"

#include <windows.h>
#include <restartmanager.h>

namespace {

using StartSession = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
using RegisterResources = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT,
                                         LPCWSTR*);
using GetList = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);
using EndSession = DWORD(WINAPI*)(DWORD);

template <typename Function>
Function Find(HMODULE library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

std::string Ansi(const WCHAR* text) {
  char buffer[CCH_RM_MAX_APP_NAME + 1];
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr);
  return n > 0 ? std::string(buffer) : std::string();
}

}  // namespace

std::vector<std::string> ProgramsHolding(const std::vector<std::wstring>& paths) {
  std::vector<std::string> names;
  // Vista on; loaded by name so that the installer still starts where it is missing.
  HMODULE library = LoadLibraryA("rstrtmgr.dll");
  if (!library || paths.empty()) return names;
  const auto start = Find<StartSession>(library, "RmStartSession");
  const auto reg = Find<RegisterResources>(library, "RmRegisterResources");
  const auto list = Find<GetList>(library, "RmGetList");
  const auto end = Find<EndSession>(library, "RmEndSession");
  DWORD session = 0;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  if (start && reg && list && end && start(&session, 0, key) == ERROR_SUCCESS) {
    std::vector<LPCWSTR> files;
    for (const std::wstring& path : paths) files.push_back(path.c_str());
    RM_PROCESS_INFO found[16];
    UINT needed = 0, count = 16;
    DWORD reasons = 0;
    if (reg(session, static_cast<UINT>(files.size()), files.data(), 0, nullptr, 0, nullptr) ==
            ERROR_SUCCESS &&
        list(session, &needed, &count, found, &reasons) == ERROR_SUCCESS) {
      for (UINT i = 0; i < count && i < 16; ++i) {
        const std::string name = Ansi(found[i].strAppName);
        if (!name.empty()) names.push_back(name);
      }
    }
    end(session);
  }
  FreeLibrary(library);
  return names;
}
