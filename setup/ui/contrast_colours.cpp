#include "setup/ui/contrast_colours.h"

namespace kelvamo {

namespace {

constexpr unsigned long kHighContrastOn = 0x00000001;  // HCF_HIGHCONTRASTON
constexpr unsigned long kLargestFlags = 0xFFFFFFFFul;

}  // namespace

ButtonContrast ButtonContrastFor(bool disabled) {
  return {SystemColour::ButtonFace, SystemColour::ButtonText, SystemColour::Highlight,
          disabled ? SystemColour::GrayText : SystemColour::ButtonText};
}

bool StoredFlagsSayHighContrast(std::string_view flags) {
  if (flags.empty()) return false;
  unsigned long long value = 0;
  for (char c : flags) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > kLargestFlags) return false;
  }
  return (value & kHighContrastOn) != 0;
}

}  // namespace kelvamo
