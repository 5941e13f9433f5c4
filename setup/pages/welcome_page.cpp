#include "setup/pages/welcome_page.h"

#include "setup/res/resource.h"

CWelcomePage::CWelcomePage(CWnd* parent)
    : CDialog(IDD_WELCOME_PAGE, parent), m_colours(IDD_WELCOME_PAGE),
      m_layout(IDD_WELCOME_PAGE, &m_colours), m_accessibility(IDD_WELCOME_PAGE) {}

CWelcomePage::~CWelcomePage() = default;

bool CWelcomePage::OnInitDialog() {
  CDialog::OnInitDialog();
  m_layout.Apply(this, WindowDpi(m_hWnd));
  m_accessibility.Attach(this);
  return true;
}

HBRUSH CWelcomePage::OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
  return m_colours.Apply(dc, control, kind, CDialog::OnCtlColor(dc, control, kind));
}
