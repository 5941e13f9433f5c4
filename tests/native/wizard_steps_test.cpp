#include "setup/app/wizard_steps.h"

#include <gtest/gtest.h>

using kelvamo::BackButton;
using kelvamo::ViewOfStep;

TEST(WizardSteps, EachStepShowsItsPageAndButtonState) {
  const struct {
    int step;
    int page;
    BackButton back;
    bool finishCaption;
    bool grayClose;
  } steps[] = {
      {1, 0, BackButton::Hide, false, false},
      {2, 1, BackButton::Show, false, false},
      {3, 2, BackButton::Keep, false, true},
      {4, 3, BackButton::Keep, true, false},
  };
  for (const auto& s : steps) {
    const kelvamo::StepView view = ViewOfStep(s.step);
    EXPECT_TRUE(view.changesWindows) << s.step;
    EXPECT_EQ(view.visiblePage, s.page) << s.step;
    EXPECT_EQ(view.back, s.back) << s.step;
    EXPECT_EQ(view.captionNextFinish, s.finishCaption) << s.step;
    EXPECT_EQ(view.grayClose, s.grayClose) << s.step;
  }
}

TEST(WizardSteps, StepsOutsideTheWizardChangeNothing) {
  for (int step : {5, 0, -1, 6, 1000}) EXPECT_FALSE(ViewOfStep(step).changesWindows) << step;
}
