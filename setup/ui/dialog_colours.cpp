#include "setup/ui/dialog_colours.h"

#include "setup/ui/dpi_scale.h"
#include "setup/ui/high_contrast.h"

using namespace kelvamo;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const BYTE kModernDefaultPitch = FF_MODERN | DEFAULT_PITCH;
const char kFontFace[] = "宋体";

}  // namespace

static_assert(kCtlColorStatic == CTLCOLOR_STATIC);

CDialogColours::CDialogColours(int dialogId) : m_nDialogId(dialogId) {
  m_brushWhite.CreateSolidBrush(kWhite);
  MakeFonts(kDesignDpi);
}

HFONT CDialogColours::MakeFont(int height, int weight) {
  return ::CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       kModernDefaultPitch, kFontFace);
}

void CDialogColours::MakeFonts(int dpi) {
  m_fonts.clear();
  m_nFontDpi = dpi;
  for (const FontChoice& choice : FontsOfDialog(m_nDialogId)) {
    auto font = std::make_unique<CFont>();
    font->Attach(MakeFont(ScaleToDpi(choice.height, dpi), choice.weight));
    m_fonts.push_back({choice, std::move(font)});
  }
}

CFont* CDialogColours::FontFor(const FontChoice& choice) {
  for (MadeFont& made : m_fonts) {
    if (made.choice == choice) return made.font.get();
  }
  return nullptr;
}

HBRUSH CDialogColours::Apply(CDC* dc, CWnd* control, UINT kind, HBRUSH defaultBrush) {
  const int controlId = control ? control->GetDlgCtrlID() : 0;
  const CtlColorStyle style = CtlColorStyleFor(m_nDialogId, controlId, kind);
  if (CFont* font = FontFor(style.font)) dc->SelectObject(font);
  if (!style.white) return defaultBrush;
  if (HighContrastOn()) {
    // The user's colours, text included: the design's white would hide light text.
    dc->SetBkColor(SystemColourOf(kContrastWhiteArea.background));
    dc->SetTextColor(SystemColourOf(kContrastWhiteArea.text));
    return SystemBrushOf(kContrastWhiteArea.background);
  }
  dc->SetBkColor(kWhite);
  return m_brushWhite;
}

void CDialogColours::SetControlFonts(CWnd* dialog, int dpi) {
  // The controls hold the old fonts until they are given the new ones, all before they repaint.
  std::vector<MadeFont> previous = std::move(m_fonts);
  if (dpi != m_nFontDpi) {
    MakeFonts(dpi);
  } else {
    m_fonts = std::move(previous);
  }
  for (int id = kFirstStyledControlId; id <= kLastStyledControlId; ++id) {
    CFont* font = FontFor(CtlColorStyleFor(m_nDialogId, id, kCtlColorStatic).font);
    HWND control = ::GetDlgItem(*dialog, id);
    if (!font || !control) continue;
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(HFONT(*font)), FALSE);
  }
}
