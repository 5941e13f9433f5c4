#include "setup/app/about_dlg.h"

#include "setup/res/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
