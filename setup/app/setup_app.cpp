#include "setup/app/setup_app.h"

#include "setup/app/one_installer.h"
#include "setup/app/setup_dlg.h"
#include "setup/engine/own_signature.h"
#include "setup/engine/payload.h"

namespace {

const char kPayloadDamaged[] =
    "安装程序已损坏（下载不完整或复制出错），无法安装。请重新下载安装程序。";
// Whoever started the damaged copy (a deployment tool, a script) learns that nothing was installed.
constexpr int kExitDamaged = 1;

}  // namespace

CSetupApp theApp;

CSetupApp::CSetupApp() = default;

CSetupApp::~CSetupApp() = default;

bool CSetupApp::InitInstance() {
  // Found now rather than halfway through the extraction; a damaged copy holds no lock either.
  // The payload's checksums see the payload; the signature sees every other byte as well.
  const auto facts = LoadPayloadFacts();
  if (!facts || !PayloadMatchesFacts(*facts) || !OwnSignatureHolds()) {
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
