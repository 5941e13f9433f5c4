#include "setup/app/setup_app.h"

#include "setup/app/one_installer.h"
#include "setup/app/setup_dlg.h"
#include "setup/engine/payload.h"

CSetupApp theApp;

CSetupApp::CSetupApp() = default;

CSetupApp::~CSetupApp() = default;

bool CSetupApp::InitInstance() {
  // Found now rather than halfway through the extraction; a damaged copy holds no lock either.
  // The payload's checksums see the payload; the signature, checked while the welcome page
  // shows (CSetupDlg::SignatureHolds), sees every other byte as well.
  const auto facts = LoadPayloadFacts();
  if (!facts || !PayloadMatchesFacts(*facts)) {
    AfxMessageBox(kPayloadDamaged, MB_OK | MB_ICONSTOP);
    m_nExitCode = kExitDamaged;
    return false;
  }
  InstallerLock lock;
  if (!lock.Acquire()) {
    BringRunningWizardToFront();  // a second start changes nothing, whether a wizard shows or not
    return false;
  }
  CSetupDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  // The wizard has closed: end the program.
  return false;
}
