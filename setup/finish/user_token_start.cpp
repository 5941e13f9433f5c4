#include "setup/finish/user_token_start.h"

#include <windows.h>

#include <string>

#include "lib/win32/process_handle.h"
#include "lib/win32/process_start.h"
#include "lib/win32/wide_path.h"
#include "setup/finish/user_start.h"

using kelvamo::Elevation;

namespace {

// What a primary token handed to CreateProcessWithTokenW needs.
constexpr DWORD kUserTokenAccess = TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_DUPLICATE |
                                   TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID;

Elevation OwnElevation() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return Elevation::kUnknown;
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  const bool known = GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size);
  CloseHandle(token);
  if (!known) return Elevation::kUnknown;  // before Vista
  switch (type) {
    case TokenElevationTypeDefault: return Elevation::kDefault;
    case TokenElevationTypeFull: return Elevation::kFull;
    case TokenElevationTypeLimited: return Elevation::kLimited;
  }
  return Elevation::kUnknown;
}

// A primary token copied from the desktop shell's process; null when any step is refused.
HANDLE ShellUserToken() {
  DWORD shellProcessId = 0;
  GetWindowThreadProcessId(GetShellWindow(), &shellProcessId);
  if (shellProcessId == 0) return nullptr;
  ProcessHandle shell(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, shellProcessId));
  HANDLE shellToken = nullptr;
  if (!shell || !OpenProcessToken(shell.Get(), TOKEN_DUPLICATE, &shellToken)) return nullptr;
  HANDLE userToken = nullptr;
  if (!DuplicateTokenEx(shellToken, kUserTokenAccess, nullptr, SecurityImpersonation, TokenPrimary,
                        &userToken)) {
    userToken = nullptr;
  }
  CloseHandle(shellToken);
  return userToken;
}

}  // namespace

bool StartWithShellToken(const char* application, const char* commandLine) {
  ProcessStart how;
  how.application = application ? WidenAnsi(application) : std::wstring();
  how.commandLine = WidenAnsi(commandLine);
  how.show = SW_SHOW;
  if ((application && how.application.empty()) || how.commandLine.empty()) return false;
  how.userToken = ShellUserToken();
  if (how.userToken == nullptr) return false;
  const bool started = static_cast<bool>(StartProcess(how));
  CloseHandle(how.userToken);
  return started;
}

bool StartForDesktopUser(const char* application, const char* commandLine,
                         const std::function<bool()>& startAsInstaller) {
  return kelvamo::StartForUser(
      OwnElevation(), GetShellWindow() != nullptr,
      [&] { return StartWithShellToken(application, commandLine); }, startAsInstaller);
}
