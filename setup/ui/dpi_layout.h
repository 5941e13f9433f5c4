#pragma once
#include <memory>
#include <vector>

#include "setup/framework/afx.h"
#include "setup/ui/dialog_colours.h"
#include "setup/ui/dpi_scale.h"

// Sent to a top-level window that moved to a monitor of another DPI (Windows 8.1 and later).
constexpr UINT kWmDpiChanged = 0x02E0;

// The DPI a window is drawn at: GetDpiForWindow where user32 has it (Windows 10 1607 and later),
// else the screen's logical pixels per inch.
int WindowDpi(HWND window);

// Keeps a dialog made from its template laid out as at 96 DPI, scaled to another DPI: every
// control at its 96-DPI rectangle scaled, each picture redrawn smoothly at its control's new size,
// a top-level dialog's client area scaled too, and the dialog's own fonts (`colours`) made for the
// DPI. A dialog made at 96 DPI is left as the dialog manager laid it out. Texts of a template in
// the System font, which keeps its 96-DPI size, take "宋体" at the System font's scaled height.
class CDpiLayout {
public:
  explicit CDpiLayout(int templateId, CDialogColours* colours = nullptr);

  // The first call must come while the controls are as the dialog manager made them (from
  // OnInitDialog), since later calls find them by the order it made them in.
  bool Apply(CWnd* dialog, int dpi);
  // WM_DPICHANGED: takes the rectangle the system suggests, then lays the dialog out again.
  bool FollowDpiChange(CWnd* dialog, WPARAM wParam, LPARAM lParam);
  // The DPI the controls were last laid out for.
  int Dpi() const { return m_nDpi; }

private:
  bool Place(CWnd* dialog, int dpi);
  bool PlacePicture(HWND control, int bitmapId, kelvamo::PixelRect rect96, int dpi);

  int m_nTemplateId;
  CDialogColours* m_pColours;
  int m_nDpi = kelvamo::kDesignDpi;
  bool m_bControlsFound = false;
  std::vector<HWND> m_controls;  // in the template's order
  std::vector<std::unique_ptr<CGdiObject>> m_pictures;
  CFont m_systemStandIn;  // for the System font, which does not grow with the DPI
};
