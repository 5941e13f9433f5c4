// Colours and fonts with which the pages and the exit question answer colour requests, asked as
// the platform asks them, of the real dialogs made in-process from the program's resources.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "setup/app/setup_dlg.h"
#include "tests/wine/contrast_scheme.h"
#include "tests/wine/gdi_probe.h"
#include "setup/pages/exit_confirm_dlg.h"
#include "setup/res/resource.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const int kDialogItself = 0;
const int kImage = 0xFFFF;  // the first control with id -1

enum Dialog { kWelcome, kFolder, kProgress, kFinish, kQuestion };

struct Answer {
  HBRUSH brush;
  COLORREF background;
  HGDIOBJ font;
  COLORREF text;
};

class PageColours : public ::testing::Test {
protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    ASSERT_TRUE(wizard.Create(IDD_SETUP_DIALOG, nullptr));
    ASSERT_TRUE(question.Create(IDD_EXIT_CONFIRM, &wizard));
  }
  void TearDown() override {
    DestroyWindow(question.m_hWnd);
    DestroyWindow(wizard.m_hWnd);
  }

  HWND Window(Dialog dialog) const {
    const CDialog* dialogs[] = {&wizard.m_pageWelcome, &wizard.m_pageFolder,
                                &wizard.m_pageProgress, &wizard.m_pageFinish, &question};
    return dialogs[dialog]->m_hWnd;
  }

  // Sends the request to the dialog with a fresh context, or hands it to the platform's default
  // handling when `platformDefault` is set.
  static Answer Ask(HWND dialog, UINT message, HWND control, bool platformDefault = false) {
    MemoryCanvas canvas(4, 4);
    const WPARAM dc = reinterpret_cast<WPARAM>(canvas.dc());
    const LPARAM lParam = reinterpret_cast<LPARAM>(control);
    const LRESULT brush = platformDefault ? DefWindowProcA(dialog, message, dc, lParam)
                                          : SendMessageA(dialog, message, dc, lParam);
    return {reinterpret_cast<HBRUSH>(brush), GetBkColor(canvas.dc()),
            GetCurrentObject(canvas.dc(), OBJ_FONT), GetTextColor(canvas.dc())};
  }

  CSetupDlg wizard;
  CExitConfirmDlg question;
};

COLORREF BrushColour(HBRUSH brush) {
  LOGBRUSH logBrush = {};
  GetObjectA(brush, sizeof(logBrush), &logBrush);
  return logBrush.lbColor;
}

::testing::AssertionResult IsSongTi(HGDIOBJ font, int height, int weight) {
  LOGFONTA logFont = {};
  if (!GetObjectA(font, sizeof(logFont), &logFont)) {
    return ::testing::AssertionFailure() << "no font";
  }
  if (logFont.lfHeight != height || logFont.lfWeight != weight ||
      std::strcmp(logFont.lfFaceName, "宋体") != 0 || logFont.lfCharSet != DEFAULT_CHARSET ||
      logFont.lfPitchAndFamily != (FF_MODERN | DEFAULT_PITCH) || logFont.lfItalic ||
      logFont.lfUnderline) {
    return ::testing::AssertionFailure()
           << "font " << logFont.lfFaceName << " height " << logFont.lfHeight << " weight "
           << logFont.lfWeight;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST_F(PageColours, EachDialogAnswersPerControlAsTheLookTableSays) {
  const struct {
    Dialog dialog;
    int control;  // kDialogItself: the dialog's own background
    UINT message;
    bool white;
    int fontHeight, fontWeight;  // 0: the request selects no font
  } cases[] = {
      {kWelcome, 1008, WM_CTLCOLORSTATIC, true, 17, FW_SEMIBOLD},
      {kWelcome, 1007, WM_CTLCOLORSTATIC, true, 13, FW_NORMAL},
      {kWelcome, 1008, WM_CTLCOLORBTN, true, 0, 0},  // its fonts go with static requests only
      {kWelcome, kImage, WM_CTLCOLORSTATIC, true, 0, 0},
      {kWelcome, kDialogItself, WM_CTLCOLORDLG, true, 0, 0},
      {kFolder, 1007, WM_CTLCOLORSTATIC, true, 14, FW_SEMIBOLD},
      {kFolder, 1008, WM_CTLCOLORSTATIC, true, 13, FW_NORMAL},
      {kFolder, 1009, WM_CTLCOLORSTATIC, false, 13, FW_NORMAL},
      {kFolder, 1010, WM_CTLCOLORSTATIC, false, 13, FW_EXTRALIGHT},
      {kFolder, 1000, WM_CTLCOLORBTN, false, 13, FW_EXTRALIGHT},
      {kFolder, 1004, WM_CTLCOLOREDIT, false, 0, 0},
      {kFolder, kImage, WM_CTLCOLORSTATIC, false, 0, 0},
      {kFolder, kDialogItself, WM_CTLCOLORDLG, false, 0, 0},
      {kProgress, 1007, WM_CTLCOLORSTATIC, true, 14, FW_SEMIBOLD},
      {kProgress, 1008, WM_CTLCOLORSTATIC, true, 13, FW_NORMAL},
      {kProgress, 1004, WM_CTLCOLORSTATIC, false, 0, 0},
      {kProgress, kImage, WM_CTLCOLORSTATIC, false, 0, 0},
      {kProgress, kDialogItself, WM_CTLCOLORDLG, false, 0, 0},
      {kFinish, 1011, WM_CTLCOLORSTATIC, true, 17, FW_SEMIBOLD},
      {kFinish, 1012, WM_CTLCOLORSTATIC, true, 14, FW_NORMAL},
      {kFinish, 1006, WM_CTLCOLORSTATIC, true, 14, FW_NORMAL},
      {kFinish, 1007, WM_CTLCOLORSTATIC, true, 14, FW_NORMAL},
      {kFinish, 1008, WM_CTLCOLORSTATIC, true, 14, FW_NORMAL},
      {kFinish, 1009, WM_CTLCOLORSTATIC, true, 14, FW_NORMAL},
      {kFinish, kImage, WM_CTLCOLORSTATIC, true, 0, 0},
      {kFinish, kDialogItself, WM_CTLCOLORDLG, true, 0, 0},
      {kQuestion, 1008, WM_CTLCOLORSTATIC, true, 0, 0},
      {kQuestion, 1000, WM_CTLCOLORBTN, false, 0, 0},
      {kQuestion, 1001, WM_CTLCOLORBTN, false, 0, 0},
      {kQuestion, kImage, WM_CTLCOLORSTATIC, false, 0, 0},
      {kQuestion, kDialogItself, WM_CTLCOLORDLG, false, 0, 0},
  };
  const HGDIOBJ templateFreeFont = GetStockObject(SYSTEM_FONT);  // a fresh context's font
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "dialog " << c.dialog << " control " << c.control
                                    << " message " << c.message);
    const HWND dialog = Window(c.dialog);
    const HWND control = c.control == kDialogItself ? dialog : GetDlgItem(dialog, c.control);
    ASSERT_NE(control, nullptr);
    const Answer answer = Ask(dialog, c.message, control);
    const Answer standard = Ask(dialog, c.message, control, true);
    if (c.white) {
      EXPECT_EQ(BrushColour(answer.brush), kWhite);
      EXPECT_EQ(answer.background, kWhite);
    } else {
      EXPECT_EQ(answer.brush, standard.brush);
      EXPECT_EQ(answer.background, standard.background);
    }
    if (c.fontHeight) {
      EXPECT_TRUE(IsSongTi(answer.font, c.fontHeight, c.fontWeight)) << "selected";
      // The control is given the same font, since it selects its own over the request's.
      const HGDIOBJ own = reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0));
      EXPECT_TRUE(IsSongTi(own, c.fontHeight, c.fontWeight)) << "control's own";
    } else {
      EXPECT_EQ(answer.font, templateFreeFont);
    }
  }
}

TEST_F(PageColours, RepeatedRequestsMakeNoNewObjects) {
  const UINT messages[] = {WM_CTLCOLORSTATIC, WM_CTLCOLORBTN, WM_CTLCOLORDLG};
  Ask(Window(kWelcome), WM_CTLCOLORSTATIC, GetDlgItem(Window(kWelcome), 1008));
  const int before = CountGdiObjects();
  for (int i = 0; i < 1000; ++i) {
    const HWND dialog = Window(static_cast<Dialog>(i % 5));
    const HWND control = GetDlgItem(dialog, 1007 + i % 2);
    Ask(dialog, messages[i % 3], control ? control : dialog);
  }
  EXPECT_EQ(CountGdiObjects(), before);
}

TEST_F(PageColours, HighContrastTurnedOnAndOffWhileShownRepaintsInTheRightColours) {
  const struct {
    Dialog dialog;
    int control;
    UINT message;
    bool white;  // white in the design: the window colours in high contrast
  } cases[] = {
      {kWelcome, kDialogItself, WM_CTLCOLORDLG, true},  {kWelcome, 1008, WM_CTLCOLORSTATIC, true},
      {kFolder, 1007, WM_CTLCOLORSTATIC, true},         {kFolder, 1009, WM_CTLCOLORSTATIC, false},
      {kFolder, kDialogItself, WM_CTLCOLORDLG, false},  {kProgress, 1008, WM_CTLCOLORSTATIC, true},
      {kFinish, 1009, WM_CTLCOLORSTATIC, true},         {kQuestion, 1008, WM_CTLCOLORSTATIC, true},
      {kQuestion, kDialogItself, WM_CTLCOLORDLG, false},
  };
  HighContrastScheme scheme;
  ShowWindow(question.m_hWnd, SW_SHOWNA);
  for (bool on : {true, false, true}) {
    HighContrastScheme::Store(on);
    // Nothing waits to be painted; the change notice repaints everything.
    for (HWND top : {wizard.m_hWnd, question.m_hWnd}) {
      RedrawWindow(top, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
      SendMessageA(top, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    }
    RECT dirty;
    EXPECT_TRUE(GetUpdateRect(Window(kWelcome), &dirty, FALSE)) << "page not repainted";
    EXPECT_TRUE(GetUpdateRect(question.m_hWnd, &dirty, FALSE)) << "question not repainted";
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << "high contrast " << on << " dialog " << c.dialog
                                      << " control " << c.control);
      const HWND dialog = Window(c.dialog);
      const HWND control = c.control == kDialogItself ? dialog : GetDlgItem(dialog, c.control);
      const Answer answer = Ask(dialog, c.message, control);
      const Answer standard = Ask(dialog, c.message, control, true);
      if (!c.white) {
        EXPECT_EQ(answer.brush, standard.brush);
        EXPECT_EQ(answer.background, standard.background);
      } else if (on) {
        EXPECT_EQ(answer.brush, GetSysColorBrush(COLOR_WINDOW));
        EXPECT_EQ(answer.background, GetSysColor(COLOR_WINDOW));
        EXPECT_EQ(answer.text, GetSysColor(COLOR_WINDOWTEXT));
      } else {
        EXPECT_EQ(BrushColour(answer.brush), kWhite);
        EXPECT_EQ(answer.background, kWhite);
      }
    }
  }
}
