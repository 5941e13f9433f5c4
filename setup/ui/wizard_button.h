#pragma once
#include "setup/framework/afx_controls.h"
#include "setup/ui/button_look.h"
#include "setup/ui/pointer_tracker.h"

// The wizard's navigation buttons and the exit question's Yes and No: a rounded outline, a vertical
// gradient, an orange inner frame while the pointer rests on the button or a blue one with the
// focus rectangle while it has the focus, and the caption nudged while pressed. With high contrast
// on it takes the system's button colours instead. Clicks, enabling and captions work as for any
// push button.
class CWizardButton : public CButton {
public:
  CWizardButton();

  void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
  void PreSubclassWindow() override;
  virtual void FillGradient(CDC* dc, const RECT* inner);
  virtual void DrawInnerFrame(CDC* dc, const RECT* inner);

  void OnMouseMove(UINT flags, POINT point);
  LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);

  BEGIN_MSG_MAP(CWizardButton, CButton)
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
    ON_MESSAGE(WM_MOUSEHOVER, OnMouseHover)
  END_MSG_MAP()

private:
  // Makes the pens at the widths of `dpi`.
  void MakePens(int dpi);
  // The caption centred in `inner`, nudged while pressed, in the context's text colour.
  void DrawCaption(CDC* dc, const kelvamo::PixelRect& inner, const char* caption, bool pressed,
                   UINT drawFlags);
  // Outline, face and frame in the system's colours, for high contrast.
  void DrawInContrast(CDC* dc, const RECT& item, const kelvamo::PixelRect& inner,
                      const kelvamo::PaintFlags& flags);

  CPen m_penBorder;
  CPen m_penHotLeft;
  CPen m_penHotRight;
  CPen m_penHotTop;
  CPen m_penHotBottom;
  CPen m_penFocusLeft;
  CPen m_penFocusRight;
  CPen m_penFocusTop;
  CPen m_penFocusBottom;
  CBrush m_brushHover;
  CBrush m_brushNormal;
  kelvamo::PointerTracker m_pointer;  // hover and notice-request flags
  int m_bFocused = 0;  // the last paint had the keyboard focus
  int m_bActive = 0;   // the last paint was focused, pressed or the default item
  int m_nPenDpi = 0;   // the DPI the pens were made for
  kelvamo::ButtonMetrics m_metrics{};  // sizes at that DPI
};
