#pragma once
#include "framework/afx.h"

// A navigation button of the wizard and of the exit question. Bound to its push button by
// DDX_Control, so clicks, captions and the enabled state work as for any button.
class CWizardButton : public CButton {
public:
  CWizardButton();
  ~CWizardButton() override;
};
