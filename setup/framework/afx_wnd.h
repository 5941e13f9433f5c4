#pragma once
#include <windows.h>

#include "setup/framework/afx_gdi.h"
#include "setup/framework/afx_msgmap.h"
#include "setup/framework/afx_string.h"

// Answers a screen reader's request for a window's object (WM_GETOBJECT); set on a window with
// CWnd::EnableAccessibility. Returns false to leave the request to the window's own handling.
class CAccessibility {
public:
  virtual bool Answer(HWND window, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

protected:
  ~CAccessibility() = default;
};

// A window of ours or a temporary view of someone else's. Windows of ours are subclassed: their
// messages run through WindowProc, which reflects owner-draw and colour requests to the child's
// own object, then tries the message map (OnWndMsg), then the window's original procedure.
class CWnd {
public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Our object for `window` if it is subclassed, else a temporary wrapper (see afx_temp.h).
  static CWnd* FromHandle(HWND window);
  // Our object for `window`, or null when it is not subclassed.
  static CWnd* FromHandlePermanent(HWND window);
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  // Routes the messages of an existing window (a dialog's control) through this object.
  bool SubclassWindow(HWND window);
  // Screen readers' requests for this window go to `source` first (it outlives the window).
  void EnableAccessibility(CAccessibility* source) { m_pAccessibility = source; }

  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
  bool ShowWindow(int command) { return ::ShowWindow(m_hWnd, command) != 0; }
  bool EnableWindow(bool enable = true) { return ::EnableWindow(m_hWnd, enable) != 0; }
  bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != 0; }
  bool IsIconic() const { return ::IsIconic(m_hWnd) != 0; }
  void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
  void GetWindowText(CString& text) const;
  void MoveWindow(const RECT& rect, bool repaint = true);
  void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
  void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
  void ScreenToClient(RECT* rect) const;
  HMENU GetSystemMenu(bool revert) const { return ::GetSystemMenu(m_hWnd, revert); }
  bool ModifyStyle(DWORD remove, DWORD add);
  void Invalidate(bool erase = true) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(const RECT* rect, bool erase = true) { ::InvalidateRect(m_hWnd, rect, erase); }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
  bool KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id) != 0; }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }

  // Temporary wrappers only.
  void AttachTemporary(HWND window) { m_hWnd = window; }
  void DetachTemporary() { m_hWnd = nullptr; }

  HWND m_hWnd = nullptr;

protected:
  // Every message of a subclassed window; the base reflects, maps, then runs the default.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The message map (BEGIN_MSG_MAP); true when a handler took the message.
  virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // A parent's WM_DRAWITEM or WM_CTLCOLOR* about this control; true when handled here.
  virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Runs just before a window becomes ours.
  virtual void PreSubclassWindow() {}
  // The window's own procedure for the message being handled now.
  LRESULT Default();
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Default colours: what the window's own procedure answers.
  HBRUSH OnCtlColor(CDC* dc, CWnd* control, UINT kind);

  static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
  struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void Unsubclass();

  WNDPROC m_pfnSuper = nullptr;
  CAccessibility* m_pAccessibility = nullptr;
  Message m_current = {};
};
