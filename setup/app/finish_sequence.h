#pragma once

class CSetupDlg;

// The wizard's last step, run when Next is pressed on the finish page: hides the wizard, carries
// out the checked options (start-up, desktop, start menu, run now), opens the success page, waits
// a second and closes the wizard with WM_CLOSE, which asks no exit question.
void RunFinishSequence(CSetupDlg& wizard);
