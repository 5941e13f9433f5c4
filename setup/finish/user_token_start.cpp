#include "setup/finish/user_token_start.h"

#include <windows.h>

#include <string>

#include "lib/win32/process_handle.h"
#include "lib/win32/wide_path.h"
#include "setup/finish/user_start.h"

using kelvamo::Elevation;

namespace {

// Vista and later only: looked up when needed, so the installer still starts on XP.
using CreateProcessWithTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID,
                                               LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);

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

std::wstring Wide(const char* text) {
  std::wstring wide = WidenAnsi(text);
  wide.push_back(L'\0');  // CreateProcessWithTokenW may write into the command line
  return wide;
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
  const FARPROC found =
      GetProcAddress(GetModuleHandleA("advapi32.dll"), "CreateProcessWithTokenW");
  const auto createWithToken =
      reinterpret_cast<CreateProcessWithTokenFn>(reinterpret_cast<void (*)()>(found));
  if (createWithToken == nullptr) return false;
  const std::wstring program = application ? Wide(application) : std::wstring();
  std::wstring command = Wide(commandLine);
  if ((application && program.empty()) || command.empty()) return false;
  HANDLE userToken = ShellUserToken();
  if (userToken == nullptr) return false;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process = {};
  const bool started = createWithToken(userToken, 0, application ? program.c_str() : nullptr,
                                       &command[0], 0, nullptr, nullptr, &startup, &process);
  CloseHandle(userToken);
  if (started) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  return started;
}

bool StartForDesktopUser(const char* application, const char* commandLine,
                         const std::function<bool()>& startAsInstaller) {
  return kelvamo::StartForUser(
      OwnElevation(), GetShellWindow() != nullptr,
      [&] { return StartWithShellToken(application, commandLine); }, startAsInstaller);
}
