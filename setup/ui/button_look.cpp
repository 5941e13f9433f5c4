#include "setup/ui/button_look.h"

#include <algorithm>
#include <cstdint>

#include "setup/ui/dpi_scale.h"

namespace kelvamo {

ColourValue GradientShade(bool hover, bool active, int shade) {
  const int i = std::clamp(shade, 0, kShadeCount - 1);
  const int redGreenDivisor = hover ? 4 : 3;
  const int blueDivisor = hover ? (active ? 3 : 5) : (active ? 4 : 5);
  const int redGreen = 255 - i / redGreenDivisor;
  return RgbColour(redGreen, redGreen, 255 - i / blueDivisor);
}

int ShadeForRow(int y, int innerHeight) {
  if (innerHeight <= 0) return 0;
  const std::int64_t shade = std::int64_t{kShadeCount - 1} * y / innerHeight;
  return static_cast<int>(std::clamp<std::int64_t>(shade, 0, kShadeCount - 1));
}

GradientRows GradientRowsFor(const PixelRect& inner) {
  const int w = inner.right - inner.left;
  const int h = inner.bottom - inner.top;
  // Rows are counted from the button's top edge, so they end at h + top (the bottom coordinate)
  // rather than one row above it.
  if (h <= 0) return {inner.top, inner.top - 1, inner.left, inner.left};
  return {inner.top, h + inner.top, inner.left, w + inner.left};
}

constexpr bool FrameSetsShareWidths() {
  for (int line = 0; line < kFrameLineCount; ++line) {
    if (kHotFramePens[line].width != kFocusFramePens[line].width) return false;
  }
  return true;
}
static_assert(FrameSetsShareWidths());

ButtonMetrics ButtonMetricsFor(int dpi, int edgeX, int edgeY) {
  const auto scaled = [dpi](int pixels) { return std::max(1, ScaleToDpi(pixels, dpi)); };
  ButtonMetrics metrics{scaled(kOutlineCorner), scaled(kBorderPen.width), {}, scaled(1),
                        scaled(edgeX), scaled(edgeY)};
  for (int line = 0; line < kFrameLineCount; ++line) {
    metrics.frameWidths[line] = scaled(kHotFramePens[line].width);
  }
  return metrics;
}

PixelRect InnerRect(const PixelRect& item, int edgeX, int edgeY) {
  return {item.left + edgeX, item.top + edgeY, item.right - edgeX, item.bottom - edgeY};
}

std::array<FrameSegment, kFrameLineCount> InnerFrameSegments(const PixelRect& r, int step) {
  std::array<FrameSegment, kFrameLineCount> segments{};
  segments[kFrameLeft] = {{r.left, r.bottom - step}, {r.left, r.top + step}};
  segments[kFrameRight] = {{r.right - step, r.bottom - step}, {r.right - step, r.top}};
  segments[kFrameTop] = {{r.left - step, r.top}, {r.right - step, r.top}};
  segments[kFrameBottom] = {{r.left, r.bottom}, {r.right - step, r.bottom}};
  return segments;
}

PaintFlags PaintFlagsFrom(unsigned itemState) {
  PaintFlags flags{};
  flags.focused = (itemState & kItemFocus) ? 1 : 0;
  flags.active = (itemState & (kItemFocus | kItemSelected | kItemDefault)) ? 1 : 0;
  flags.pressed = (itemState & kItemSelected) != 0;
  flags.disabled = (itemState & kItemDisabled) != 0;
  return flags;
}

ButtonLook LookFor(bool hover, bool focused, bool active) {
  ButtonLook look{hover, active, FrameColours::None, false};
  if (hover) {
    look.frame = FrameColours::Hot;
  } else if (focused) {
    look.frame = FrameColours::Focus;
    look.focusRect = true;
  }
  return look;
}

PixelPoint CaptionOrigin(const PixelRect& inner, int cx, int cy, bool pressed, int step) {
  const int nudge = pressed ? step : 0;
  return {(inner.left + inner.right) / 2 - cx / 2 + nudge,
          (inner.top + inner.bottom) / 2 - cy / 2 + nudge};
}

}  // namespace kelvamo
