#include "setup/pages/folder_page.h"

#include <shlobj.h>

#include "setup/res/resource.h"

namespace {

const char kDefaultFolder[] = "C:\\Program Files\\kelvamo\\";
const char kPickerTitle[] = "选择要安装 Kelvamo完整内测V0.9.0422版 的文件夹位置:";

}  // namespace

CFolderPage::CFolderPage(CWnd* parent)
    : CDialog(IDD_FOLDER_PAGE, parent), m_colours(IDD_FOLDER_PAGE),
      m_layout(IDD_FOLDER_PAGE, &m_colours), m_accessibility(IDD_FOLDER_PAGE) {}

CFolderPage::~CFolderPage() = default;

void CFolderPage::DoDataExchange(CDataExchange* dx) { DDX_Text(dx, IDC_FOLDER_EDIT, m_strInstallDir); }

bool CFolderPage::OnInitDialog() {
  CDialog::OnInitDialog();
  m_layout.Apply(this, WindowDpi(m_hWnd));
  m_accessibility.Attach(this);
  m_strInstallDir = m_strInstalledDir.IsEmpty() ? CString(kDefaultFolder) : m_strInstalledDir;
  UpdateData(false);
  return true;
}

void CFolderPage::OnBrowse() {
  char displayName[MAX_PATH] = {};
  BROWSEINFOA request = {};
  request.hwndOwner = m_hWnd;
  request.pszDisplayName = displayName;
  request.lpszTitle = kPickerTitle;
  LPITEMIDLIST picked = SHBrowseForFolderA(&request);
  // Cancelled: the field keeps whatever it holds, typed text included.
  if (!picked) return;
  char path[MAX_PATH] = {};
  SHGetPathFromIDListA(picked, path);
  CoTaskMemFree(picked);
  m_strInstallDir = path;
  UpdateData(false);
}

HBRUSH CFolderPage::OnCtlColor(CDC* dc, CWnd* control, UINT kind) {
  return m_colours.Apply(dc, control, kind, CDialog::OnCtlColor(dc, control, kind));
}
