#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "setup/ui/button_look.h"

// The wizard is designed at 96 DPI; at any other DPI every size is the 96-DPI size scaled.
namespace kelvamo {

constexpr int kDesignDpi = 96;

// pixels * dpi / 96, rounded half away from zero as the platform's MulDiv rounds.
int ScaleToDpi(int pixels, int dpi);

// Each edge scaled, so controls that touch at 96 DPI still touch.
PixelRect ScaleRectToDpi(const PixelRect& rect, int dpi);

// Artwork is drawn at 1x and 2x; a DPI above the design's takes the 2x pictures and shrinks them.
int ArtworkScaleFor(int dpi);

// Pixels per four horizontal and per eight vertical dialog units.
struct BaseUnits {
  int x, y;
};

// The System font's base units at 96 DPI on Windows, for a template that names no font.
constexpr BaseUnits kSystemFontBaseUnits96{8, 16};

struct DialogItem {
  int id;  // -1 for the unnumbered controls
  int x, y, cx, cy;
  int bitmapId;  // the picture of a bitmap static, else 0
};

struct DialogTemplate {
  int cx, cy;
  int pointSize;  // 0 when the template names no font
  std::u16string face;
  std::vector<DialogItem> items;
};

// Reads a DIALOG or DIALOGEX resource as stored in the image; nullopt when it is cut short.
std::optional<DialogTemplate> ReadDialogTemplate(const std::uint8_t* bytes, std::size_t size);

// Where the dialog manager puts an item: position and size mapped each on their own.
PixelRect ItemPixels(const DialogItem& item, BaseUnits units);

}  // namespace kelvamo
