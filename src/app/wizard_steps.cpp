#include "app/wizard_steps.h"

namespace kelvamo {

StepView ViewOfStep(int step) {
  switch (step) {
    case 1: return {true, 0, BackButton::Hide, false, false};
    case 2: return {true, 1, BackButton::Show, false, false};
    // From step 3 on Back keeps its state: the install engine disables it.
    case 3: return {true, 2, BackButton::Keep, false, true};
    case 4: return {true, 3, BackButton::Keep, true, false};
    default: return {false, 0, BackButton::Keep, false, false};
  }
}

}  // namespace kelvamo
