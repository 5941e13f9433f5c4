#include "uninstall/product_keys.h"

#include <windows.h>

#include "shared/kelvamo_product.h"

namespace {

// Key names of the shared header are ASCII.
std::wstring Wide(const char* ascii) { return std::wstring(ascii, ascii + lstrlenA(ascii)); }

// A REG_SZ value; nothing read gives an empty text.
std::wstring ReadString(const std::wstring& key, const wchar_t* name) {
  HKEY handle;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
    return L"";
  }
  wchar_t text[1024] = L"";
  DWORD size = sizeof(text) - sizeof(wchar_t), type = 0;  // one NUL stays after the data
  const bool read = RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(text),
                                     &size) == ERROR_SUCCESS && type == REG_SZ;
  RegCloseKey(handle);
  return read ? text : L"";
}

bool DeleteValue(const std::wstring& key, const wchar_t* name) {
  HKEY handle;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) {
    return false;
  }
  const bool deleted = RegDeleteValueW(handle, name) == ERROR_SUCCESS;
  RegCloseKey(handle);
  return deleted;
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                        b.c_str(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool KeyExists(const std::wstring& key) {
  HKEY handle;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

// The uninstall entry belongs to this installation unless its command names another uninstaller.
bool EntryIsOurs(const std::wstring& key, const std::wstring& folder) {
  std::wstring command = ReadString(key, L"UninstallString");
  if (command.size() >= 2 && command.front() == L'"' && command.back() == L'"') {
    command = command.substr(1, command.size() - 2);
  }
  return command.empty() || SameText(command, folder + Wide(kelvamo::kUninstallCommandFile));
}

}  // namespace

bool RemoveProductKeys(const std::wstring& folder) {
  bool removed = true;
  const std::wstring entry = Wide(kelvamo::kUninstallKey);
  if (KeyExists(entry) && EntryIsOurs(entry, folder)) {
    removed = RegDeleteKeyW(HKEY_LOCAL_MACHINE, entry.c_str()) == ERROR_SUCCESS;
  }
  const std::wstring app = Wide(kelvamo::kAppKey);
  if (KeyExists(app) && SameText(ReadString(app, L"Path"), folder)) {
    const bool keyGone = RegDeleteKeyW(HKEY_LOCAL_MACHINE, app.c_str()) == ERROR_SUCCESS;
    removed = (keyGone || DeleteValue(app, L"Path")) && removed;
  }
  return removed;
}
