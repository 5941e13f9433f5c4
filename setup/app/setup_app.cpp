#include "setup/app/setup_app.h"

#include "setup/app/one_installer.h"
#include "setup/app/setup_dlg.h"
#include "setup/engine/payload.h"
#include "setup/engine/registry_records.h"
#include "setup/engine/version_order.h"

namespace {

// The release this setup.exe installs, given by the build (KELVAMO_VERSION).
const char kOwnVersion[] = KELVAMO_VERSION;

const char kNewerInstalled[] = "此计算机上已安装 Kelvamo ";
const char kNewerThanOwn[] = "，比本安装程序的版本 ";
const char kNewerEnd[] = " 新，无法安装旧版本。要安装这个版本，请先卸载已安装的版本。";
// Whoever started the program (a deployment tool, a script) learns that nothing was installed.
constexpr int kExitNewerInstalled = 2;

}  // namespace

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
  // An older version over a newer one is refused before anything is written; the same version
  // again repairs and an older one is upgraded, both by the same installation.
  const auto installed = ReadRegisteredInstallation();
  if (installed && kelvamo::ClassifyInstall(kOwnVersion, installed->version) ==
                       kelvamo::InstallKind::kDowngrade) {
    const std::string text =
        kNewerInstalled + *installed->version + kNewerThanOwn + kOwnVersion + kNewerEnd;
    AfxMessageBox(text.c_str(), MB_OK | MB_ICONSTOP);
    m_nExitCode = kExitNewerInstalled;
    return false;
  }
  CSetupDlg dlg;
  dlg.m_strVersion = kOwnVersion;
  dlg.m_installed = installed;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  // The wizard has closed: end the program.
  return false;
}
