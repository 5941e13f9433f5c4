#include "setup/framework/afx_app.h"

#include <windows.h>
#include <commctrl.h>

#include "lib/win32/com_scope.h"

#include <string>

namespace {

CWinApp* g_app = nullptr;

CString ExecutableBaseName(HINSTANCE instance) {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameA(instance, &path[0], static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const CString full(path.c_str());
  const int slash = full.ReverseFind('\\');
  CString name(full.GetString() + slash + 1);
  const int dot = name.ReverseFind('.');
  return dot > 0 ? name.Left(dot) : name;
}

}  // namespace

CWinApp::CWinApp(const char* appName) : m_strAppName(appName) { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

int CWinApp::Start(HINSTANCE instance) {
  m_hInstance = instance;
  if (m_strAppName.IsEmpty()) m_strAppName = ExecutableBaseName(instance);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  // Screen readers are handed the controls' objects through COM.
  ComScope com;
  InitInstance();
  return m_nExitCode;
}

CWinApp* AfxGetApp() { return g_app; }

HINSTANCE AfxGetResourceHandle() {
  return g_app && g_app->m_hInstance ? g_app->m_hInstance : ::GetModuleHandleA(nullptr);
}

int AfxMessageBox(const char* text, UINT type) {
  if ((type & MB_ICONMASK) == 0) {
    const UINT buttons = type & MB_TYPEMASK;
    if (buttons == MB_OK || buttons == MB_OKCANCEL) type |= MB_ICONEXCLAMATION;
    if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL) type |= MB_ICONQUESTION;
  }
  HWND owner = g_app && g_app->m_pMainWnd ? g_app->m_pMainWnd->m_hWnd : nullptr;
  const char* title = g_app ? g_app->m_strAppName.GetString() : "";
  return ::MessageBoxA(owner, text, title, type);
}
