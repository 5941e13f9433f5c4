#include "setup/engine/upgrade.h"

#include <windows.h>

#include "lib/product/list_difference.h"
#include "lib/win32/installed_list_file.h"
#include "setup/engine/stale_removal.h"

namespace {

// The folder as typed, in the system's ANSI code page, as UTF-16 for the wide calls.
std::wstring WideFolder(const std::string& installDir) {
  const int n = MultiByteToWideChar(CP_ACP, 0, installDir.data(),
                                    static_cast<int>(installDir.size()), nullptr, 0);
  if (n <= 0) return L"";
  std::wstring folder(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, installDir.data(), static_cast<int>(installDir.size()),
                      &folder[0], n);
  return folder;
}

}  // namespace

InstalledList ReadPreviousList(const std::string& installDir) {
  const std::wstring folder = WideFolder(installDir);
  if (folder.empty()) return std::nullopt;
  return ReadInstalledList(folder);
}

bool RemoveStaleFilesAfterUpgrade(const std::string& installDir, const InstalledList& previous) {
  if (!previous) return true;
  const std::wstring folder = WideFolder(installDir);
  const InstalledList current = folder.empty() ? std::nullopt : ReadInstalledList(folder);
  // Without the new list nothing tells the old version's files from the new one's.
  if (!current) return false;
  return RemoveStaleFiles(folder, kelvamo::PlanUpgradeRemoval(*previous, *current));
}
