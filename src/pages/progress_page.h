#pragma once
#include "framework/afx.h"

// Step 3: the progress bar and status line of the installation.
class CProgressPage : public CDialog {
public:
  explicit CProgressPage(CWnd* parent = nullptr);
  ~CProgressPage() override;

  // Starts the installation into the wizard's install directory.
  void StartInstall();

  int m_nTicks = 0;
  CFont m_font;
  CProgressCtrl m_progress;
  CString m_strStatus;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  bool OnInitDialog() override;
};
