#include "setup/pages/progress_page.h"

#include "setup/res/resource.h"

CProgressPage::CProgressPage(CWnd* parent)
    : CDialog(IDD_PROGRESS_PAGE, parent), m_colours(IDD_PROGRESS_PAGE),
      m_layout(IDD_PROGRESS_PAGE, &m_colours), m_accessibility(IDD_PROGRESS_PAGE) {}

CProgressPage::~CProgressPage() = default;

void CProgressPage::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_PROGRESS, m_progress);
  DDX_Text(dx, IDC_STATUS_EDIT, m_strStatus);
}

bool CProgressPage::OnInitDialog() {
  CDialog::OnInitDialog();
  m_layout.Apply(this, WindowDpi(m_hWnd));
  m_accessibility.Attach(this);
  m_progress.SetRange(0, 100);
  m_strStatus = "";
  m_nTicks = 0;
  return true;
}

HBRUSH CProgressPage::OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
  return m_colours.Apply(dc, control, kind, CDialog::OnCtlColor(dc, control, kind));
}
