#pragma once
#include "setup/framework/afx.h"

// The installer program: runs the wizard once, then ends.
class CSetupApp : public CWinApp {
public:
  CSetupApp();
  ~CSetupApp() override;

  bool InitInstance() override;
};
