#pragma once
#include "setup/framework/afx.h"
#include "setup/ui/dialog_accessibility.h"
#include "setup/ui/dialog_colours.h"
#include "setup/ui/dpi_layout.h"

// Step 1: the welcome text beside the banner. Passive.
class CWelcomePage : public CDialog {
public:
  explicit CWelcomePage(CWnd* parent = nullptr);
  ~CWelcomePage() override;

  CDialogColours m_colours;  // white brush and fonts of this page
  CDpiLayout m_layout;       // where its controls sit at the DPI of its window
  CDialogAccessibility m_accessibility;  // what screen readers are told of its controls

protected:
  bool OnInitDialog() override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);

  BEGIN_MSG_MAP(CWelcomePage, CDialog)
    ON_WM_CTLCOLOR()
  END_MSG_MAP()
};
