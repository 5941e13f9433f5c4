#pragma once
// Message maps: each macro is a plain test on the message; the first entry that matches handles
// it, and END_MSG_MAP hands everything else to the base class's map.
//
//   BEGIN_MSG_MAP(CSetupDlg, CDialog)
//     ON_BN_CLICKED(1000, OnNext)
//     ON_WM_PAINT()
//   END_MSG_MAP()

#define BEGIN_MSG_MAP(theClass, baseClass)                                                \
 protected:                                                                               \
  bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override { \
    using MapBase = baseClass;                                                            \
    (void)wParam;                                                                         \
    (void)lParam;

#define END_MSG_MAP()                                        \
  return MapBase::OnWndMsg(message, wParam, lParam, result); \
  }

// LRESULT handler(WPARAM, LPARAM)
#define ON_MESSAGE(msg, handler)        \
  if (message == (msg)) {               \
    result = handler(wParam, lParam);   \
    return true;                        \
  }

// void handler(): a click of button `id` (also the command of that id from the keyboard).
#define ON_BN_CLICKED(id, handler)                                                      \
  if (message == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == BN_CLICKED) { \
    handler();                                                                          \
    result = 0;                                                                         \
    return true;                                                                        \
  }

// void OnTimer(UINT_PTR nIDEvent)
#define ON_WM_TIMER()          \
  if (message == WM_TIMER) {   \
    OnTimer(wParam);           \
    result = 0;                \
    return true;               \
  }

// HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor), nCtlColor one of CTLCOLOR_*.
#define ON_WM_CTLCOLOR()                                                                    \
  if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {                       \
    result = reinterpret_cast<LRESULT>(OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wParam)), \
                                                  CWnd::FromHandle(reinterpret_cast<HWND>(lParam)), \
                                                  message - WM_CTLCOLORMSGBOX));            \
    return true;                                                                            \
  }

// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                           \
  if (message == WM_SYSCOMMAND) {                    \
    OnSysCommand(static_cast<UINT>(wParam), lParam); \
    result = 0;                                      \
    return true;                                     \
  }

// void OnPaint()
#define ON_WM_PAINT()        \
  if (message == WM_PAINT) { \
    OnPaint();               \
    result = 0;              \
    return true;             \
  }

// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                  \
  if (message == WM_QUERYDRAGICON) {                           \
    result = reinterpret_cast<LRESULT>(OnQueryDragIcon());     \
    return true;                                               \
  }

// void OnMouseMove(UINT nFlags, POINT point)
#define ON_WM_MOUSEMOVE()                                                          \
  if (message == WM_MOUSEMOVE) {                                                   \
    OnMouseMove(static_cast<UINT>(wParam),                                         \
                POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}); \
    result = 0;                                                                    \
    return true;                                                                   \
  }
