#include "pages/progress_page.h"

#include "res/resource.h"

CProgressPage::CProgressPage(CWnd* parent) : CDialog(IDD_PROGRESS_PAGE, parent) {}

CProgressPage::~CProgressPage() = default;

void CProgressPage::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_PROGRESS, m_progress);
  DDX_Text(dx, IDC_STATUS_EDIT, m_strStatus);
}

bool CProgressPage::OnInitDialog() {
  CDialog::OnInitDialog();
  m_progress.SetRange(0, 100);
  m_strStatus = "";
  m_nTicks = 0;
  return true;
}

// Until the install engine is in place the wizard moves on with its buttons as they are.
void CProgressPage::StartInstall() {}
