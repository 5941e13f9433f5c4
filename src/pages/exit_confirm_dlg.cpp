#include "pages/exit_confirm_dlg.h"

#include "res/resource.h"

CExitConfirmDlg::CExitConfirmDlg(CWnd* parent) : CDialog(IDD_EXIT_CONFIRM, parent) {}

CExitConfirmDlg::~CExitConfirmDlg() = default;

void CExitConfirmDlg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_NO_BUTTON, m_btnNo);
  DDX_Control(dx, IDC_YES_BUTTON, m_btnYes);
}

bool CExitConfirmDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // Only the two buttons answer the question.
  EnableMenuItem(GetSystemMenu(false), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
  return true;
}

void CExitConfirmDlg::OnYes() {
  // The wizard's close takes effect once this question's own run has ended.
  GetParent()->SendMessage(WM_CLOSE);
  SendMessage(WM_CLOSE);
}

void CExitConfirmDlg::OnNo() { SendMessage(WM_CLOSE); }
