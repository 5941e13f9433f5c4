// Uninstall.exe: removes the installation it was installed with.
//   Uninstall.exe [/S]
// Exit codes: shared/uninstaller_contract.h.
#include <windows.h>
#include <shellapi.h>

#include "uninstall/self_copy.h"
#include "uninstall/uninstall_args.h"
#include "uninstall/uninstall_texts.h"
#include "uninstall/uninstaller.h"
#include "shared/uninstaller_contract.h"

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
  // Only scheduled for the next start of the system: a refusal there leaves Uninstall.exe and
  // its folder, which the result's list of kept folders already names; the product is gone.
  static_cast<void>(uninstaller.RemoveOriginal(ownPath, false));
  uninstaller.ShowResult(code);
  return code;
}

// A command line the uninstaller does not take: the usage, unless silence was asked for.
int Refuse(bool silent) {
  if (!silent) MessageBoxW(nullptr, texts::kUsage, texts::kCaption, MB_OK | MB_ICONERROR);
  return kelvamo::kUninstallFailed;
}

int RunAsCopy(const kelvamo::UninstallArgs& args) {
  if (!HandedOverByOriginal(args)) return Refuse(args.silent);
  Uninstaller uninstaller(kelvamo::FolderOf(args.originalPath), args.silent);
  const int code = uninstaller.Remove();
  // An original that gets no code reads a failure and exits with it: nothing more to do here.
  static_cast<void>(ReportToOriginal(args.report, code));
  // As in place: a left Uninstall.exe is named among the kept folders, the product is gone.
  static_cast<void>(
      uninstaller.RemoveOriginal(args.originalPath, WaitForOriginal(args.original)));
  uninstaller.ShowResult(code);
  // A copy left in the temporary folder harms nobody and the user can do nothing about it.
  static_cast<void>(ArrangeOwnDeletion(args.self));
  return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::vector<std::wstring> arguments = Arguments();
  const auto args = kelvamo::ParseUninstallArgs(arguments);
  const std::wstring ownPath = OwnPath();
  if (!args || ownPath.empty()) return Refuse(kelvamo::AsksForSilence(arguments));
  if (args->isCopy) return RunAsCopy(*args);
  if (const auto code = RunFromTemporaryCopy(ownPath, args->silent)) return *code;
  return RunInPlace(ownPath, args->silent);
}
