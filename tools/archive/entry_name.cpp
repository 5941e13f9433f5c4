#include "entry_name.h"

#include <array>
#include <cstdint>

#include "uha_format.h"

namespace uha {
namespace {

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<std::uint8_t>(s[i]);
    std::size_t extra = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (extra >= s.size() - i) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto t = static_cast<std::uint8_t>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    static constexpr std::array<std::uint32_t, 4> kMin = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
  }
  return true;
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9 name devices on Windows, with any extension.
bool IsDeviceName(std::string_view component) {
  const std::string base = FoldedName(component.substr(0, component.find('.')));
  std::string_view b = base;
  while (!b.empty() && b.back() == ' ') b.remove_suffix(1);
  if (b == "con" || b == "prn" || b == "aux" || b == "nul" || b == "conin$" || b == "conout$") {
    return true;
  }
  return b.size() == 4 && (b.substr(0, 3) == "com" || b.substr(0, 3) == "lpt") && b[3] >= '1' &&
         b[3] <= '9';
}

std::string ComponentProblem(std::string_view c) {
  if (c.empty()) return "has an empty path component";
  if (c == "." || c == "..") return "climbs out with \".\" or \"..\"";
  if (c.back() == '.' || c.back() == ' ') return "has a component ending in a dot or space";
  if (IsDeviceName(c)) return "names a device";
  return {};
}

}  // namespace

std::string FoldedName(std::string_view name) {
  std::string out(name);
  for (char& ch : out) {
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  }
  return out;
}

std::string EntryNameProblem(std::string_view name) {
  if (name.empty()) return "is empty";
  if (name.size() > kMaxNameBytes) return "is too long";
  if (!IsValidUtf8(name)) return "is not valid UTF-8";
  if (name.front() == '/') return "is absolute";
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (ch == ':') return "carries a drive letter or stream name";
    if (ch == '\\') return "uses a backslash";
    if (c < 0x20 || ch == '<' || ch == '>' || ch == '"' || ch == '|' || ch == '?' || ch == '*') {
      return "has a character Windows forbids";
    }
  }
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = name.find('/', start);
    const std::string_view component = name.substr(
        start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    std::string problem = ComponentProblem(component);
    if (!problem.empty()) return problem;
    if (slash == std::string_view::npos) return {};
    start = slash + 1;
  }
}

}  // namespace uha
