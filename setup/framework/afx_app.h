#pragma once
#include <windows.h>

#include "setup/framework/afx_string.h"
#include "setup/framework/afx_wnd.h"

// The program object: one global instance of a derived class. The framework's entry point sets it
// up and runs InitInstance; the program's dialogs run modally inside it, so when InitInstance
// returns the program ends (there is no message loop of the framework's own).
class CWinApp {
public:
  // Without a name the program's name is its executable's file name without the extension.
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual bool InitInstance() = 0;

  // Called by the entry point; returns m_nExitCode.
  int Start(HINSTANCE instance);

  CString m_strAppName;
  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;
  int m_nExitCode = 0;  // the program's exit code, set where a start is refused
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();

// A message box titled with the program's name and owned by its main window. Without an icon in
// `type`, OK and OK/Cancel boxes get the exclamation mark, Yes/No boxes the question mark.
int AfxMessageBox(const char* text, UINT type = MB_OK);
