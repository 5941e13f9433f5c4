#include "setup/ui/wizard_button.h"

#include "setup/ui/dpi_layout.h"
#include "setup/ui/high_contrast.h"

using namespace kelvamo;

namespace {

const UINT kHoverTimeMs = 1;
const int kCaptionBufferSize = 260;

PixelRect ToPixelRect(const RECT& r) {
  return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
          static_cast<int>(r.bottom)};
}

HPEN MakePen(int width, ColourValue colour) { return ::CreatePen(PS_INSIDEFRAME, width, colour); }

}  // namespace

CWizardButton::CWizardButton() {
  MakePens(kDesignDpi);
  m_brushHover.CreateSolidBrush(kHoverBrushColour);
  m_brushNormal.CreateSolidBrush(kNormalBrushColour);
}

void CWizardButton::MakePens(int dpi) {
  m_metrics = ButtonMetricsFor(dpi, ::GetSystemMetrics(SM_CXEDGE), ::GetSystemMetrics(SM_CYEDGE));
  m_nPenDpi = dpi;
  const auto& widths = m_metrics.frameWidths;
  m_penBorder.Attach(MakePen(m_metrics.borderWidth, kBorderPen.colour));
  CPen* hot[kFrameLineCount] = {&m_penHotLeft, &m_penHotRight, &m_penHotTop, &m_penHotBottom};
  CPen* focus[kFrameLineCount] = {&m_penFocusLeft, &m_penFocusRight, &m_penFocusTop,
                                  &m_penFocusBottom};
  for (int line = 0; line < kFrameLineCount; ++line) {
    hot[line]->Attach(MakePen(widths[line], kHotFramePens[line].colour));
    focus[line]->Attach(MakePen(widths[line], kFocusFramePens[line].colour));
  }
}

void CWizardButton::PreSubclassWindow() {
  CButton::PreSubclassWindow();
  ModifyStyle(0, BS_OWNERDRAW);
}

void CWizardButton::DrawItem(DRAWITEMSTRUCT* item) {
  const int dpi = WindowDpi(m_hWnd);
  if (dpi != m_nPenDpi) MakePens(dpi);
  CDC* dc = CDC::FromHandle(item->hDC);
  const int saved = dc->SaveDC();

  char caption[kCaptionBufferSize] = "";
  ::GetWindowTextA(m_hWnd, caption, kCaptionBufferSize);
  const PaintFlags flags = PaintFlagsFrom(item->itemState);
  m_bFocused = flags.focused;
  m_bActive = flags.active;
  const PixelRect innerPixels =
      InnerRect(ToPixelRect(item->rcItem), m_metrics.edgeX, m_metrics.edgeY);

  if (HighContrastOn()) {
    DrawInContrast(dc, item->rcItem, innerPixels, flags);
    dc->SetTextColor(SystemColourOf(ButtonContrastFor(flags.disabled).text));
    DrawCaption(dc, innerPixels, caption, flags.pressed, kDrawPrefixText);
    dc->RestoreDC(saved);
    return;
  }

  // The outline's interior takes the context's own brush (white in a fresh context).
  CPen* previousPen = dc->SelectObject(&m_penBorder);
  dc->RoundRect(item->rcItem, POINT{m_metrics.corner, m_metrics.corner});
  dc->SelectObject(previousPen);

  const RECT inner = {innerPixels.left, innerPixels.top, innerPixels.right, innerPixels.bottom};
  CBrush* previousBrush = dc->SelectObject(m_pointer.IsHot() ? &m_brushHover : &m_brushNormal);
  FillGradient(dc, &inner);
  if (m_pointer.IsHot() || m_bFocused) DrawInnerFrame(dc, &inner);
  dc->SelectObject(previousBrush);

  DrawCaption(dc, innerPixels, caption, flags.pressed, CaptionDrawFlags(flags.disabled));
  dc->RestoreDC(saved);
}

void CWizardButton::DrawCaption(CDC* dc, const PixelRect& inner, const char* caption, bool pressed,
                                UINT drawFlags) {
  CFont* font = CFont::FromHandle(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
  CFont* previousFont = font ? dc->SelectObject(font) : nullptr;
  const SIZE extent = dc->GetTextExtent(caption, ::lstrlenA(caption));
  const PixelPoint at = CaptionOrigin(inner, extent.cx, extent.cy, pressed, m_metrics.step);
  const int previousMode = dc->SetBkMode(TRANSPARENT);
  dc->DrawState(POINT{at.x, at.y}, extent, caption, drawFlags);
  if (previousFont) dc->SelectObject(previousFont);
  dc->SetBkMode(previousMode);
}

void CWizardButton::DrawInContrast(CDC* dc, const RECT& item, const PixelRect& inner,
                                   const PaintFlags& flags) {
  // No gradient and none of the design's tints: the face, outline and frame in the user's colours.
  const ButtonContrast colours = ButtonContrastFor(flags.disabled);
  CPen outline(PS_INSIDEFRAME, m_metrics.borderWidth, SystemColourOf(colours.outline));
  CGdiObject* previousPen = dc->SelectObject(&outline);
  CGdiObject* previousBrush = dc->SelectObject(CGdiObject::FromHandle(SystemBrushOf(colours.face)));
  dc->RoundRect(item, POINT{m_metrics.corner, m_metrics.corner});
  const ButtonLook look = LookFor(m_pointer.IsHot(), m_bFocused, m_bActive);
  if (look.frame != FrameColours::None) {
    const auto segments = InnerFrameSegments(inner, m_metrics.step);
    for (int line = kFrameLeft; line < kFrameLineCount; ++line) {
      CPen pen(PS_INSIDEFRAME, m_metrics.frameWidths[line], SystemColourOf(colours.frame));
      dc->SelectObject(&pen);
      dc->MoveTo(segments[line].from.x, segments[line].from.y);
      dc->LineTo(segments[line].to.x, segments[line].to.y);
      dc->SelectObject(&outline);
    }
  }
  dc->SelectObject(previousPen);
  dc->SelectObject(previousBrush);
  if (look.focusRect) dc->DrawFocusRect({inner.left, inner.top, inner.right, inner.bottom});
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
  const auto segments = InnerFrameSegments(ToPixelRect(*inner), m_metrics.step);

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
