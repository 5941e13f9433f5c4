#pragma once
#include <memory>
#include <vector>

#include "setup/framework/afx_wnd.h"
#include "setup/ui/ctl_color_table.h"

// The white brush and "宋体" fonts with which one dialog answers the platform's colour requests.
// They are made once, with the dialog object, and released with it, so repaints create nothing.
// With high contrast on, the white areas take the system's window colours instead.
class CDialogColours {
public:
  explicit CDialogColours(int dialogId);

  // Applies the dialog's look to a request the default handling answered with `defaultBrush`;
  // returns the brush to paint the control's background with.
  HBRUSH Apply(CDC* dc, CWnd* control, UINT kind, HBRUSH defaultBrush);

  // Gives the listed controls their font as well, since controls that carry a font of their own
  // select it over the one chosen during the colour request. The fonts are made again when `dpi`
  // differs from the DPI they were made for.
  void SetControlFonts(CWnd* dialog, int dpi);

  // A "宋体" font as every page text is drawn in; `height` as CreateFont takes it (pixels of the
  // character cell, or of the character itself when negative).
  static HFONT MakeFont(int height, int weight);

private:
  CFont* FontFor(const kelvamo::FontChoice& choice);
  // The table's heights are pixels at 96 DPI.
  void MakeFonts(int dpi);

  struct MadeFont {
    kelvamo::FontChoice choice;
    std::unique_ptr<CFont> font;
  };
  int m_nDialogId;
  int m_nFontDpi = 0;
  CBrush m_brushWhite;
  std::vector<MadeFont> m_fonts;
};
