#include "setup/finish/shortcut.h"

#include <shlobj.h>

#include "lib/product/finish_paths.h"
#include "setup/framework/ansi_lead_byte.h"

static_assert(kelvamo::kFolderDesktop == CSIDL_DESKTOP);
static_assert(kelvamo::kFolderUserStartup == CSIDL_STARTUP);
static_assert(kelvamo::kFolderCommonStartMenu == CSIDL_COMMON_STARTMENU);
static_assert(kelvamo::kFolderCommonStartup == CSIDL_COMMON_STARTUP);
static_assert(kelvamo::kFolderAltStartup == CSIDL_ALTSTARTUP);

BOOL CreateShortcut(LPCSTR pszTarget, LPCSTR pszLinkFile) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return FALSE;
  }
  link->SetPath(pszTarget);
  link->SetWorkingDirectory(kelvamo::WorkingDirectoryOf(pszTarget, kelvamo::IsAnsiLeadByte).c_str());
  link->SetDescription("Shortcut");
  link->SetShowCmd(SW_SHOW);

  BOOL saved = FALSE;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR widePath[MAX_PATH];
    // A link path longer than the buffer fails the conversion, and no file is written.
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pszLinkFile, -1, widePath, MAX_PATH) != 0) {
      saved = SUCCEEDED(file->Save(widePath, TRUE));
    }
    file->Release();
  }
  link->Release();
  return saved;
}

BOOL IsOsVersion5() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  GetVersionExA(&version);
  return version.dwMajorVersion == 5;
}

std::optional<std::string> FindShellFolder(const std::vector<int>& choices) {
  for (int folder : choices) {
    char path[MAX_PATH] = "";
    if (SHGetSpecialFolderPathA(nullptr, path, folder, FALSE) && path[0] != '\0') return path;
  }
  return std::nullopt;
}
