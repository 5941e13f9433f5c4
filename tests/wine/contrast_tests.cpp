// setup.exe with high contrast on: on every page and on the exit question, the areas the design
// paints white, the texts and the drawn buttons take the system's colours, read off the screen.
#include <gtest/gtest.h>

#include <memory>

#include "setup/app/exit_codes.h"
#include "tests/wine/contrast_scheme.h"
#include "tests/wine/gdi_probe.h"
#include "tests/wine/wizard_driver.h"

namespace {

const DWORD kInstallTimeoutMs = 240000;
const COLORREF kDesignWhite = RGB(255, 255, 255);

// What the screen shows of `window`, once it has had time to paint.
class Shot {
 public:
  explicit Shot(HWND window) {
    Sleep(500);
    GetWindowRect(window, &m_rect);
    m_canvas = std::make_unique<MemoryCanvas>(m_rect.right - m_rect.left, m_rect.bottom - m_rect.top);
    HDC screen = GetDC(nullptr);
    BitBlt(m_canvas->dc(), 0, 0, m_canvas->width(), m_canvas->height(), screen, m_rect.left,
           m_rect.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
  }
  // A pixel of `control`, from its top-left corner (negative: from its bottom-right).
  COLORREF At(HWND control, int x, int y) const {
    RECT r;
    GetWindowRect(control, &r);
    const int px = (x >= 0 ? r.left + x : r.right + x) - m_rect.left;
    const int py = (y >= 0 ? r.top + y : r.bottom + y) - m_rect.top;
    return m_canvas->Pixel(px, py);
  }
  // How many pixels of `control`, `inset` pixels in from its edges, have `colour`.
  int Count(HWND control, COLORREF colour, int inset = 0) const {
    RECT r;
    GetWindowRect(control, &r);
    InflateRect(&r, -inset, -inset);
    int count = 0;
    for (LONG y = r.top; y < r.bottom; ++y) {
      for (LONG x = r.left; x < r.right; ++x) {
        count += m_canvas->Pixel(x - m_rect.left, y - m_rect.top) == colour ? 1 : 0;
      }
    }
    return count;
  }

 private:
  RECT m_rect;
  std::unique_ptr<MemoryCanvas> m_canvas;
};

COLORREF Sys(int element) { return GetSysColor(element); }

// A text the design shows on white: the window colours, its text drawn, no white left (but
// where a picture lies over the text's rectangle, as the exit question's does).
void ExpectWindowText(const Shot& shot, HWND text, bool pictureOver = false) {
  SCOPED_TRACE(testing::Message() << "text " << GetDlgCtrlID(text));
  EXPECT_EQ(shot.At(text, -2, -2), Sys(COLOR_WINDOW));
  EXPECT_GT(shot.Count(text, Sys(COLOR_WINDOWTEXT)), 0);
  if (!pictureOver) {
    EXPECT_EQ(shot.Count(text, kDesignWhite), 0);
  }
}

// A drawn button: face, outline and caption in the button colours (gray text when disabled),
// the frame of the focus in the highlight colour.
void ExpectButton(const Shot& shot, HWND button, bool focused) {
  SCOPED_TRACE(testing::Message() << "button " << GetDlgCtrlID(button));
  RECT r;
  GetWindowRect(button, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  EXPECT_EQ(shot.At(button, width / 2, 0), Sys(COLOR_BTNTEXT)) << "outline";
  EXPECT_EQ(shot.At(button, 6, height - 6), Sys(COLOR_BTNFACE)) << "face";
  const bool enabled = IsWindowEnabled(button) != 0;
  EXPECT_GT(shot.Count(button, Sys(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT), 4), 0) << "caption";
  EXPECT_EQ(shot.At(button, width - 4, height / 2) == Sys(COLOR_HIGHLIGHT), focused) << "frame";
  EXPECT_EQ(shot.Count(button, kDesignWhite), 0);
}

}  // namespace

TEST(HighContrast, EveryPageTakesTheSystemColours) {
  HighContrastScheme scheme;
  WizardDriver setup;
  ASSERT_TRUE(setup.Start());
  const HWND wizard = setup.Wizard();
  const HWND back = setup.Button(kBack), next = setup.Button(kNext), cancel = setup.Button(kCancel);

  ASSERT_TRUE(setup.WaitForPage(WizardPage::Welcome));
  ASSERT_TRUE(setup.BringToFront());
  {
    SCOPED_TRACE("welcome");
    const HWND page = setup.Page(WizardPage::Welcome);
    const Shot shot(wizard);
    EXPECT_EQ(shot.At(page, -3, -3), Sys(COLOR_WINDOW));
    ExpectWindowText(shot, GetDlgItem(page, 1008));
    ExpectWindowText(shot, GetDlgItem(page, 1007));
    ExpectButton(shot, next, true);
    ExpectButton(shot, cancel, false);
  }

  WizardDriver::Click(wizard, kNext);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Folder));
  {
    SCOPED_TRACE("folder");
    const HWND page = setup.Page(WizardPage::Folder);
    const Shot shot(wizard);
    EXPECT_EQ(shot.At(page, 3, -3), Sys(COLOR_BTNFACE));
    ExpectWindowText(shot, GetDlgItem(page, 1007));
    ExpectWindowText(shot, GetDlgItem(page, 1008));
    EXPECT_EQ(shot.At(setup.Control(WizardPage::Folder, kFolderEdit), -4, -4), Sys(COLOR_WINDOW));
    ExpectButton(shot, back, false);
    ExpectButton(shot, next, false);
  }

  WizardDriver::Click(wizard, kNext);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Progress));
  ASSERT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(next); }, kInstallTimeoutMs));
  {
    SCOPED_TRACE("progress");
    const HWND page = setup.Page(WizardPage::Progress);
    const Shot shot(wizard);
    EXPECT_EQ(shot.At(page, 3, -3), Sys(COLOR_BTNFACE));
    ExpectWindowText(shot, GetDlgItem(page, 1007));
    ExpectButton(shot, back, false);  // disabled: gray caption
    ExpectButton(shot, cancel, false);
  }

  WizardDriver::Click(wizard, kNext);
  ASSERT_TRUE(setup.WaitForPage(WizardPage::Finish));
  {
    SCOPED_TRACE("finish");
    const HWND page = setup.Page(WizardPage::Finish);
    const Shot shot(wizard);
    EXPECT_EQ(shot.At(page, -3, -3), Sys(COLOR_WINDOW));
    ExpectWindowText(shot, GetDlgItem(page, 1011));
    ExpectWindowText(shot, GetDlgItem(page, 1012));
    EXPECT_GT(shot.Count(GetDlgItem(page, 1006), Sys(COLOR_WINDOWTEXT)), 0) << "option's text";
  }

  setup.SystemCommand(SC_CLOSE);
  const HWND question = setup.WaitForOwnedDialog();
  ASSERT_NE(question, nullptr);
  {
    SCOPED_TRACE("exit question");
    const Shot shot(question);
    ExpectWindowText(shot, GetDlgItem(question, 1008), true);
    ExpectButton(shot, GetDlgItem(question, kYes), true);
    ExpectButton(shot, GetDlgItem(question, kNo), false);
  }
  WizardDriver::Click(question, kYes);
  EXPECT_EQ(setup.WaitForExit(), static_cast<DWORD>(kExitInstalled));
}
