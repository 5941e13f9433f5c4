#include "setup/engine/upgrade.h"

#include <windows.h>

#include "lib/product/list_difference.h"
#include "lib/win32/listed_removal.h"
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
  const kelvamo::RemovalPlan plan = kelvamo::PlanUpgradeRemoval(m_entries, *current);
  bool removed = true;
  for (const std::string& name : plan.files) {
    removed = now.RemoveFile(ListedName(name)) && removed;
  }
  // A folder that stays is no failure: it holds what is not the product's.
  for (const std::string& name : plan.folders) static_cast<void>(now.RemoveFolder(ListedName(name)));
  return removed;
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
