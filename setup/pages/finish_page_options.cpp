// The finish page's options: each runs its finish action for the install directory that the
// page's parent, the wizard, holds.
#include <string>

#include "setup/app/setup_dlg.h"
#include "setup/finish/finish_actions.h"
#include "setup/pages/finish_page.h"

namespace {

// The option's outcome is not reported: each option stands alone and the wizard closes anyway.
void ForInstallDir(const CWnd& page, BOOL flag, bool (*action)(const std::string&)) {
  const auto* wizard = flag ? dynamic_cast<const CSetupDlg*>(page.GetParent()) : nullptr;
  if (wizard) action(wizard->m_pageFolder.m_strInstallDir.GetString());
}

}  // namespace

void CFinishPage::AddStartupShortcut(BOOL bAdd) { ForInstallDir(*this, bAdd, MakeStartupShortcut); }

void CFinishPage::AddDesktopShortcut(BOOL bAdd) { ForInstallDir(*this, bAdd, MakeDesktopShortcut); }

void CFinishPage::AddStartMenuShortcuts(BOOL bAdd) {
  ForInstallDir(*this, bAdd, MakeStartMenuGroup);
}

void CFinishPage::RunApplication(BOOL bRun) {
  ForInstallDir(*this, bRun, StartInstalledApplication);
}
