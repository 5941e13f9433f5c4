#include "setup/engine/upgrade.h"

#include <windows.h>

#include "lib/win32/com_scope.h"
#include "lib/win32/listed_removal.h"
#include "lib/win32/product_links.h"
#include "lib/win32/wide_path.h"
#include "shared/kelvamo_product.h"

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

std::optional<std::vector<kelvamo::ListedEntry>> PreviousVersion::Entries() const {
  if (!m_folder) return std::nullopt;
  return m_entries;
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
              now.RemoveFile(ListedName(kelvamo::kInstalledListFile)) &&
              now.RemoveFile(ListedName(kelvamo::kSetupLogFile));
    // A folder that holds the user's files stays.
    if (removed) static_cast<void>(now.RemoveItself());
  }
  // Links that lead into that folder go whatever became of it: the new installation makes its own.
  int links = 0;
  ComScope com;
  return RemoveProductLinks(path, links) && removed;
}
