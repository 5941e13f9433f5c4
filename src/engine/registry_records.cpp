#include "engine/registry_records.h"

#include <windows.h>

#include "app/product.h"
#include "engine/install_paths.h"

const char kAppKey[] = "Software\\kelvamo";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kelvamo";

namespace {

// Creates the key if absent, then opens it for writing; nullptr when it cannot be opened.
HKEY CreateAndOpen(const char* name) {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_LOCAL_MACHINE, name, &key) == ERROR_SUCCESS) RegCloseKey(key);
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, name, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

// A REG_SZ value with its terminating NUL counted in the length.
void SetString(HKEY key, const char* name, const std::string& text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

}  // namespace

void WriteRegistryRecords(const std::string& installDir) {
  if (HKEY key = CreateAndOpen(kAppKey)) {
    SetString(key, "Path", installDir);
    RegCloseKey(key);
  }
  if (HKEY key = CreateAndOpen(kUninstallKey)) {
    SetString(key, "DisplayName", kelvamo::kProductName);
    SetString(key, "DisplayVersion", kelvamo::kProductVersion);
    std::string uninstall;
    if (kelvamo::BuildUninstallString(installDir, &uninstall)) {
      SetString(key, "UninstallString", uninstall);
    }
    RegCloseKey(key);
  }
}
