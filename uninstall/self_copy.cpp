#include "uninstall/self_copy.h"

#include <windows.h>

#include "uninstall/uninstall_args.h"
#include "shared/uninstaller_contract.h"

namespace {

constexpr DWORD kOriginalEndTimeoutMs = 10000;
constexpr int kDeleteAttempts = 20;
constexpr DWORD kDeleteRetryMs = 100;

std::wstring TemporaryFolder() {
  wchar_t path[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, path);
  return n > 0 && n <= MAX_PATH ? path : L"";
}

HANDLE AsHandle(std::uintptr_t value) { return reinterpret_cast<HANDLE>(value); }
std::uintptr_t AsValue(HANDLE handle) { return reinterpret_cast<std::uintptr_t>(handle); }

void CloseIfOpen(HANDLE handle) {
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
}

}  // namespace

std::optional<int> RunFromTemporaryCopy(const std::wstring& ownPath, bool silent) {
  const std::wstring folder = TemporaryFolder();
  if (folder.empty()) return std::nullopt;
  const std::wstring copy =
      folder + L"Kelvamo-Uninstall-" + kelvamo::Decimal(GetCurrentProcessId()) + L".exe";
  if (!CopyFileW(ownPath.c_str(), copy.c_str(), FALSE)) return std::nullopt;

  SECURITY_ATTRIBUTES inherited = {sizeof(inherited), nullptr, TRUE};
  HANDLE self = CreateFileW(copy.c_str(), DELETE | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            &inherited, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  HANDLE reportRead = nullptr, reportWrite = nullptr, original = nullptr;
  const bool ready =
      CreatePipe(&reportRead, &reportWrite, &inherited, 0) &&
      SetHandleInformation(reportRead, HANDLE_FLAG_INHERIT, 0) &&
      DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &original,
                      SYNCHRONIZE, TRUE, 0);
  kelvamo::UninstallArgs args;
  args.silent = silent;
  args.original = AsValue(original);
  args.report = AsValue(reportWrite);
  args.self = self == INVALID_HANDLE_VALUE ? 0 : AsValue(self);
  args.originalPath = ownPath;
  std::wstring commandLine = L'"' + copy + L"\" " + kelvamo::CopyCommandTail(args);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  const bool started = ready && CreateProcessW(copy.c_str(), &commandLine[0], nullptr, nullptr,
                                               TRUE, 0, nullptr, folder.c_str(), &startup,
                                               &process);
  // From here on only the copy holds the handles it inherited.
  CloseIfOpen(self);
  CloseIfOpen(reportWrite);
  CloseIfOpen(original);
  if (!started) {
    CloseIfOpen(reportRead);
    DeleteFileW(copy.c_str());
    return std::nullopt;
  }
  CloseHandle(process.hThread);
  DWORD code = kelvamo::kUninstallFailed, count = 0;
  // A copy that ends without a report closes the pipe, and the read fails.
  if (!ReadFile(reportRead, &code, sizeof(code), &count, nullptr) || count != sizeof(code)) {
    code = kelvamo::kUninstallFailed;
  }
  CloseHandle(reportRead);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

bool ReportToOriginal(std::uintptr_t pipe, int code) {
  const DWORD value = static_cast<DWORD>(code);
  DWORD count = 0;
  const bool written = WriteFile(AsHandle(pipe), &value, sizeof(value), &count, nullptr) &&
                       count == sizeof(value);
  CloseHandle(AsHandle(pipe));
  return written;
}

bool WaitForOriginal(std::uintptr_t process) {
  const bool ended = WaitForSingleObject(AsHandle(process), kOriginalEndTimeoutMs) == WAIT_OBJECT_0;
  CloseHandle(AsHandle(process));
  return ended;
}

bool DeleteNowOrAtRestart(const std::wstring& path) {
  for (int attempt = 0; attempt < kDeleteAttempts; ++attempt) {
    if (DeleteFileW(path.c_str()) || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      return true;
    }
    Sleep(kDeleteRetryMs);
  }
  return MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

bool ArrangeOwnDeletion(std::uintptr_t self) {
  DWORD flags = 0;
  if (self != 0 && GetHandleInformation(AsHandle(self), &flags)) return true;
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return n > 0 && n < MAX_PATH && MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
