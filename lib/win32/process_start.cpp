#include "lib/win32/process_start.h"

namespace {

// Vista and later only: looked up when a token is given, so every program still starts on XP.
using CreateProcessWithTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, LPCWSTR, LPWSTR, DWORD, LPVOID,
                                               LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION);

CreateProcessWithTokenFn TokenStart() {
  const FARPROC found = GetProcAddress(GetModuleHandleA("advapi32.dll"), "CreateProcessWithTokenW");
  return reinterpret_cast<CreateProcessWithTokenFn>(reinterpret_cast<void (*)()>(found));
}

const wchar_t* OrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

ProcessHandle StartProcess(const ProcessStart& how) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = how.show;
  if (how.standardHandles) {
    startup.dwFlags |= STARTF_USESTDHANDLES;
    startup.hStdInput = how.input;
    startup.hStdOutput = how.output;
    startup.hStdError = how.error;
  }
  // Both calls may write into the command line.
  std::wstring command = how.commandLine;
  command.push_back(L'\0');
  PROCESS_INFORMATION process = {};
  BOOL started = FALSE;
  if (how.userToken) {
    const CreateProcessWithTokenFn createWithToken = TokenStart();
    if (createWithToken == nullptr) {
      SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
      return ProcessHandle();
    }
    started = createWithToken(how.userToken, 0, OrNull(how.application), &command[0], 0, nullptr,
                              OrNull(how.currentFolder), &startup, &process);
  } else {
    started = CreateProcessW(OrNull(how.application), &command[0], nullptr, nullptr,
                             how.inheritHandles, 0, nullptr, OrNull(how.currentFolder), &startup,
                             &process);
  }
  if (!started) return ProcessHandle();
  CloseHandle(process.hThread);
  return ProcessHandle(process.hProcess);
}
