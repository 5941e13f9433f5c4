#include "ui/wizard_button.h"

CWizardButton::CWizardButton() = default;

CWizardButton::~CWizardButton() = default;
