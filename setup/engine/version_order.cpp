#include "setup/engine/version_order.h"

#include <cstdint>
#include <vector>

namespace kelvamo {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Digits from `at` as one number; a number too long for 64 bits stays at the largest value, so
// that it still orders after every shorter one.
std::uint64_t TakeNumber(std::string_view text, std::size_t& at) {
  std::uint64_t value = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    const unsigned digit = static_cast<unsigned>(text[at] - '0');
    value = value > (UINT64_MAX - digit) / 10 ? UINT64_MAX : value * 10 + digit;
  }
  return value;
}

struct Version {
  std::vector<std::uint64_t> numbers;
  std::string_view stage;  // what follows the numbers, without the blanks or dash before it
  bool readable = false;   // it starts with a number
};

Version Parse(std::string_view text) {
  Version version;
  std::size_t at = 0;
  while (at < text.size() && IsDigit(text[at])) {
    version.numbers.push_back(TakeNumber(text, at));
    if (at + 1 < text.size() && text[at] == '.' && IsDigit(text[at + 1])) ++at;
  }
  version.readable = !version.numbers.empty();
  while (at < text.size() && (text[at] == ' ' || text[at] == '-' || text[at] == '.')) ++at;
  version.stage = text.substr(at);
  return version;
}

int Sign(std::uint64_t a, std::uint64_t b) { return a < b ? -1 : a > b ? 1 : 0; }

// Letters compare case ignored, digit runs as numbers; anything else as it stands.
int CompareStages(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const int order = Sign(TakeNumber(a, i), TakeNumber(b, j));
      if (order != 0) return order;
      continue;
    }
    const char x = IsLetter(a[i]) ? Lower(a[i]) : a[i];
    const char y = IsLetter(b[j]) ? Lower(b[j]) : b[j];
    if (x != y) return x < y ? -1 : 1;
    ++i;
    ++j;
  }
  return Sign(a.size() - i, b.size() - j);
}

}  // namespace

int CompareVersions(std::string_view a, std::string_view b) {
  const Version x = Parse(a), y = Parse(b);
  const std::size_t parts = x.numbers.size() > y.numbers.size() ? x.numbers.size() : y.numbers.size();
  for (std::size_t i = 0; i < parts; ++i) {
    const std::uint64_t p = i < x.numbers.size() ? x.numbers[i] : 0;
    const std::uint64_t q = i < y.numbers.size() ? y.numbers[i] : 0;
    if (p != q) return Sign(p, q);
  }
  // A stage marks a release made before the one without.
  if (x.stage.empty() != y.stage.empty()) return x.stage.empty() ? 1 : -1;
  return CompareStages(x.stage, y.stage);
}

InstallKind ClassifyInstall(std::string_view own, const std::optional<std::string>& installed) {
  if (!installed) return InstallKind::kFirst;
  // An entry whose version cannot be read is no reason to refuse: it is replaced.
  if (!Parse(*installed).readable) return InstallKind::kUpgrade;
  const int order = CompareVersions(own, *installed);
  if (order == 0) return InstallKind::kRepair;
  return order > 0 ? InstallKind::kUpgrade : InstallKind::kDowngrade;
}

}  // namespace kelvamo
