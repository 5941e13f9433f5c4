#include "setup/framework/afx_wnd.h"

#include <string>

#include "setup/framework/afx_temp.h"

namespace {

// The property that ties a window to its object.
const char kObjectProperty[] = "Kelvamo.CWnd";

}  // namespace

CWnd::~CWnd() { Unsubclass(); }

CWnd* CWnd::FromHandlePermanent(HWND window) {
  return window ? static_cast<CWnd*>(::GetPropA(window, kObjectProperty)) : nullptr;
}

CWnd* CWnd::FromHandle(HWND window) {
  if (!window) return nullptr;
  if (CWnd* permanent = FromHandlePermanent(window)) return permanent;
  return afx_temp::For<CWnd>(window);
}

bool CWnd::SubclassWindow(HWND window) {
  if (!window || m_hWnd || FromHandlePermanent(window)) return false;
  m_hWnd = window;
  PreSubclassWindow();
  ::SetPropA(window, kObjectProperty, this);
  m_pfnSuper = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
      window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
  return true;
}

void CWnd::Unsubclass() {
  if (!m_hWnd || !m_pfnSuper) return;
  ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  ::RemovePropA(m_hWnd, kObjectProperty);
  m_pfnSuper = nullptr;
  m_hWnd = nullptr;
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* self = FromHandlePermanent(window);
  if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
  afx_temp::MessageScope scope;
  const Message outer = self->m_current;
  self->m_current = {message, wParam, lParam};
  const LRESULT result = self->WindowProc(message, wParam, lParam);
  self->m_current = outer;
  if (message == WM_NCDESTROY) self->Unsubclass();
  return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (message == WM_GETOBJECT && m_pAccessibility &&
      m_pAccessibility->Answer(m_hWnd, wParam, lParam, result)) {
    return result;
  }
  if (ReflectToChild(message, wParam, lParam, result)) return result;
  if (OnWndMsg(message, wParam, lParam, result)) return result;
  return DefWindowProc(message, wParam, lParam);
}

bool CWnd::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  HWND child = nullptr;
  if (message == WM_DRAWITEM) {
    child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
  } else if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
    child = reinterpret_cast<HWND>(lParam);
  }
  CWnd* object = child != m_hWnd ? FromHandlePermanent(child) : nullptr;
  return object && object->OnChildNotify(message, wParam, lParam, result);
}

LRESULT CWnd::Default() {
  return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

HBRUSH CWnd::OnCtlColor(CDC*, CWnd*, UINT) { return reinterpret_cast<HBRUSH>(Default()); }

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }

void CWnd::GetWindowText(CString& text) const {
  const int length = ::GetWindowTextLengthA(m_hWnd);
  std::string buffer(static_cast<size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(m_hWnd, &buffer[0], length + 1);
  text = CString(buffer.c_str(), copied < 0 ? 0 : copied);
}

void CWnd::MoveWindow(const RECT& rect, bool repaint) {
  ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

void CWnd::ScreenToClient(RECT* rect) const {
  ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&rect->left));
  ::ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&rect->right));
}

bool CWnd::ModifyStyle(DWORD remove, DWORD add) {
  const DWORD style = static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE));
  const DWORD changed = (style & ~remove) | add;
  if (changed == style) return false;
  ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG>(changed));
  return true;
}
