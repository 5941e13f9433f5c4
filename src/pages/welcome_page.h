#pragma once
#include "framework/afx.h"

// Step 1: the welcome text beside the banner. Passive.
class CWelcomePage : public CDialog {
public:
  explicit CWelcomePage(CWnd* parent = nullptr);
  ~CWelcomePage() override;

  CFont m_font;
};
