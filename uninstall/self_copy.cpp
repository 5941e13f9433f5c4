#include "uninstall/self_copy.h"

#include <windows.h>

#include "lib/win32/listed_removal.h"
#include "lib/win32/process_start.h"
#include "shared/uninstaller_contract.h"

namespace {

constexpr DWORD kOriginalEndTimeoutMs = 10000;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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
  // The copy proves by this handle which file it was started for.
  HANDLE ownFile = CreateFileW(ownPath.c_str(), FILE_READ_ATTRIBUTES, kShareAll, &inherited,
                               OPEN_EXISTING, 0, nullptr);
  HANDLE reportRead = nullptr, reportWrite = nullptr, original = nullptr;
  const bool ready =
      ownFile != INVALID_HANDLE_VALUE && CreatePipe(&reportRead, &reportWrite, &inherited, 0) &&
      SetHandleInformation(reportRead, HANDLE_FLAG_INHERIT, 0) &&
      DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &original,
                      SYNCHRONIZE | PROCESS_QUERY_INFORMATION, TRUE, 0);
  kelvamo::UninstallArgs args;
  args.silent = silent;
  args.original = AsValue(original);
  args.report = AsValue(reportWrite);
  args.self = self == INVALID_HANDLE_VALUE ? 0 : AsValue(self);
  args.file = AsValue(ownFile);
  args.originalPath = ownPath;
  ProcessStart how;
  how.application = copy;
  how.commandLine = L'"' + copy + L"\" " + kelvamo::CopyCommandTail(args);
  how.currentFolder = folder;
  how.inheritHandles = true;
  ProcessHandle process = ready ? StartProcess(how) : ProcessHandle();
  const bool started = static_cast<bool>(process);
  // From here on only the copy holds the handles it inherited.
  CloseIfOpen(self);
  CloseIfOpen(ownFile);
  CloseIfOpen(reportWrite);
  CloseIfOpen(original);
  if (!started) {
    CloseIfOpen(reportRead);
    DeleteFileW(copy.c_str());
    return std::nullopt;
  }
  DWORD code = kelvamo::kUninstallFailed, count = 0;
  // A copy that ends without a report closes the pipe, and the read fails.
  if (!ReadFile(reportRead, &code, sizeof(code), &count, nullptr) || count != sizeof(code)) {
    code = kelvamo::kUninstallFailed;
  }
  CloseHandle(reportRead);
  return static_cast<int>(code);
}

bool HandedOverByOriginal(const kelvamo::UninstallArgs& args) {
  HANDLE file = AsHandle(args.file);
  DWORD code = 0;
  bool proven = GetExitCodeProcess(AsHandle(args.original), &code) &&
                GetFileType(AsHandle(args.report)) == FILE_TYPE_PIPE &&
                GetFileType(file) == FILE_TYPE_DISK;
  if (proven) {
    HANDLE named = CreateFileW(args.originalPath.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    proven = named != INVALID_HANDLE_VALUE && SameFileObject(named, file);
    CloseIfOpen(named);
    // Held no longer: the original's file is deleted at the end, and its folder with it.
    CloseHandle(file);
  }
  return proven;
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

bool ArrangeOwnDeletion(std::uintptr_t self) {
  DWORD flags = 0;
  if (self != 0 && GetHandleInformation(AsHandle(self), &flags)) return true;
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return n > 0 && n < MAX_PATH && MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
