// Uninstall.exe: removes the installation it was installed with.
//   Uninstall.exe [/S]
// Exit codes: shared/uninstaller_contract.h.
#include <windows.h>
#include <shellapi.h>

#include "uninstall/self_copy.h"
#include "uninstall/uninstall_args.h"
#include "uninstall/uninstall_texts.h"
#include "uninstall/uninstaller.h"
#include "uninstaller_contract.h"

namespace {

std::vector<std::wstring> Arguments() {
  std::vector<std::wstring> args;
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(argv[i]);
  LocalFree(argv);
  return args;
}

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? path : L"";
}

// The original, where no copy could be started: it works in place, and its own file and the
// install folder go at the next start of the system.
int RunInPlace(const std::wstring& ownPath, bool silent) {
  Uninstaller uninstaller(kelvamo::FolderOf(ownPath), silent);
  const int code = uninstaller.Remove();
  uninstaller.RemoveOriginal(ownPath, false);
  uninstaller.ShowResult(code);
  return code;
}

int RunAsCopy(const kelvamo::UninstallArgs& args) {
  Uninstaller uninstaller(kelvamo::FolderOf(args.originalPath), args.silent);
  const int code = uninstaller.Remove();
  ReportToOriginal(args.report, code);
  uninstaller.RemoveOriginal(args.originalPath, WaitForOriginal(args.original));
  uninstaller.ShowResult(code);
  ArrangeOwnDeletion(args.self);
  return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const auto args = kelvamo::ParseUninstallArgs(Arguments());
  const std::wstring ownPath = OwnPath();
  if (!args || ownPath.empty()) {
    MessageBoxW(nullptr, texts::kUsage, texts::kCaption, MB_OK | MB_ICONERROR);
    return kelvamo::kUninstallFailed;
  }
  if (args->isCopy) return RunAsCopy(*args);
  if (const auto code = RunFromTemporaryCopy(ownPath, args->silent)) return *code;
  return RunInPlace(ownPath, args->silent);
}
