#include "setup/app/setup_app.h"

#include "setup/app/exit_codes.h"
#include "setup/app/one_installer.h"
#include "setup/app/setup_dlg.h"
#include "setup/app/start_recovery.h"
#include "setup/engine/install_log.h"
#include "setup/engine/payload.h"
#include "setup/engine/registry_records.h"
#include "setup/engine/version_order.h"

namespace {

// The release this setup.exe installs, given by the build (KELVAMO_VERSION).
const char kOwnVersion[] = KELVAMO_VERSION;

const char kNewerInstalled[] = "此计算机上已安装 Kelvamo ";
const char kNewerThanOwn[] = "，比本安装程序的版本 ";
const char kNewerEnd[] = " 新，无法安装旧版本。要安装这个版本，请先卸载已安装的版本。";

// The log's last line names the outcome the program ends with.
int Ended(int exitCode) {
  LogOutcome(exitCode);
  return exitCode;
}

// The outcome of a wizard that has closed, unless it was refused on the way.
int WizardOutcome(const CSetupDlg& dlg) {
  if (dlg.m_pageProgress.Installed()) return kExitInstalled;
  if (dlg.m_pageProgress.Failed()) return kExitFailed;
  return dlg.m_bRecovered ? kExitRecovered : kExitCancelled;
}

}  // namespace

CSetupApp theApp;

CSetupApp::CSetupApp() = default;

CSetupApp::~CSetupApp() = default;

bool CSetupApp::InitInstance() {
  OpenSetupLog(kOwnVersion);
  m_nExitCode = Run();
  return false;
}

int CSetupApp::Run() {
  // Found now rather than halfway through the extraction; a damaged copy holds no lock either.
  // The payload's checksums see the payload; the signature, checked while the welcome page
  // shows (CSetupDlg::SignatureHolds), sees every other byte as well.
  const auto facts = LoadPayloadFacts();
  if (!facts || !PayloadMatchesFacts(*facts)) {
    LogStep("the installer's payload is damaged");
    AfxMessageBox(kPayloadDamaged, MB_OK | MB_ICONSTOP);
    return Ended(kExitRefused);
  }
  InstallerLock lock;
  if (!lock.Acquire()) {
    LogStep("another installer is running");
    BringRunningWizardToFront();  // a second start changes nothing, whether a wizard shows or not
    return Ended(kExitRefused);
  }
  // An installation cut off where the records point is restored before anything else, so that
  // what is registered is a whole state.
  bool recovered = false;
  if (!RecoverAtStart(recovered)) return Ended(kExitRefused);
  // An older version over a newer one is refused before anything is written; the same version
  // again repairs and an older one is upgraded, both by the same installation.
  const auto installed = ReadRegisteredInstallation();
  LogStep("installed version: " + (installed && installed->version ? *installed->version
                                                                     : std::string("none")));
  if (installed && kelvamo::ClassifyInstall(kOwnVersion, installed->version) ==
                       kelvamo::InstallKind::kDowngrade) {
    const std::string text =
        kNewerInstalled + *installed->version + kNewerThanOwn + kOwnVersion + kNewerEnd;
    AfxMessageBox(text.c_str(), MB_OK | MB_ICONSTOP);
    return Ended(kExitRefused);
  }
  CSetupDlg dlg;
  dlg.m_strVersion = kOwnVersion;
  dlg.m_installed = installed;
  dlg.m_bRecovered = recovered;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  // The wizard has closed: the program ends with its outcome.
  if (m_nExitCode == kExitRefused) return Ended(kExitRefused);
  const int outcome = Ended(WizardOutcome(dlg));
  // The whole log, its outcome line with it, is what the folder keeps.
  if (outcome == kExitInstalled) static_cast<void>(dlg.m_pageProgress.CopyLog());
  return outcome;
}
