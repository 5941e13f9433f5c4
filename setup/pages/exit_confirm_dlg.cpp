#include "setup/pages/exit_confirm_dlg.h"

#include "setup/app/setup_dlg.h"
#include "setup/app/wizard_steps.h"
#include "setup/engine/rollback.h"
#include "setup/res/resource.h"
#include "setup/ui/dialog_keys.h"

CExitConfirmDlg::CExitConfirmDlg(CWnd* parent)
    : CRecolouringDialog(IDD_EXIT_CONFIRM, parent), m_colours(IDD_EXIT_CONFIRM),
      m_layout(IDD_EXIT_CONFIRM, &m_colours), m_accessibility(IDD_EXIT_CONFIRM) {}

CExitConfirmDlg::~CExitConfirmDlg() = default;

void CExitConfirmDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_NO_BUTTON, m_btnNo);
  DDX_Control(dx, IDC_YES_BUTTON, m_btnYes);
}

bool CExitConfirmDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_layout.Apply(this, WindowDpi(m_hWnd));
  m_accessibility.Attach(this);
  // Only the two buttons answer the question.
  EnableMenuItem(GetSystemMenu(false), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  return true;
}

void CExitConfirmDlg::OnYes() {
  // The rollback takes back what it can; the wizard closes whatever the outcome, and what could
  // not be put back is the next start's to restore.
  StopExtractor();
  CWnd* owner = GetParent();
  // Only during the installation is there anything to take back.
  auto* wizard = dynamic_cast<CSetupDlg*>(owner);
  if (wizard && wizard->m_nStep == kelvamo::kStepInstalling) {
    static_cast<void>(wizard->m_pageProgress.TakeBack());
  }
  // The wizard's close takes effect once this question's own run has ended.
  if (owner) owner->SendMessage(WM_CLOSE);
  SendMessage(WM_CLOSE);
}

LRESULT CExitConfirmDlg::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  // The system's own scaling of the dialog first, then the layout as designed.
  Default();
  m_layout.FollowDpiChange(this, wParam, lParam);
  return 0;
}

void CExitConfirmDlg::OnNo() { SendMessage(WM_CLOSE); }

bool CExitConfirmDlg::PreTranslateMessage(MSG* msg) {
  return PressHintedButton(m_hWnd, *msg, true) || PressFocusedButton(m_hWnd, *msg);
}

HBRUSH CExitConfirmDlg::OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
  return m_colours.Apply(dc, control, kind, CDialog::OnCtlColor(dc, control, kind));
}
