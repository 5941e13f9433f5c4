#include "setup/finish/success_page.h"

#include "lib/win32/process_start.h"
#include "lib/win32/wide_path.h"
#include "setup/finish/user_token_start.h"

namespace {

bool StartBrowserAsInstaller(LPSTR pszCmdLine) {
  ProcessStart how;
  how.application = WidenAnsi(kBrowserProgram);
  how.commandLine = WidenAnsi(pszCmdLine);
  how.show = SW_SHOW;
  return static_cast<bool>(StartProcess(how));
}

}  // namespace

BOOL OpenSuccessPage(LPSTR pszCmdLine) {
  const bool started = StartForDesktopUser(kBrowserProgram, pszCmdLine,
                                           [&] { return StartBrowserAsInstaller(pszCmdLine); });
  return started ? TRUE : FALSE;
}
