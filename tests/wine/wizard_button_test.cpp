#include "setup/ui/wizard_button.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/wine/gdi_probe.h"
#include "setup/ui/button_look.h"

using namespace kelvamo;

namespace {

const int kWidth = 75;
const int kHeight = 21;
const int kButtonId = 1000;
const COLORREF kSentinel = RGB(255, 0, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
// Shades of rows 2 to 19 of the 75 x 21 example (h = 17); rows 18 and 19 repeat the last.
const int kExampleShades[] = {7,  11, 14, 18, 22, 25, 29, 33, 37,
                              40, 44, 48, 51, 55, 59, 63, 63, 63};

// A top-level window holding one push button bound to a CWizardButton; shown only where the
// pointer must reach it (mapping a window on the display takes a while).
class ButtonHost {
public:
  explicit ButtonHost(const char* caption, bool visible = false) {
    const DWORD style = WS_POPUP | (visible ? WS_VISIBLE : 0);
    m_host = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "", style, 100, 100, 200, 80,
                             nullptr, nullptr, nullptr, nullptr);
    m_hButton = CreateWindowExA(0, "BUTTON", caption, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10,
                                kWidth, kHeight, m_host, reinterpret_cast<HMENU>(kButtonId),
                                nullptr, nullptr);
    m_hostWnd.SubclassWindow(m_host);
    button.SubclassWindow(m_hButton);
  }
  ~ButtonHost() { DestroyWindow(m_host); }

  // Paints the button as the platform requests it, through the parent, into `canvas`.
  void Paint(MemoryCanvas& canvas, UINT itemState) {
    canvas.Fill(kSentinel);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = kButtonId;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = itemState;
    item.hwndItem = m_hButton;
    item.hDC = canvas.dc();
    item.rcItem = {0, 0, kWidth, kHeight};
    SendMessageA(m_host, WM_DRAWITEM, kButtonId, reinterpret_cast<LPARAM>(&item));
  }
  POINT ScreenCentre() const {
    RECT r;
    GetWindowRect(m_hButton, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  HWND hwnd() const { return m_hButton; }

  CWizardButton button;

private:
  CWnd m_hostWnd;  // reflects the owner-draw request to the button
  HWND m_host;
  HWND m_hButton;
};

void Hover(ButtonHost& host, bool on) {
  SendMessageA(host.hwnd(), on ? WM_MOUSEHOVER : WM_MOUSELEAVE, 0, 0);
}

COLORREF ExpectedShade(bool hover, bool active, int row) {
  return GradientShade(hover, active, kExampleShades[row - 2]);
}

// Pumps messages until `done` holds or about `ms` milliseconds have passed.
template <typename Done>
bool PumpUntil(Done done, int ms = 1000) {
  for (int i = 0; i < ms / 10; ++i) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (done()) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace

TEST(WizardButton, BecomesOwnerDrawnWithARoundedBlackOutline) {
  ButtonHost host("");
  EXPECT_EQ(GetWindowLongA(host.hwnd(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_EQ(GetWindowLongA(host.hwnd(), GWL_STYLE) & WS_TABSTOP, 0);  // nothing else added

  MemoryCanvas canvas(kWidth, kHeight);
  host.Paint(canvas, 0);
  for (POINT edge : {POINT{37, 0}, POINT{0, 10}, POINT{74, 10}, POINT{37, 20}}) {
    EXPECT_EQ(canvas.Pixel(edge.x, edge.y), kBlack) << edge.x << "," << edge.y;
  }
  for (POINT corner : {POINT{0, 0}, POINT{74, 0}, POINT{0, 20}, POINT{74, 20}}) {
    EXPECT_EQ(canvas.Pixel(corner.x, corner.y), kSentinel) << corner.x << "," << corner.y;
  }
  // Between outline and inner rectangle the outline's white interior shows.
  EXPECT_EQ(canvas.Pixel(37, 1), kWhite);
  EXPECT_EQ(canvas.Pixel(1, 10), kWhite);
  EXPECT_EQ(canvas.Pixel(73, 10), kWhite);
}

TEST(WizardButton, GradientRowByRowInEachState) {
  const struct {
    const char* name;
    bool hover;
    UINT itemState;
    bool active;
    int firstRow, lastRow;  // rows clear of the inner frame
  } states[] = {
      {"plain", false, 0, false, 2, 19},
      {"default item", false, ODS_DEFAULT, true, 2, 19},
      {"pressed", false, ODS_SELECTED, true, 2, 19},
      {"hover", true, 0, false, 4, 17},
      {"hover pressed", true, ODS_SELECTED, true, 4, 17},
      {"disabled", false, ODS_DISABLED, false, 2, 19},
  };
  ButtonHost host("");
  MemoryCanvas canvas(kWidth, kHeight);
  for (const auto& state : states) {
    SCOPED_TRACE(state.name);
    Hover(host, state.hover);
    host.Paint(canvas, state.itemState);
    for (int y = state.firstRow; y <= state.lastRow; ++y) {
      const COLORREF shade = ExpectedShade(state.hover, state.active, y);
      EXPECT_EQ(canvas.Pixel(20, y), shade) << "row " << y;
      if (!state.hover) {
        EXPECT_EQ(canvas.Pixel(2, y), shade) << "row " << y;
        EXPECT_EQ(canvas.Pixel(72, y), shade) << "row " << y;
      }
    }
  }
  Hover(host, false);
}

TEST(WizardButton, InnerFrameColoursAndFocusRectangle) {
  const COLORREF orange[] = {RGB(250, 196, 88), RGB(251, 202, 106), RGB(252, 210, 121),
                             RGB(229, 151, 0)};
  const COLORREF blue[] = {RGB(153, 198, 252), RGB(162, 189, 252), RGB(162, 201, 255),
                           RGB(162, 201, 255)};
  const POINT lineMiddles[] = {{2, 10}, {72, 10}, {37, 2}, {37, 19}};  // left, right, top, bottom
  const RECT inner = {2, 2, 73, 19};
  const struct {
    const char* name;
    bool hover;
    UINT itemState;
    bool active;
    const COLORREF* frame;  // null: no frame
    bool focusRect;
  } states[] = {
      {"plain", false, 0, false, nullptr, false},
      {"pressed", false, ODS_SELECTED, true, nullptr, false},
      {"focused", false, ODS_FOCUS, true, blue, true},
      {"focused default", false, ODS_FOCUS | ODS_DEFAULT, true, blue, true},
      {"hover", true, 0, false, orange, false},
      {"hover and focused", true, ODS_FOCUS, true, orange, false},
      {"hover, focused, pressed", true, ODS_FOCUS | ODS_SELECTED, true, orange, false},
  };
  ButtonHost host("");
  MemoryCanvas painted(kWidth, kHeight);
  MemoryCanvas inverted(kWidth, kHeight);
  for (const auto& state : states) {
    SCOPED_TRACE(state.name);
    Hover(host, state.hover);
    host.Paint(painted, state.itemState);
    host.Paint(inverted, state.itemState);
    DrawFocusRect(inverted.dc(), &inner);

    // The dotted rectangle inverts every other border pixel: light colours turn dark. Down the left
    // line, away from the corners, only inverted pixels are dark.
    bool dotted = false;
    for (int y = 4; y <= 16; ++y) {
      const COLORREF c = painted.Pixel(2, y);
      dotted |= GetRValue(c) + GetGValue(c) + GetBValue(c) < 384;
    }
    EXPECT_EQ(dotted, state.focusRect);

    // Inverting once more removes a drawn focus rectangle and leaves the clean frame.
    const MemoryCanvas& clean = dotted ? inverted : painted;
    for (int line = 0; line < 4; ++line) {
      const POINT at = lineMiddles[line];
      const COLORREF expected = state.frame ? state.frame[line]
                                            : ExpectedShade(false, state.active, at.y);
      EXPECT_EQ(clean.Pixel(at.x, at.y), expected) << "line " << line;
    }
  }
  Hover(host, false);
}

TEST(WizardButton, CaptionCentredNudgedWhilePressedEmbossedWhenDisabled) {
  ButtonHost host("完成(F)");
  // Not antialiased, so the caption's ink is exactly the text colour whatever font stands in.
  HFONT font = CreateFontA(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                           NONANTIALIASED_QUALITY, 0, "宋体");
  SendMessageA(host.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  MemoryCanvas canvas(kWidth, kHeight);
  HGDIOBJ previous = SelectObject(canvas.dc(), font);
  SIZE extent;
  GetTextExtentPoint32A(canvas.dc(), "完成(F)", lstrlenA("完成(F)"), &extent);
  SelectObject(canvas.dc(), previous);
  const int x = (2 + 73) / 2 - extent.cx / 2;
  const int y = (2 + 19) / 2 - extent.cy / 2;

  // Box around the dark (text) pixels of the inner rectangle.
  auto textBox = [&](COLORREF ink) {
    RECT box = {kWidth, kHeight, -1, -1};
    for (int py = 2; py < 19; ++py) {
      for (int px = 2; px < 73; ++px) {
        if (canvas.Pixel(px, py) != ink) continue;
        box = {std::min<LONG>(box.left, px), std::min<LONG>(box.top, py),
               std::max<LONG>(box.right, px + 1), std::max<LONG>(box.bottom, py + 1)};
      }
    }
    return box;
  };

  host.Paint(canvas, 0);
  const RECT up = textBox(kBlack);
  ASSERT_LT(up.left, up.right) << "no caption drawn";
  EXPECT_GE(up.left, x);
  EXPECT_GE(up.top, y);
  EXPECT_LE(up.right, x + extent.cx);
  EXPECT_LE(up.bottom, y + extent.cy);

  host.Paint(canvas, ODS_SELECTED);
  const RECT down = textBox(kBlack);
  EXPECT_EQ(down.left, up.left + 1);
  EXPECT_EQ(down.top, up.top + 1);
  EXPECT_EQ(down.right, up.right + 1);
  EXPECT_EQ(down.bottom, up.bottom + 1);

  host.Paint(canvas, ODS_DISABLED);
  EXPECT_GT(textBox(kBlack).left, textBox(kBlack).right) << "disabled caption drawn in black";
  const RECT shadow = textBox(GetSysColor(COLOR_3DSHADOW));
  EXPECT_LT(shadow.left, shadow.right) << "no embossed caption";
  DeleteObject(font);
}

TEST(WizardButton, PointerStateFollowsMouseMessages) {
  ButtonHost host("", true);
  MemoryCanvas canvas(kWidth, kHeight);
  auto leftFrameColour = [&] {
    host.Paint(canvas, 0);
    return canvas.Pixel(2, 10);
  };
  const COLORREF plain = ExpectedShade(false, false, 10);
  const COLORREF hot = RGB(250, 196, 88);
  EXPECT_EQ(leftFrameColour(), plain);

  // The platform's own notices: the pointer rests on the button, then leaves it.
  SetCursorPos(5, 5);
  PumpUntil([] { return false; }, 100);
  const POINT centre = host.ScreenCentre();
  SetCursorPos(centre.x, centre.y);
  SendMessageA(host.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(37, 10));
  EXPECT_TRUE(PumpUntil([&] { return leftFrameColour() == hot; })) << "no hover notice";
  SetCursorPos(5, 5);
  EXPECT_TRUE(PumpUntil([&] { return leftFrameColour() == plain; })) << "no leave notice";

  // Notices as messages: hover, leave, and a leave without hover.
  Hover(host, true);
  EXPECT_EQ(leftFrameColour(), hot);
  SendMessageA(host.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(37, 10));  // hot stays hot
  EXPECT_EQ(leftFrameColour(), hot);
  Hover(host, false);
  EXPECT_EQ(leftFrameColour(), plain);
  Hover(host, false);
  EXPECT_EQ(leftFrameColour(), plain);
  PumpUntil([] { return false; }, 100);
}

TEST(WizardButton, NoGdiObjectGrowthOverAThousandRepaints) {
  ButtonHost host("完成(F)");
  MemoryCanvas canvas(kWidth, kHeight);
  const UINT states[] = {0, ODS_FOCUS, ODS_SELECTED | ODS_FOCUS, ODS_DISABLED, ODS_DEFAULT};
  // The platform keeps a few objects of its own once a state has been drawn.
  for (int i = 0; i < 15; ++i) {
    Hover(host, i % 3 == 0);
    host.Paint(canvas, states[i % 5]);
  }
  const int before = CountGdiObjects();
  for (int i = 0; i < 1000; ++i) {
    Hover(host, i % 3 == 0);
    host.Paint(canvas, states[i % 5]);
  }
  EXPECT_EQ(CountGdiObjects(), before);
}
