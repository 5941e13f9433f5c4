#include "setup/engine/upgrade.h"

#include <windows.h>

#include "lib/product/list_difference.h"
#include "lib/win32/com_scope.h"
#include "lib/win32/listed_removal.h"
#include "lib/win32/product_links.h"
#include "lib/win32/wide_path.h"
#include "setup/engine/message_pump.h"
#include "shared/kelvamo_product.h"

namespace {

struct StaleRemoval {
  const PreviousVersion* previous;
  std::string installDir;
  bool removed;
};

DWORD WINAPI RemoveStale(void* parameter) {
  auto* work = static_cast<StaleRemoval*>(parameter);
  work->removed = work->previous->RemoveStaleFiles(work->installDir);
  return 0;
}

}  // namespace

PreviousVersion::PreviousVersion() = default;
PreviousVersion::~PreviousVersion() = default;

bool PreviousVersion::Read(const std::string& installDir) {
  m_entries.clear();
  m_refused = false;
  m_folder = std::make_unique<ListedFolder>();
  const std::wstring path = WidenAnsi(installDir);
  auto entries = path.empty() || !m_folder->Open(path) ? std::nullopt
                                                        : ReadInstalledList(*m_folder);
  if (!entries) {
    const std::wstring list = path + ListedName(kelvamo::kInstalledListFile);
    m_refused = !path.empty() && GetFileAttributesW(ExtendedPath(list).c_str()) != INVALID_FILE_ATTRIBUTES;
    m_folder.reset();
    return false;
  }
  m_entries = std::move(*entries);
  return true;
}

bool PreviousVersion::RemoveStaleFiles(const std::string& installDir) const {
  if (!m_folder) return true;
  ListedFolder now;
  const std::wstring path = WidenAnsi(installDir);
  // A folder swapped since the old list was read is not the one that list describes.
  if (path.empty() || !now.Open(path) || !now.SameAs(*m_folder)) return false;
  const auto current = ReadInstalledList(now);
  // Without the new list nothing tells the old version's files from the new one's.
  if (!current) return false;
  // A folder that stays is no failure: it holds what is not the product's.
  return RemovePlanned(now, kelvamo::PlanUpgradeRemoval(m_entries, *current)).files.empty();
}

bool PreviousVersion::SameFolderAs(const PreviousVersion& other) const {
  return m_folder && other.m_folder && m_folder->SameAs(*other.m_folder);
}

bool PreviousVersion::RemoveInstallation(const std::string& installDir) const {
  const std::wstring path = WidenAnsi(installDir);
  bool removed = false;
  ListedFolder now;
  // Only in the folder the list was read from, as the uninstaller removes.
  if (m_folder && !path.empty() && now.Open(path) && now.SameAs(*m_folder)) {
    const kelvamo::RemovalPlan plan = kelvamo::PlanRemoval(m_entries);
    // The list and the uninstaller stay while any listed file does, so that it can finish.
    removed = RemovePlanned(now, plan).files.empty() &&
              (!plan.listsUninstaller || now.RemoveFile(ListedName(kelvamo::kUninstallerFile))) &&
              now.RemoveFile(ListedName(kelvamo::kInstalledListFile));
    // A folder that holds the user's files stays.
    if (removed) static_cast<void>(now.RemoveItself());
  }
  // Links that lead into that folder go whatever became of it: the new installation makes its own.
  int links = 0;
  ComScope com;
  return RemoveProductLinks(path, links) && removed;
}

bool PreviousVersion::RemoveStaleFilesAside(const std::string& installDir) const {
  if (!m_folder) return true;
  StaleRemoval work = {this, installDir, false};
  HANDLE thread = CreateThread(nullptr, 0, &RemoveStale, &work, 0, nullptr);
  if (!thread) return RemoveStaleFiles(installDir);
  // A quit message ends the pumping early; the work is waited for all the same, it reads `work`.
  if (!WaitPumping(thread, INFINITE)) WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return work.removed;
}
