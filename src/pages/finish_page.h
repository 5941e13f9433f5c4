#pragma once
#include "framework/afx.h"

// Step 4: the four finish options, all checked when the page is made.
class CFinishPage : public CDialog {
public:
  explicit CFinishPage(CWnd* parent = nullptr);
  ~CFinishPage() override;

  CFont m_font;
  CButton m_chkRunNow;
  CButton m_chkDesktop;
  CButton m_chkStartup;
  CButton m_chkStartMenu;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  bool OnInitDialog() override;
};
