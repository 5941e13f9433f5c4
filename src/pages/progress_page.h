#pragma once
#include "framework/afx.h"
#include "ui/dialog_colours.h"

// Step 3: the progress bar and status line of the installation.
class CProgressPage : public CDialog {
public:
  explicit CProgressPage(CWnd* parent = nullptr);
  ~CProgressPage() override;

  // Starts the installation into the wizard's install directory.
  void StartInstall();

  int m_nTicks = 0;
  CDialogColours m_colours;  // white brush and fonts of this page
  CProgressCtrl m_progress;
  CString m_strStatus;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  bool OnInitDialog() override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);

  BEGIN_MSG_MAP(CProgressPage, CDialog)
    ON_WM_CTLCOLOR()
  END_MSG_MAP()
};
