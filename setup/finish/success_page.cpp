#include "setup/finish/success_page.h"

#include "setup/finish/user_token_start.h"

namespace {

bool StartBrowserAsInstaller(LPSTR pszCmdLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(kBrowserProgram, pszCmdLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return true;
}

}  // namespace

BOOL OpenSuccessPage(LPSTR pszCmdLine) {
  const bool started = StartForDesktopUser(kBrowserProgram, pszCmdLine,
                                           [&] { return StartBrowserAsInstaller(pszCmdLine); });
  return started ? TRUE : FALSE;
}
