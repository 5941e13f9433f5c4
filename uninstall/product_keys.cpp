#include "uninstall/product_keys.h"

#include <windows.h>

#include <optional>

#include "shared/kelvamo_product.h"
#include "lib/product/ownership.h"

namespace {

// Key names of the shared header are ASCII.
std::wstring Wide(const char* ascii) { return std::wstring(ascii, ascii + lstrlenA(ascii)); }

// A text value, REG_SZ or REG_EXPAND_SZ (expanded), of any length; nothing when it is missing or
// of another type.
std::optional<std::wstring> ReadText(const std::wstring& key, const wchar_t* name) {
  HKEY handle;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD type = 0, size = 0;
  LONG status = RegQueryValueExW(handle, name, nullptr, &type, nullptr, &size);
  std::wstring text;
  // One character more than the data stays zero; a value that grew meanwhile is read again.
  for (int attempt = 0; attempt < 3 && (status == ERROR_SUCCESS || status == ERROR_MORE_DATA);
       ++attempt) {
    text.assign(size / sizeof(wchar_t) + 2, L'\0');
    size = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
    status = RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(&text[0]), &size);
    if (status == ERROR_SUCCESS) break;
  }
  RegCloseKey(handle);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
  text.resize(lstrlenW(text.c_str()));
  if (type == REG_SZ) return text;
  const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  std::wstring expanded(needed, L'\0');
  if (needed == 0 || ExpandEnvironmentStringsW(text.c_str(), &expanded[0], needed) != needed) {
    return std::nullopt;
  }
  expanded.resize(needed - 1);
  return expanded;
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

// The uninstall entry belongs to this installation only when its command names this uninstaller.
bool EntryIsOurs(const std::wstring& key, const std::wstring& folder) {
  const auto command = ReadText(key, L"UninstallString");
  return command && kelvamo::CommandStarts(*command, folder + Wide(kelvamo::kUninstallCommandFile));
}

}  // namespace

bool RemoveProductKeys(const std::wstring& folder, int& removed) {
  bool all = true;
  const std::wstring entry = Wide(kelvamo::kUninstallKey);
  if (KeyExists(entry) && EntryIsOurs(entry, folder)) {
    all = RegDeleteKeyW(HKEY_LOCAL_MACHINE, entry.c_str()) == ERROR_SUCCESS;
    removed += all ? 1 : 0;
  }
  const std::wstring app = Wide(kelvamo::kAppKey);
  if (KeyExists(app) && SameText(ReadText(app, L"Path").value_or(L""), folder)) {
    const bool gone = RegDeleteKeyW(HKEY_LOCAL_MACHINE, app.c_str()) == ERROR_SUCCESS ||
                      DeleteValue(app, L"Path");
    removed += gone ? 1 : 0;
    all = gone && all;
  }
  return all;
}
