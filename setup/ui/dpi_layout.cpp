#include "setup/ui/dpi_layout.h"

#include <cwchar>

#include "setup/res/resource.h"

using namespace kelvamo;

namespace {

const int kPointsPerInch = 72;
const int kSystemFontPoints = 10;
const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// GetDpiForWindow is missing on Windows XP to 8.1; a failed lookup falls back to the screen.
using DpiForWindow = UINT(WINAPI*)(HWND);

int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

RECT ToRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

bool IsSystemFont(const DialogTemplate& dialog) {
  return dialog.pointSize == 0 || dialog.face == u"System";
}

// The base units the dialog manager finds for the template's font at 96 DPI, measured as it
// measures them.
BaseUnits BaseUnitsAt96(const DialogTemplate& dialog) {
  if (dialog.pointSize == 0) return kSystemFontBaseUnits96;
  std::wstring face(dialog.face.begin(), dialog.face.end());
  HFONT font = ::CreateFontW(-::MulDiv(dialog.pointSize, kDesignDpi, kPointsPerInch), 0, 0, 0,
                             FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_DONTCARE, face.c_str());
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ previous = ::SelectObject(screen, font);
  TEXTMETRICW metrics = {};
  SIZE alphabet = {};
  const bool measured = ::GetTextMetricsW(screen, &metrics) &&
                        ::GetTextExtentPoint32W(screen, kAlphabet, 52, &alphabet);
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  ::DeleteObject(font);
  if (!measured) return kSystemFontBaseUnits96;
  return {static_cast<int>((alphabet.cx / 26 + 1) / 2), static_cast<int>(metrics.tmHeight)};
}

std::optional<DialogTemplate> LoadTemplate(int templateId) {
  HINSTANCE module = AfxGetResourceHandle();
  HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));
  HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes) return std::nullopt;
  return ReadDialogTemplate(static_cast<const std::uint8_t*>(bytes), ::SizeofResource(module, found));
}

// The larger drawing of each picture, where the build made one.
int LargeArtworkOf(int bitmapId) {
  switch (bitmapId) {
    case IDB_BANNER: return IDB_BANNER_2X;
    case IDB_HEADER: return IDB_HEADER_2X;
    case IDB_QUESTION: return IDB_QUESTION_2X;
    default: return bitmapId;
  }
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP facts = {};
  if (!bitmap || !::GetObjectA(bitmap, sizeof(facts), &facts)) return {0, 0};
  return {facts.bmWidth, facts.bmHeight};
}

// A copy of `source` at width by height, averaged rather than sampled.
HBITMAP Shrunk(HBITMAP source, SIZE size) {
  const SIZE from = BitmapSize(source);
  HDC screen = ::GetDC(nullptr);
  HDC in = ::CreateCompatibleDC(screen);
  HDC out = ::CreateCompatibleDC(screen);
  HBITMAP result = ::CreateCompatibleBitmap(screen, size.cx, size.cy);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ previousIn = ::SelectObject(in, source);
  HGDIOBJ previousOut = ::SelectObject(out, result);
  ::SetStretchBltMode(out, HALFTONE);
  ::SetBrushOrgEx(out, 0, 0, nullptr);
  const bool drawn =
      ::StretchBlt(out, 0, 0, size.cx, size.cy, in, 0, 0, from.cx, from.cy, SRCCOPY) != 0;
  ::SelectObject(in, previousIn);
  ::SelectObject(out, previousOut);
  ::DeleteDC(in);
  ::DeleteDC(out);
  if (drawn) return result;
  ::DeleteObject(result);
  return nullptr;
}

}  // namespace

int WindowDpi(HWND window) {
  static const auto forWindow = reinterpret_cast<DpiForWindow>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  const int dpi = forWindow ? static_cast<int>(forWindow(window)) : 0;
  return dpi > 0 ? dpi : ScreenDpi();
}

CDpiLayout::CDpiLayout(int templateId, CDialogColours* colours)
    : m_nTemplateId(templateId), m_pColours(colours) {}

bool CDpiLayout::FollowDpiChange(CWnd* dialog, WPARAM wParam, LPARAM lParam) {
  const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
  ::SetWindowPos(*dialog, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  const bool placed = Apply(dialog, HIWORD(wParam));
  ::RedrawWindow(*dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return placed;
}

bool CDpiLayout::Apply(CWnd* dialog, int dpi) {
  if (!m_bControlsFound) {
    for (HWND child = ::GetWindow(*dialog, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      m_controls.push_back(child);
    }
    m_bControlsFound = true;
  }
  const bool placed = Place(dialog, dpi);
  // After the stand-in font, so the styled texts keep their own.
  if (m_pColours) m_pColours->SetControlFonts(dialog, dpi);
  return placed;
}

bool CDpiLayout::Place(CWnd* dialog, int dpi) {
  if (dpi == m_nDpi) return true;
  const std::optional<DialogTemplate> layout = LoadTemplate(m_nTemplateId);
  if (!layout || layout->items.size() != m_controls.size()) return false;
  m_nDpi = dpi;
  const BaseUnits units = BaseUnitsAt96(*layout);
  if (IsSystemFont(*layout)) {
    const int points = layout->pointSize ? layout->pointSize : kSystemFontPoints;
    m_systemStandIn.Attach(
        CDialogColours::MakeFont(-::MulDiv(points, dpi, kPointsPerInch), FW_NORMAL));
    for (HWND control : m_controls) {
      ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(HFONT(m_systemStandIn)), FALSE);
    }
  }
  bool placed = true;
  for (size_t i = 0; i < m_controls.size(); ++i) {
    const DialogItem& item = layout->items[i];
    if (item.bitmapId) {
      placed = PlacePicture(m_controls[i], item.bitmapId, ItemPixels(item, units), dpi) && placed;
      continue;
    }
    const RECT rect = ToRect(ScaleRectToDpi(ItemPixels(item, units), dpi));
    ::MoveWindow(m_controls[i], rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, TRUE);
  }
  if (::GetWindowLongA(*dialog, GWL_STYLE) & WS_CHILD) return placed;
  // A top-level dialog keeps its frame and takes the scaled client area.
  const PixelRect client96 = ItemPixels({0, 0, 0, layout->cx, layout->cy, 0}, units);
  const PixelRect client = ScaleRectToDpi(client96, dpi);
  RECT window, now;
  dialog->GetWindowRect(&window);
  dialog->GetClientRect(&now);
  ::SetWindowPos(*dialog, nullptr, 0, 0,
                 window.right - window.left + client.right - now.right,
                 window.bottom - window.top + client.bottom - now.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return placed;
}

bool CDpiLayout::PlacePicture(HWND control, int bitmapId, PixelRect rect96, int dpi) {
  HINSTANCE module = AfxGetResourceHandle();
  HBITMAP design = ::LoadBitmapA(module, MAKEINTRESOURCEA(bitmapId));
  const SIZE size96 = BitmapSize(design);
  // The picture control takes its picture's size at 96 DPI.
  rect96.right = rect96.left + size96.cx;
  rect96.bottom = rect96.top + size96.cy;
  const PixelRect rect = ScaleRectToDpi(rect96, dpi);
  ::MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
  HBITMAP source = design;
  if (ArtworkScaleFor(dpi) > 1) {
    if (HBITMAP large = ::LoadBitmapA(module, MAKEINTRESOURCEA(LargeArtworkOf(bitmapId)))) {
      ::DeleteObject(design);
      source = large;
    }
  }
  HBITMAP picture = Shrunk(source, {rect.right - rect.left, rect.bottom - rect.top});
  ::DeleteObject(source);
  if (!picture) return false;
  auto owned = std::make_unique<CGdiObject>();
  owned->Attach(picture);
  HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(
      ::SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture)));
  // The control let go of its previous picture: ours is released with the layout, the one it
  // loaded from the template is released here.
  bool ours = false;
  for (auto it = m_pictures.begin(); it != m_pictures.end(); ++it) {
    if ((*it)->GetSafeHandle() == previous) {
      m_pictures.erase(it);
      ours = true;
      break;
    }
  }
  if (!ours && previous) ::DeleteObject(previous);
  m_pictures.push_back(std::move(owned));
  return true;
}
