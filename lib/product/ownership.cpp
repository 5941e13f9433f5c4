#include "lib/product/ownership.h"

#include <cstdint>

#include "lib/archive/windows_upcase.h"
#include "shared/kelvamo_product.h"

namespace kelvamo {

namespace {

std::wstring Wide(const char* ascii) {
  std::wstring wide;
  while (*ascii) wide += static_cast<wchar_t>(*ascii++);
  return wide;
}

}  // namespace

bool SamePathText(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    // Surrogates fold to themselves, as they do in the system's own table.
    if (uha::UpcaseForNames(static_cast<std::uint16_t>(a[i])) !=
        uha::UpcaseForNames(static_cast<std::uint16_t>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool CommandStarts(const std::wstring& command, const std::wstring& uninstaller) {
  const bool quoted = command.size() >= 2 && command.front() == L'"' && command.back() == L'"';
  return !uninstaller.empty() &&
         SamePathText(quoted ? command.substr(1, command.size() - 2) : command, uninstaller);
}

bool IsOwnLinkTarget(const std::wstring& target, const std::wstring& folder) {
  return !folder.empty() && folder.back() == L'\\' &&
         (SamePathText(target, folder + Wide(kApplicationFile)) ||
          SamePathText(target, folder + Wide(kUninstallerFile)));
}

}  // namespace kelvamo
