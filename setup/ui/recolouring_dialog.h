#pragma once
#include "setup/framework/afx.h"
#include "setup/ui/high_contrast.h"

// A top-level dialog that its controls and paint follow when the system's colours or the contrast
// setting change while it shows. The wizard and the exit question derive from it.
class CRecolouringDialog : public CDialog {
public:
  using CDialog::CDialog;

protected:
  LRESULT OnSysColorChange(WPARAM wParam, LPARAM) {
    RepaintForNewColours(m_hWnd, WM_SYSCOLORCHANGE, wParam);
    return Default();
  }
  LRESULT OnSettingChange(WPARAM wParam, LPARAM) {
    RepaintForNewColours(m_hWnd, WM_SETTINGCHANGE, wParam);
    return Default();
  }

  BEGIN_MSG_MAP(CRecolouringDialog, CDialog)
    ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
    ON_MESSAGE(WM_SETTINGCHANGE, OnSettingChange)
  END_MSG_MAP()
};
