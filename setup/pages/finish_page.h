#pragma once
#include "setup/framework/afx.h"
#include "setup/ui/dialog_accessibility.h"
#include "setup/ui/dialog_colours.h"
#include "setup/ui/dpi_layout.h"

// Step 4: the four finish options, all checked when the page is made.
class CFinishPage : public CDialog {
public:
  explicit CFinishPage(CWnd* parent = nullptr);
  ~CFinishPage() override;

  // The options, for the wizard's install directory; each does nothing when its flag is FALSE.
  void AddStartupShortcut(BOOL bAdd);
  void AddDesktopShortcut(BOOL bAdd);
  void AddStartMenuShortcuts(BOOL bAdd);
  void RunApplication(BOOL bRun);

  CDialogColours m_colours;  // white brush and fonts of this page
  CDpiLayout m_layout;       // where its controls sit at the DPI of its window
  CDialogAccessibility m_accessibility;  // what screen readers are told of its controls
  CButton m_chkRunNow;
  CButton m_chkDesktop;
  CButton m_chkStartup;
  CButton m_chkStartMenu;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  bool OnInitDialog() override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);

  BEGIN_MSG_MAP(CFinishPage, CDialog)
    ON_WM_CTLCOLOR()
  END_MSG_MAP()
};
