#include "lib/archive/entry_name.h"

#include <array>
#include <cstdint>

#include "lib/archive/uha_format.h"
#include "lib/archive/windows_upcase.h"

namespace uha {
namespace {

// Reads the UTF-8 character at `i`: false for a broken, overlong or surrogate sequence.
bool DecodeUtf8(std::string_view s, std::size_t i, std::uint32_t& cp, std::size_t& length) {
  const auto c = static_cast<std::uint8_t>(s[i]);
  std::size_t extra = 0;
  if (c < 0x80) {
    cp = c, length = 1;
    return true;
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
  length = extra + 1;
  return cp >= kMin[extra] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

bool IsValidUtf8(std::string_view s) {
  std::uint32_t cp = 0;
  std::size_t length = 0;
  for (std::size_t i = 0; i < s.size(); i += length) {
    if (!DecodeUtf8(s, i, cp, length)) return false;
  }
  return true;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
    return;
  }
  const int extra = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
  static constexpr std::array<std::uint8_t, 4> kLead = {0, 0xC0, 0xE0, 0xF0};
  out += static_cast<char>(kLead[extra] | (cp >> (6 * extra)));
  for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
}

std::size_t CharCount(std::string_view s) {
  std::size_t n = 0;
  for (const char ch : s) n += (static_cast<std::uint8_t>(ch) & 0xC0) != 0x80;
  return n;
}

// Windows and Wine give long names 8.3 aliases such as LONGFI~1.TXT or LONG~LMQ.TXT, and such an
// alias opens the long-named file: a stored name of that shape could land on another file.
bool HasShortNameShape(std::string_view c) {
  const std::size_t dot = c.find('.');
  const std::string_view base = c.substr(0, dot);
  const std::string_view ext = dot == std::string_view::npos ? "" : c.substr(dot + 1);
  return base.find('~') != std::string_view::npos && CharCount(base) <= 8 &&
         ext.find('.') == std::string_view::npos && CharCount(ext) <= 3;
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9 name devices on Windows, with any extension.
bool IsDeviceName(std::string_view component) {
  const std::string base = FoldedName(component.substr(0, component.find('.')));
  std::string_view b = base;
  while (!b.empty() && b.back() == ' ') b.remove_suffix(1);
  if (b == "CON" || b == "PRN" || b == "AUX" || b == "NUL" || b == "CONIN$" || b == "CONOUT$") {
    return true;
  }
  return b.size() == 4 && (b.substr(0, 3) == "COM" || b.substr(0, 3) == "LPT") && b[3] >= '1' &&
         b[3] <= '9';
}

std::string ComponentProblem(std::string_view c) {
  if (c.empty()) return "has an empty path component";
  if (c == "." || c == "..") return "climbs out with \".\" or \"..\"";
  if (c.back() == '.' || c.back() == ' ') return "has a component ending in a dot or space";
  if (IsDeviceName(c)) return "names a device";
  if (HasShortNameShape(c)) return "has the shape of a short (8.3) name, which can alias another";
  return {};
}

}  // namespace

std::string FoldedName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  std::uint32_t cp = 0;
  std::size_t length = 0;
  for (std::size_t i = 0; i < name.size(); i += length) {
    if (DecodeUtf8(name, i, cp, length)) {
      AppendUtf8(out, UpcaseForNames(cp));
    } else {
      out += name[i];
      length = 1;
    }
  }
  return out;
}

std::string PrintableName(std::string_view name) {
  std::string out;
  std::uint32_t cp = 0;
  std::size_t length = 0;
  for (std::size_t i = 0; i < name.size(); i += length) {
    const bool valid = DecodeUtf8(name, i, cp, length);
    if (!valid) length = 1;
    if (valid && cp >= 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0)) {
      out.append(name.substr(i, length));
      continue;
    }
    for (std::size_t k = i; k < i + length; ++k) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      const auto b = static_cast<std::uint8_t>(name[k]);
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
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
