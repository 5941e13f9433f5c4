#include "setup/pages/finish_page.h"

#include "setup/res/resource.h"

CFinishPage::CFinishPage(CWnd* parent)
    : CDialog(IDD_FINISH_PAGE, parent), m_colours(IDD_FINISH_PAGE),
      m_layout(IDD_FINISH_PAGE, &m_colours), m_accessibility(IDD_FINISH_PAGE) {}

CFinishPage::~CFinishPage() = default;

void CFinishPage::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_RUN_NOW, m_chkRunNow);
  DDX_Control(dx, IDC_DESKTOP, m_chkDesktop);
  DDX_Control(dx, IDC_STARTUP, m_chkStartup);
  DDX_Control(dx, IDC_START_MENU, m_chkStartMenu);
}

bool CFinishPage::OnInitDialog() {
  CDialog::OnInitDialog();
  m_layout.Apply(this, WindowDpi(m_hWnd));
  m_accessibility.Attach(this);
  m_chkStartMenu.SetCheck(BST_CHECKED);
  m_chkStartup.SetCheck(BST_CHECKED);
  m_chkDesktop.SetCheck(BST_CHECKED);
  m_chkRunNow.SetCheck(BST_CHECKED);
  return true;
}

HBRUSH CFinishPage::OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
  return m_colours.Apply(dc, control, kind, CDialog::OnCtlColor(dc, control, kind));
}
