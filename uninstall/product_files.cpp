#include "uninstall/product_files.h"

#include <windows.h>

#include "lib/win32/listed_removal.h"
#include "lib/win32/wide_path.h"
#include "lib/product/ownership.h"

std::wstring ListedPath(const std::wstring& folder, const std::string& name) {
  const std::wstring wide = ListedName(name);
  return wide.empty() ? L"" : folder + wide;
}

std::vector<KeptFolder> KeptFolders(const std::vector<std::wstring>& candidates,
                                    const std::vector<std::wstring>& failedFiles) {
  std::vector<KeptFolder> kept;
  for (const std::wstring& folder : candidates) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(ExtendedPath(folder + L"\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) continue;
    bool holdsOther = false;
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = folder + L'\\' + name;
      bool keptFolder = false;
      for (const std::wstring& other : candidates) {
        keptFolder = keptFolder || kelvamo::SamePathText(other, child);
      }
      holdsOther = holdsOther || !keptFolder;
    } while (!holdsOther && FindNextFileW(search, &entry));
    FindClose(search);
    if (!holdsOther) continue;
    bool failed = false;
    for (const std::wstring& file : failedFiles) {
      failed = failed || kelvamo::SamePathText(file.substr(0, file.rfind(L'\\')), folder);
    }
    kept.push_back({folder, failed});
  }
  return kept;
}
