#pragma once
#include "setup/framework/afx_wnd.h"

class CDataExchange;

// A dialog from a template of the program's resources, run modally (DoModal) or created as a
// modeless child (Create). The object reaches the dialog through the creation parameter and then
// subclasses it, so the message map sees every message from WM_INITDIALOG on.
//
// Defaults: Enter and Escape (IDOK, IDCANCEL) and WM_CLOSE end a modal run (OnOK, OnCancel); a
// modeless dialog ignores them, so a page never ends by itself.
//
// While dialogs run modally, every message the dialog manager is about to handle for one of them
// (or for any window inside it, its pages' controls included) is first offered to the dialog's
// PreTranslateMessage, as the framework's own modal loop would.
class CDialog : public CWnd {
public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr)
      : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

  // Runs the dialog with its owner disabled; the owner is the parent given, else the program's
  // main window. Returns the value passed to EndDialog, or -1 when the dialog could not be made.
  INT_PTR DoModal();
  // Creates the dialog as a modeless window of `parent` from template `templateId`.
  bool Create(UINT templateId, CWnd* parent);
  void EndDialog(int result);

  // Moves data between controls and members: false loads the controls, true reads them back.
  bool UpdateData(bool saveAndValidate = true);

  // A message for this dialog or a window inside it, before the dialog manager sees it; true
  // when the dialog took it, so it goes no further.
  virtual bool PreTranslateMessage(MSG* msg);

protected:
  // Runs DoDataExchange with false; true lets the dialog manager set the first focus.
  virtual bool OnInitDialog();
  virtual void DoDataExchange(CDataExchange* dx);
  virtual void OnOK();
  virtual void OnCancel();

  bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
  static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The dialog manager's message filter (WH_MSGFILTER), hooked while any dialog runs modally.
  static LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam);
  HWND OwnerForModalRun() const;

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
  bool m_bModal = false;
};

// The context of one UpdateData run.
class CDataExchange {
public:
  CDataExchange(CWnd* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  HWND PrepareCtrl(int id) const { return ::GetDlgItem(*m_pDlgWnd, id); }

  CWnd* m_pDlgWnd;
  bool m_bSaveAndValidate;
};

// Text of control `id` to and from `value`.
void DDX_Text(CDataExchange* dx, int id, CString& value);
// Binds control `id` to `control` (subclassing it) the first time it runs.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
