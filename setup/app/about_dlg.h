#pragma once
#include "setup/framework/afx.h"

// The About box of the window menu.
class CAboutDlg : public CDialog {
public:
  CAboutDlg();
};
