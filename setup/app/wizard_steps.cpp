#include "setup/app/wizard_steps.h"

namespace kelvamo {

StepView ViewOfStep(int step) {
  switch (step) {
    case kStepWelcome: return {true, 0, BackButton::Hide, false, false};
    case kStepFolder: return {true, 1, BackButton::Show, false, false};
    // From the installing step on Back keeps its state: the install engine disables it.
    case kStepInstalling: return {true, 2, BackButton::Keep, false, true};
    case kStepFinishOptions: return {true, 3, BackButton::Keep, true, false};
    default: return {false, 0, BackButton::Keep, false, false};
  }
}

}  // namespace kelvamo
