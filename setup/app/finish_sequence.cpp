#include "setup/app/finish_sequence.h"

#include "setup/app/setup_dlg.h"
#include "lib/product/finish_paths.h"
#include "setup/finish/success_page.h"

namespace {

constexpr DWORD kWaitBeforeCloseMs = 1000;

BOOL IsChecked(const CButton& box) { return box.GetCheck() != 0; }

}  // namespace

void RunFinishSequence(CSetupDlg& wizard) {
  wizard.ShowWindow(SW_HIDE);
  // Each box is read just before its own option runs.
  CFinishPage& page = wizard.m_pageFinish;
  page.AddStartupShortcut(IsChecked(page.m_chkStartup));
  page.AddDesktopShortcut(IsChecked(page.m_chkDesktop));
  page.AddStartMenuShortcuts(IsChecked(page.m_chkStartMenu));
  page.RunApplication(IsChecked(page.m_chkRunNow));

  std::string commandLine = kelvamo::SuccessPageCommandLine();
  OpenSuccessPage(&commandLine[0]);
  Sleep(kWaitBeforeCloseMs);
  wizard.SendMessage(WM_CLOSE);
}
