#include "setup/framework/afx_dialog.h"

#include "setup/framework/afx_app.h"
#include "setup/framework/afx_temp.h"

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
  // Only the first message needs this procedure: from then on the window is subclassed and the
  // dialog manager's default handling is what this procedure's FALSE asks for.
  if (message != WM_INITDIALOG) return FALSE;
  CDialog* self = reinterpret_cast<CDialog*>(lParam);
  afx_temp::MessageScope scope;
  if (!self->SubclassWindow(window)) return FALSE;
  return self->OnInitDialog() ? TRUE : FALSE;
}

HWND CDialog::OwnerForModalRun() const {
  if (m_pParentWnd) return m_pParentWnd->m_hWnd;
  CWinApp* app = AfxGetApp();
  CWnd* main = app ? app->m_pMainWnd : nullptr;
  return main && main != this ? main->m_hWnd : nullptr;
}

namespace {

// One filter for the thread, however deeply modal runs nest.
HHOOK g_messageFilter = nullptr;
int g_modalRuns = 0;

}  // namespace

LRESULT CALLBACK CDialog::MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
  MSG* msg = reinterpret_cast<MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && msg) {
    auto* dialog = dynamic_cast<CDialog*>(FromHandlePermanent(::GetAncestor(msg->hwnd, GA_ROOT)));
    if (dialog && dialog->m_bModal && dialog->PreTranslateMessage(msg)) return 1;
  }
  return ::CallNextHookEx(g_messageFilter, code, wParam, lParam);
}

bool CDialog::PreTranslateMessage(MSG*) { return false; }

INT_PTR CDialog::DoModal() {
  m_bModal = true;
  if (g_modalRuns++ == 0) {
    g_messageFilter = ::SetWindowsHookExA(WH_MSGFILTER, &CDialog::MessageFilter, nullptr,
                                          ::GetCurrentThreadId());
  }
  const INT_PTR result =
      ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), OwnerForModalRun(),
                        &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
  if (--g_modalRuns == 0 && g_messageFilter) {
    ::UnhookWindowsHookEx(g_messageFilter);
    g_messageFilter = nullptr;
  }
  m_bModal = false;
  return result;
}

bool CDialog::Create(UINT templateId, CWnd* parent) {
  m_nIDTemplate = templateId;
  m_pParentWnd = parent;
  return ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId),
                              parent ? parent->m_hWnd : nullptr, &CDialog::StaticDialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void CDialog::EndDialog(int result) { ::EndDialog(m_hWnd, result); }

bool CDialog::UpdateData(bool saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return true;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() {
  if (!m_bModal) return;
  UpdateData(true);
  EndDialog(IDOK);
}

void CDialog::OnCancel() {
  if (m_bModal) EndDialog(IDCANCEL);
}

bool CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM, LRESULT& result) {
  const bool command = message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED;
  if (command && LOWORD(wParam) == IDOK) {
    OnOK();
  } else if ((command && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE) {
    OnCancel();
  } else {
    return false;
  }
  result = 0;
  return true;
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  HWND control = dx->PrepareCtrl(id);
  if (dx->m_bSaveAndValidate) {
    CWnd::FromHandle(control)->GetWindowText(value);
  } else {
    ::SetWindowTextA(control, value);
  }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (!control.m_hWnd) control.SubclassWindow(dx->PrepareCtrl(id));
}
