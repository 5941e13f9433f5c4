#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The uninstaller's command line. Started by the system or an administrator it takes only "/S";
// the copy it runs from the temporary folder also gets the handles it inherits from the original
// and the original's path.
namespace kelvamo {

struct UninstallArgs {
  bool silent = false;
  bool isCopy = false;
  std::uintptr_t original = 0;  // the original process, to wait for its end
  std::uintptr_t report = 0;    // the pipe the copy writes its exit code into
  std::uintptr_t self = 0;      // the copy's own file, opened to be deleted on close; 0: none
  std::uintptr_t file = 0;      // the original's file, which proves `originalPath`
  std::wstring originalPath;    // the original Uninstall.exe in the install folder
};

// The arguments after the program's name; nothing for anything else.
std::optional<UninstallArgs> ParseUninstallArgs(const std::vector<std::wstring>& args);

// Whether any argument asks for silence: a command line refused then shows no window either.
bool AsksForSilence(const std::vector<std::wstring>& args);

// The copy's command line after its program name.
std::wstring CopyCommandTail(const UninstallArgs& args);

// Decimal digits of a number, in the form the command line carries.
std::wstring Decimal(std::uintptr_t value);

// The folder part of a path, up to and including its last backslash; empty when there is none.
std::wstring FolderOf(const std::wstring& path);

}  // namespace kelvamo
