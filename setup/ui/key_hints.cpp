#include "setup/ui/key_hints.h"

namespace kelvamo {

namespace {

bool IsAsciiLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// Where the first "(X)" starts, or npos.
size_t HintAt(std::wstring_view caption) {
  for (size_t at = caption.find(L'('); at != std::wstring_view::npos; at = caption.find(L'(', at + 1)) {
    if (at + 2 < caption.size() && IsAsciiLetter(caption[at + 1]) && caption[at + 2] == L')') {
      return at;
    }
  }
  return std::wstring_view::npos;
}

}  // namespace

std::optional<wchar_t> KeyHintOf(std::wstring_view caption) {
  const size_t at = HintAt(caption);
  if (at == std::wstring_view::npos) return std::nullopt;
  return Upper(caption[at + 1]);
}

std::wstring TrimmedText(std::wstring_view text) {
  size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return std::wstring(text.substr(first, last - first));
}

std::wstring SpokenButtonName(std::wstring_view caption) {
  std::wstring name(caption);
  const size_t at = HintAt(name);
  if (at != std::wstring::npos) name.erase(at, 3);
  name = TrimmedText(name);
  if (!name.empty() && name.front() == L'<') name = TrimmedText(std::wstring_view(name).substr(1));
  if (!name.empty() && name.back() == L'>') name = TrimmedText(std::wstring_view(name).substr(0, name.size() - 1));
  return name;
}

std::wstring ShortcutText(wchar_t hint) { return std::wstring(L"Alt+") + hint; }

std::optional<size_t> ButtonForKey(const std::vector<HintedButton>& buttons, unsigned virtualKey,
                                   bool alt, bool lettersAlone) {
  // Virtual keys of the letters are their upper-case character codes.
  if (virtualKey < 'A' || virtualKey > 'Z' || (!alt && !lettersAlone)) return std::nullopt;
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i].usable && buttons[i].hint == static_cast<wchar_t>(virtualKey)) return i;
  }
  return std::nullopt;
}

}  // namespace kelvamo
