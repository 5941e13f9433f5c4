#pragma once
#include "setup/framework/afx.h"
#include "setup/res/resource.h"
#include "setup/ui/dialog_accessibility.h"
#include "setup/ui/dialog_colours.h"
#include "setup/ui/dpi_layout.h"

// Step 2: the install folder, typed into the edit or picked with Browse. Holds the one copy of
// the install directory, which the wizard gives its final form when it leaves this page.
class CFolderPage : public CDialog {
public:
  explicit CFolderPage(CWnd* parent = nullptr);
  ~CFolderPage() override;

  CDialogColours m_colours;  // white brush and fonts of this page
  CDpiLayout m_layout;       // where its controls sit at the DPI of its window
  CDialogAccessibility m_accessibility;  // what screen readers are told of its controls
  CString m_strInstallDir;
  // The folder of the installation already registered, proposed instead of the default when it
  // is not empty: an upgrade goes where the version it replaces is.
  CString m_strInstalledDir;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  bool OnInitDialog() override;
  void OnBrowse();
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);

  BEGIN_MSG_MAP(CFolderPage, CDialog)
    ON_WM_CTLCOLOR()
    ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
  END_MSG_MAP()
};
