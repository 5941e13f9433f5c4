#include "app/setup_app.h"

#include "app/setup_dlg.h"

CSetupApp theApp;

CSetupApp::CSetupApp() = default;

CSetupApp::~CSetupApp() = default;

bool CSetupApp::InitInstance() {
  CSetupDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  // The wizard has closed: end the program.
  return false;
}
