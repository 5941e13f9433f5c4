#pragma once
#include <string_view>

// The system colours the wizard paints with while the user has high contrast on, instead of the
// design's white areas and drawn gradients. Numbers are GetSysColor's indices.
namespace kelvamo {

enum class SystemColour : int {
  Window = 5,
  WindowText = 8,
  Highlight = 13,
  ButtonFace = 15,
  GrayText = 17,
  ButtonText = 18,
};

struct ColourPair {
  SystemColour background, text;
};

// An area the design paints white reads as a window's text; the rest of a dialog keeps the
// dialog manager's own system colours.
constexpr ColourPair kContrastWhiteArea{SystemColour::Window, SystemColour::WindowText};

// The drawn button in high contrast: a plain face inside an outline in the text's colour, the
// highlight colour for the frame that shows the pointer or the focus, gray text when disabled.
struct ButtonContrast {
  SystemColour face, outline, frame, text;
};
ButtonContrast ButtonContrastFor(bool disabled);

// The high-contrast bit of the flags Windows keeps, as text, under
// HKCU\Control Panel\Accessibility\HighContrast "Flags" ("127" on, "126" off).
bool StoredFlagsSayHighContrast(std::string_view flags);

}  // namespace kelvamo
