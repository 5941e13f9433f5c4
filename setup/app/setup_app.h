#pragma once
#include "setup/framework/afx.h"

// The installer program: runs the wizard once, then ends.
class CSetupApp : public CWinApp {
public:
  CSetupApp();
  ~CSetupApp() override;

  bool InitInstance() override;

private:
  // The run from the payload's check to the wizard's close; its exit code (exit_codes.h).
  int Run();
};
