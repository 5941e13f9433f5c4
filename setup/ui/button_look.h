#pragma once
#include <array>
#include <cstdint>

// How the drawn navigation button looks in each state: colours, geometry and the gradient.
namespace kelvamo {

// A colour as the platform's drawing calls take it: 0x00BBGGRR.
using ColourValue = std::uint32_t;

constexpr ColourValue RgbColour(int red, int green, int blue) {
  return static_cast<ColourValue>(red) | static_cast<ColourValue>(green) << 8 |
         static_cast<ColourValue>(blue) << 16;
}

// Right and bottom are exclusive.
struct PixelRect {
  int left, top, right, bottom;
};
struct PixelPoint {
  int x, y;
  bool operator==(const PixelPoint& other) const { return x == other.x && y == other.y; }
};

struct PenStyle {
  int width;
  ColourValue colour;
};

// The four lines of the inner frame, in the order they are drawn (later ones overdraw).
enum FrameLine { kFrameLeft, kFrameRight, kFrameTop, kFrameBottom, kFrameLineCount };
using FramePens = std::array<PenStyle, kFrameLineCount>;

constexpr PenStyle kBorderPen{1, RgbColour(0, 0, 0)};
constexpr FramePens kHotFramePens{{{3, RgbColour(250, 196, 88)},
                                   {3, RgbColour(251, 202, 106)},
                                   {2, RgbColour(252, 210, 121)},
                                   {2, RgbColour(229, 151, 0)}}};
constexpr FramePens kFocusFramePens{{{3, RgbColour(153, 198, 252)},
                                     {3, RgbColour(162, 189, 252)},
                                     {2, RgbColour(162, 201, 255)},
                                     {2, RgbColour(162, 201, 255)}}};
constexpr ColourValue kHoverBrushColour = RgbColour(223, 222, 236);
constexpr ColourValue kNormalBrushColour = RgbColour(222, 223, 236);
constexpr int kOutlineCorner = 5;

// The pixel sizes of the look at a display's DPI: the 96-DPI sizes scaled and rounded, never
// below one pixel. `step` is the one-pixel offset of the inner frame's ends and of the pressed
// caption; the edge is the platform's 3-D edge as measured at 96 DPI.
struct ButtonMetrics {
  int corner;
  int borderWidth;
  std::array<int, kFrameLineCount> frameWidths;
  int step;
  int edgeX, edgeY;
};
ButtonMetrics ButtonMetricsFor(int dpi, int edgeX, int edgeY);

constexpr int kShadeCount = 64;

// Shade `shade` of the gradient for the hover and active flags; numbers past the table repeat its
// darkest shade, numbers below it the first.
ColourValue GradientShade(bool hover, bool active, int shade);

// Shade number of gradient row y (counted from the button's top edge) for an inner height h.
int ShadeForRow(int y, int innerHeight);

// The one-pixel rows the gradient fills: y from firstRow through lastRow, x from left up to right.
// Empty (firstRow > lastRow) when the inner rectangle has no height. The rows and columns run one
// edge past the inner rectangle's height and width, counted from the button's top-left corner.
struct GradientRows {
  int firstRow, lastRow, left, right;
};
GradientRows GradientRowsFor(const PixelRect& inner);

// The button's area inside its 3-D edge.
PixelRect InnerRect(const PixelRect& item, int edgeX, int edgeY);

struct FrameSegment {
  PixelPoint from, to;  // `to` is not drawn
};
std::array<FrameSegment, kFrameLineCount> InnerFrameSegments(const PixelRect& inner, int step = 1);

// Owner-draw item state bits the button reads.
constexpr unsigned kItemSelected = 0x0001;
constexpr unsigned kItemDisabled = 0x0004;
constexpr unsigned kItemFocus = 0x0010;
constexpr unsigned kItemDefault = 0x0020;

struct PaintFlags {
  int focused;  // keyboard focus
  int active;   // focused, pressed or the default item
  bool pressed;
  bool disabled;
};
PaintFlags PaintFlagsFrom(unsigned itemState);

enum class FrameColours { None, Hot, Focus };
struct ButtonLook {
  bool shadeHover, shadeActive;  // row of the shade table
  FrameColours frame;
  bool focusRect;
};
ButtonLook LookFor(bool hover, bool focused, bool active);

// Top-left corner of a caption of cx by cy centred in the inner rectangle, nudged while pressed.
PixelPoint CaptionOrigin(const PixelRect& inner, int cx, int cy, bool pressed, int step = 1);

// DrawState flags for the caption: prefix text, embossed when disabled.
constexpr unsigned kDrawPrefixText = 0x0002;
constexpr unsigned kDrawDisabled = 0x0020;
constexpr unsigned CaptionDrawFlags(bool disabled) {
  return disabled ? kDrawPrefixText | kDrawDisabled : kDrawPrefixText;
}

}  // namespace kelvamo
