#include "uninstall/uninstall_args.h"

#include <cwchar>
#include <cwctype>

#include "shared/uninstaller_contract.h"

namespace kelvamo {

namespace {

constexpr wchar_t kCopySwitch[] = L"/copy";

bool IsSwitch(const std::wstring& arg, const wchar_t* name) {
  if (arg.size() != std::wcslen(name)) return false;
  for (size_t i = 0; i < arg.size(); ++i) {
    if (std::towlower(arg[i]) != std::towlower(name[i])) return false;
  }
  return true;
}

// A handle value as the copy inherits it: a decimal number that fits a handle, zero only where
// the handle may be missing.
std::optional<std::uintptr_t> ParseHandle(const std::wstring& text, bool mayBeZero = false) {
  if (text.empty() || text.size() > 20) return std::nullopt;
  std::uintmax_t value = 0;
  for (wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    const std::uintmax_t next = value * 10 + static_cast<std::uintmax_t>(c - L'0');
    if (next / 10 != value) return std::nullopt;
    value = next;
  }
  if ((value == 0 && !mayBeZero) || value > UINTPTR_MAX) return std::nullopt;
  return static_cast<std::uintptr_t>(value);
}

}  // namespace

// std::to_wstring would bring the whole printf machinery into the program.
std::wstring Decimal(std::uintptr_t value) {
  const std::string digits = std::to_string(value);
  return std::wstring(digits.begin(), digits.end());
}

std::optional<UninstallArgs> ParseUninstallArgs(const std::vector<std::wstring>& args) {
  UninstallArgs parsed;
  size_t i = 0;
  if (i < args.size() && IsSwitch(args[i], kSilentSwitch)) {
    parsed.silent = true;
    ++i;
  }
  if (i == args.size()) return parsed;
  if (!IsSwitch(args[i], kCopySwitch) || args.size() - i != 6) return std::nullopt;
  const auto original = ParseHandle(args[i + 1]);
  const auto report = ParseHandle(args[i + 2]);
  const auto self = ParseHandle(args[i + 3], true);
  const auto file = ParseHandle(args[i + 4]);
  const std::wstring& path = args[i + 5];
  if (!original || !report || !self || !file || FolderOf(path).empty() || FolderOf(path) == path) {
    return std::nullopt;
  }
  parsed.file = *file;
  parsed.isCopy = true;
  parsed.original = *original;
  parsed.report = *report;
  parsed.self = *self;
  parsed.originalPath = path;
  return parsed;
}

std::wstring CopyCommandTail(const UninstallArgs& args) {
  std::wstring tail = args.silent ? std::wstring(kSilentSwitch) + L' ' : std::wstring();
  return tail + kCopySwitch + L' ' + Decimal(args.original) + L' ' + Decimal(args.report) + L' ' +
         Decimal(args.self) + L' ' + Decimal(args.file) + L" \"" + args.originalPath + L'"';
}

bool AsksForSilence(const std::vector<std::wstring>& args) {
  for (const std::wstring& arg : args) {
    if (IsSwitch(arg, kSilentSwitch)) return true;
  }
  return false;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace kelvamo
