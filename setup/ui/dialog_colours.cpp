#include "setup/ui/dialog_colours.h"

using namespace kelvamo;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const BYTE kModernDefaultPitch = FF_MODERN | DEFAULT_PITCH;
const char kFontFace[] = "宋体";

}  // namespace

static_assert(kCtlColorStatic == CTLCOLOR_STATIC);

CDialogColours::CDialogColours(int dialogId) : m_nDialogId(dialogId) {
  m_brushWhite.CreateSolidBrush(kWhite);
  for (const FontChoice& choice : FontsOfDialog(dialogId)) {
    auto font = std::make_unique<CFont>();
    font->Attach(::CreateFontA(choice.height, 0, 0, 0, choice.weight, FALSE, FALSE, FALSE,
                               DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, kModernDefaultPitch, kFontFace));
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
  dc->SetBkColor(kWhite);
  return m_brushWhite;
}

void CDialogColours::SetControlFonts(CWnd* dialog) {
  for (int id = kFirstStyledControlId; id <= kLastStyledControlId; ++id) {
    CFont* font = FontFor(CtlColorStyleFor(m_nDialogId, id, kCtlColorStatic).font);
    HWND control = ::GetDlgItem(*dialog, id);
    if (!font || !control) continue;
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(HFONT(*font)), FALSE);
  }
}
