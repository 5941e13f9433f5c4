#include "setup/ui/wizard_button.h"

#include "setup/ui/button_look.h"

using namespace kelvamo;

namespace {

const UINT kHoverTimeMs = 1;
const int kCaptionBufferSize = 260;

PixelRect ToPixelRect(const RECT& r) {
  return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
          static_cast<int>(r.bottom)};
}

HPEN MakePen(const PenStyle& pen) { return ::CreatePen(PS_INSIDEFRAME, pen.width, pen.colour); }

}  // namespace

CWizardButton::CWizardButton() {
  m_penBorder.Attach(MakePen(kBorderPen));
  m_penHotLeft.Attach(MakePen(kHotFramePens[kFrameLeft]));
  m_penHotRight.Attach(MakePen(kHotFramePens[kFrameRight]));
  m_penHotTop.Attach(MakePen(kHotFramePens[kFrameTop]));
  m_penHotBottom.Attach(MakePen(kHotFramePens[kFrameBottom]));
  m_penFocusLeft.Attach(MakePen(kFocusFramePens[kFrameLeft]));
  m_penFocusRight.Attach(MakePen(kFocusFramePens[kFrameRight]));
  m_penFocusTop.Attach(MakePen(kFocusFramePens[kFrameTop]));
  m_penFocusBottom.Attach(MakePen(kFocusFramePens[kFrameBottom]));
  m_brushHover.CreateSolidBrush(kHoverBrushColour);
  m_brushNormal.CreateSolidBrush(kNormalBrushColour);
}

void CWizardButton::PreSubclassWindow() {
  CButton::PreSubclassWindow();
  ModifyStyle(0, BS_OWNERDRAW);
}

void CWizardButton::DrawItem(DRAWITEMSTRUCT* item) {
  CDC* dc = CDC::FromHandle(item->hDC);
  const int saved = dc->SaveDC();

  char caption[kCaptionBufferSize] = "";
  ::GetWindowTextA(m_hWnd, caption, kCaptionBufferSize);

  // The outline's interior takes the context's own brush (white in a fresh context).
  CPen* previousPen = dc->SelectObject(&m_penBorder);
  dc->RoundRect(item->rcItem, POINT{kOutlineCorner, kOutlineCorner});
  dc->SelectObject(previousPen);

  const PaintFlags flags = PaintFlagsFrom(item->itemState);
  m_bFocused = flags.focused;
  m_bActive = flags.active;

  const PixelRect innerPixels = InnerRect(ToPixelRect(item->rcItem), ::GetSystemMetrics(SM_CXEDGE),
                                          ::GetSystemMetrics(SM_CYEDGE));
  const RECT inner = {innerPixels.left, innerPixels.top, innerPixels.right, innerPixels.bottom};
  CBrush* previousBrush = dc->SelectObject(m_pointer.IsHot() ? &m_brushHover : &m_brushNormal);
  FillGradient(dc, &inner);
  if (m_pointer.IsHot() || m_bFocused) DrawInnerFrame(dc, &inner);
  dc->SelectObject(previousBrush);

  CFont* font = CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
  CFont* previousFont = font ? dc->SelectObject(font) : nullptr;
  const SIZE extent = dc->GetTextExtent(caption, ::lstrlenA(caption));
  const PixelPoint at = CaptionOrigin(innerPixels, extent.cx, extent.cy, flags.pressed);
  const int previousMode = dc->SetBkMode(TRANSPARENT);
  dc->DrawState(POINT{at.x, at.y}, extent, caption, CaptionDrawFlags(flags.disabled));
  if (previousFont) dc->SelectObject(previousFont);
  dc->SetBkMode(previousMode);
  dc->RestoreDC(saved);
}

void CWizardButton::FillGradient(CDC* dc, const RECT* inner) {
  const ButtonLook look = LookFor(m_pointer.IsHot(), m_bFocused, m_bActive);
  const GradientRows rows = GradientRowsFor(ToPixelRect(*inner));
  const int innerHeight = inner->bottom - inner->top;
  for (int y = rows.firstRow; y <= rows.lastRow; ++y) {
    CBrush shade(GradientShade(look.shadeHover, look.shadeActive, ShadeForRow(y, innerHeight)));
    RECT row;
    ::SetRect(&row, rows.left, y, rows.right, y + 1);
    dc->FillRect(row, &shade);
  }
}

void CWizardButton::DrawInnerFrame(CDC* dc, const RECT* inner) {
  const ButtonLook look = LookFor(m_pointer.IsHot(), m_bFocused, m_bActive);
  const bool focusSet = look.frame == FrameColours::Focus;
  CPen* pens[kFrameLineCount] = {
      focusSet ? &m_penFocusLeft : &m_penHotLeft, focusSet ? &m_penFocusRight : &m_penHotRight,
      focusSet ? &m_penFocusTop : &m_penHotTop, focusSet ? &m_penFocusBottom : &m_penHotBottom};
  const auto segments = InnerFrameSegments(ToPixelRect(*inner));

  CPen* previousPen = dc->SelectObject(pens[kFrameLeft]);
  const PixelPoint start = segments[kFrameLeft].from;
  const POINT previousPosition = dc->MoveTo(start.x, start.y);
  for (int line = kFrameLeft; line < kFrameLineCount; ++line) {
    dc->SelectObject(pens[line]);
    dc->MoveTo(segments[line].from.x, segments[line].from.y);
    dc->LineTo(segments[line].to.x, segments[line].to.y);
  }
  dc->SelectObject(previousPen);
  dc->MoveTo(previousPosition.x, previousPosition.y);

  if (look.focusRect) dc->DrawFocusRect(*inner);
}

void CWizardButton::OnMouseMove(UINT /*flags*/, POINT /*point*/) {
  if (m_pointer.WantsNotices()) {
    TRACKMOUSEEVENT request = {sizeof(request), TME_HOVER | TME_LEAVE, m_hWnd, kHoverTimeMs};
    m_pointer.NoticesRequested(::_TrackMouseEvent(&request));
  }
  Default();
}

LRESULT CWizardButton::OnMouseHover(WPARAM /*wParam*/, LPARAM /*lParam*/) {
  InvalidateRect(nullptr, m_pointer.OnHoverNotice() == Repaint::WithErase);
  return 0;
}

LRESULT CWizardButton::OnMouseLeave(WPARAM /*wParam*/, LPARAM /*lParam*/) {
  InvalidateRect(nullptr, m_pointer.OnLeaveNotice() == Repaint::WithErase);
  return 0;
}
