#pragma once
#include "framework/afx.h"

// The About box of the window menu.
class CAboutDlg : public CDialog {
public:
  CAboutDlg();
};
