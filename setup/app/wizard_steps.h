#pragma once

// What the wizard shows at each step: which page, what becomes of Back, whether Next turns into
// the finish button and whether the window menu's Close item is grayed. Portable.
namespace kelvamo {

// The wizard's steps, the values of CSetupDlg::m_nStep.
constexpr int kStepWelcome = 1;
constexpr int kStepFolder = 2;
constexpr int kStepInstalling = 3;  // installing or installed
constexpr int kStepFinishOptions = 4;
constexpr int kStepFinishing = 5;   // the finish sequence runs; no page changes

enum class BackButton { Keep, Show, Hide };

struct StepView {
  bool changesWindows;  // false for steps outside welcome to finish options: nothing is touched
  int visiblePage;      // 0 welcome, 1 folder, 2 progress, 3 finish
  BackButton back;
  bool captionNextFinish;
  bool grayClose;
};

constexpr int kPageCount = 4;

StepView ViewOfStep(int step);

}  // namespace kelvamo
