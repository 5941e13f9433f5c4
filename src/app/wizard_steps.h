#pragma once

// What the wizard shows at each step: which page, what becomes of Back, whether Next turns into
// the finish button and whether the window menu's Close item is grayed. Portable.
namespace kelvamo {

enum class BackButton { Keep, Show, Hide };

struct StepView {
  bool changesWindows;  // false for steps outside 1 to 4: nothing is touched
  int visiblePage;      // 0 welcome, 1 folder, 2 progress, 3 finish
  BackButton back;
  bool captionNextFinish;
  bool grayClose;
};

constexpr int kPageCount = 4;

StepView ViewOfStep(int step);

}  // namespace kelvamo
