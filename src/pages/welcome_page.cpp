#include "pages/welcome_page.h"

#include "res/resource.h"

CWelcomePage::CWelcomePage(CWnd* parent) : CDialog(IDD_WELCOME_PAGE, parent) {}

CWelcomePage::~CWelcomePage() = default;
