#include "setup/engine/install_log.h"

#include <cstdio>

#include "lib/win32/listed_removal.h"
#include "lib/win32/wide_path.h"
#include "setup/app/exit_codes.h"
#include "shared/kelvamo_product.h"

namespace {

HANDLE g_log = INVALID_HANDLE_VALUE;

const char* OutcomeName(int exitCode) {
  switch (exitCode) {
    case kExitInstalled: return "installed";
    case kExitRefused: return "refused";
    case kExitCancelled: return "cancelled";
    case kExitFailed: return "failed";
    case kExitRecovered: return "recovered";
  }
  return "unknown";
}

void WriteLine(const std::string& text) {
  if (g_log == INVALID_HANDLE_VALUE) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[32];
  std::snprintf(stamp, sizeof(stamp), "%02u:%02u:%02u.%03u ", now.wHour, now.wMinute,
                now.wSecond, now.wMilliseconds);
  const std::string line = stamp + text + "\r\n";
  DWORD written = 0;
  WriteFile(g_log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  // On disk before the step is taken: a run cut off there still tells how far it came.
  FlushFileBuffers(g_log);
}

}  // namespace

std::wstring SetupLogPath() {
  wchar_t folder[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, folder);
  if (n == 0 || n > MAX_PATH) return L"";
  return folder + WidenUtf8(kelvamo::kSetupLogFile);
}

void OpenSetupLog(const std::string& version) {
  const std::wstring path = SetupLogPath();
  if (path.empty()) return;
  // Others may read it while the run goes on.
  g_log = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  WriteLine("setup.exe " + version + " started");
}

void LogStep(const std::string& step) { WriteLine(step); }

void LogFailure(const char* operation, const std::string& name, DWORD error) {
  WriteLine(std::string("failed: ") + operation + ' ' + name + " (error " +
            std::to_string(error) + ')');
}

void LogOutcome(int exitCode) {
  WriteLine(kOutcomePrefix + std::string(OutcomeName(exitCode)) + ", exit code " +
            std::to_string(exitCode));
}

bool CopySetupLogInto(const ListedFolder& folder) {
  const std::wstring path = SetupLogPath();
  HANDLE source = path.empty() ? INVALID_HANDLE_VALUE
                               : CreateFileW(path.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (source == INVALID_HANDLE_VALUE) return false;
  // Under a fresh name first, then given the log's: a link planted under that name is replaced,
  // never written through.
  const std::wstring temporary = WidenUtf8(kelvamo::kSetupTemporaryPrefix) +
                                 std::to_wstring(GetCurrentProcessId()) + L"-log.tmp";
  HANDLE copy = folder.CreateNewFile(temporary);
  bool copied = copy != nullptr;
  char buffer[16384];
  for (DWORD got = 0; copied && ReadFile(source, buffer, sizeof(buffer), &got, nullptr) && got;) {
    DWORD written = 0;
    copied = WriteFile(copy, buffer, got, &written, nullptr) && written == got;
  }
  CloseHandle(source);
  if (!copy) return false;
  copied = copied && folder.RenameInto(copy, WidenUtf8(kelvamo::kSetupLogFile));
  if (!copied) DeleteThrough(copy);
  CloseHandle(copy);
  return copied;
}
