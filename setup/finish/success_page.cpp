#include "setup/finish/success_page.h"

BOOL OpenSuccessPage(LPSTR pszCmdLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(kBrowserProgram, pszCmdLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return FALSE;
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return TRUE;
}
