#pragma once
#include "setup/framework/afx.h"
#include "setup/res/resource.h"
#include "setup/ui/dialog_accessibility.h"
#include "setup/ui/dialog_colours.h"
#include "setup/ui/dpi_layout.h"
#include "setup/ui/recolouring_dialog.h"
#include "setup/ui/wizard_button.h"

// The question "quit the installation?", run modally over the wizard. Yes stops the extractor,
// undoes what the installation start wrote while the wizard is at step 3, and closes the wizard
// and with it the program; No only closes the question.
class CExitConfirmDlg : public CRecolouringDialog {
public:
  explicit CExitConfirmDlg(CWnd* parent = nullptr);
  ~CExitConfirmDlg() override;

  CWizardButton m_btnNo;
  CWizardButton m_btnYes;

  // Y and N answer alone as well as with Alt; Enter presses the button that has the focus.
  bool PreTranslateMessage(MSG* msg) override;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  bool OnInitDialog() override;
  void OnYes();
  void OnNo();
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);

  BEGIN_MSG_MAP(CExitConfirmDlg, CRecolouringDialog)
    ON_BN_CLICKED(IDC_YES_BUTTON, OnYes)
    ON_BN_CLICKED(IDC_NO_BUTTON, OnNo)
    ON_WM_CTLCOLOR()
    ON_MESSAGE(kWmDpiChanged, OnDpiChanged)
  END_MSG_MAP()

private:
  CDialogColours m_colours;  // the message's white background
  CDpiLayout m_layout;       // where its controls sit at the DPI of its window
  CDialogAccessibility m_accessibility;
};
