#pragma once
#include <windows.h>
#include <commctrl.h>

#include "setup/framework/afx_wnd.h"

// A push button or check box of a dialog. An owner-drawn button draws itself: the parent's
// WM_DRAWITEM for it is reflected here and runs DrawItem.
class CButton : public CWnd {
public:
  int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
  virtual void DrawItem(DRAWITEMSTRUCT* item);

protected:
  bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// A progress bar (msctls_progress32).
class CProgressCtrl : public CWnd {
public:
  void SetRange(short lower, short upper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
  int SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position))); }
};
