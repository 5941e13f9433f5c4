#pragma once
#include "framework/afx.h"
#include "ui/wizard_button.h"

// The question "quit the installation?", run modally over the wizard. Yes closes the wizard and
// with it the program; No only closes the question.
class CExitConfirmDlg : public CDialog {
public:
  explicit CExitConfirmDlg(CWnd* parent = nullptr);
  ~CExitConfirmDlg() override;

  CWizardButton m_btnNo;
  CWizardButton m_btnYes;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  bool OnInitDialog() override;
  void OnYes();
  void OnNo();

  BEGIN_MSG_MAP(CExitConfirmDlg, CDialog)
    ON_BN_CLICKED(1000, OnYes)
    ON_BN_CLICKED(1001, OnNo)
  END_MSG_MAP()
};
