#include "setup/ui/button_look.h"

#include <gtest/gtest.h>

using namespace kelvamo;

namespace {

int Red(ColourValue c) { return c & 0xFF; }
int Green(ColourValue c) { return (c >> 8) & 0xFF; }
int Blue(ColourValue c) { return (c >> 16) & 0xFF; }

}  // namespace

TEST(ButtonLook, ShadeTablePerHoverAndActive) {
  const struct {
    bool hover, active;
    int redGreenDivisor, blueDivisor;
    ColourValue darkest;
  } rows[] = {
      {false, false, 3, 5, RgbColour(234, 234, 243)},
      {false, true, 3, 4, RgbColour(234, 234, 240)},
      {true, false, 4, 5, RgbColour(240, 240, 243)},
      {true, true, 4, 3, RgbColour(240, 240, 234)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "hover " << row.hover << " active " << row.active);
    EXPECT_EQ(GradientShade(row.hover, row.active, 0), RgbColour(255, 255, 255));
    EXPECT_EQ(GradientShade(row.hover, row.active, 63), row.darkest);
    for (int i = 0; i < kShadeCount; ++i) {
      const ColourValue shade = GradientShade(row.hover, row.active, i);
      EXPECT_EQ(Red(shade), 255 - i / row.redGreenDivisor) << i;
      EXPECT_EQ(Green(shade), Red(shade)) << i;
      EXPECT_EQ(Blue(shade), 255 - i / row.blueDivisor) << i;
    }
    // Past the table the darkest shade repeats; nothing reads outside it.
    EXPECT_EQ(GradientShade(row.hover, row.active, 64), row.darkest);
    EXPECT_EQ(GradientShade(row.hover, row.active, 1000), row.darkest);
    EXPECT_EQ(GradientShade(row.hover, row.active, -5), RgbColour(255, 255, 255));
  }
}

TEST(ButtonLook, WorkedExampleOfA75By21Button) {
  const PixelRect inner = InnerRect({0, 0, 75, 21}, 2, 2);
  EXPECT_EQ(inner.left, 2);
  EXPECT_EQ(inner.top, 2);
  EXPECT_EQ(inner.right, 73);
  EXPECT_EQ(inner.bottom, 19);

  const GradientRows rows = GradientRowsFor(inner);
  EXPECT_EQ(rows.firstRow, 2);
  EXPECT_EQ(rows.lastRow, 19);
  EXPECT_EQ(rows.left, 2);
  EXPECT_EQ(rows.right, 73);
  const int expected[] = {7, 11, 14, 18, 22, 25, 29, 33, 37, 40, 44, 48, 51, 55, 59, 63, 63, 63};
  for (int y = rows.firstRow; y <= rows.lastRow; ++y) {
    EXPECT_EQ(ShadeForRow(y, inner.bottom - inner.top), expected[y - 2]) << "row " << y;
  }

  const auto frame = InnerFrameSegments(inner);
  EXPECT_EQ(frame[kFrameLeft].from, (PixelPoint{2, 18}));
  EXPECT_EQ(frame[kFrameLeft].to, (PixelPoint{2, 3}));
  EXPECT_EQ(frame[kFrameRight].from, (PixelPoint{72, 18}));
  EXPECT_EQ(frame[kFrameRight].to, (PixelPoint{72, 2}));
  EXPECT_EQ(frame[kFrameTop].from, (PixelPoint{1, 2}));
  EXPECT_EQ(frame[kFrameTop].to, (PixelPoint{72, 2}));
  EXPECT_EQ(frame[kFrameBottom].from, (PixelPoint{2, 19}));
  EXPECT_EQ(frame[kFrameBottom].to, (PixelPoint{72, 19}));

  EXPECT_EQ(CaptionOrigin(inner, 60, 12, false), (PixelPoint{7, 4}));
  EXPECT_EQ(CaptionOrigin(inner, 60, 12, true), (PixelPoint{8, 5}));
}

TEST(ButtonLook, FlatOrTinyButtonsGetNoGradientRowsAndNoDivisionByZero) {
  for (int height : {0, 1, 2, 3, 4}) {
    const PixelRect inner = InnerRect({0, 0, 75, height}, 2, 2);
    const GradientRows rows = GradientRowsFor(inner);
    EXPECT_GT(rows.firstRow, rows.lastRow) << "height " << height;
  }
  EXPECT_EQ(ShadeForRow(10, 0), 0);
  EXPECT_EQ(ShadeForRow(2000000000, 1), 63);
  // A single-row inner rectangle is painted, with the last shade.
  const GradientRows one = GradientRowsFor(InnerRect({0, 0, 75, 5}, 2, 2));
  EXPECT_EQ(one.firstRow, 2);
  EXPECT_EQ(one.lastRow, 3);
}

TEST(ButtonLook, FlagsAndLookByItemStateAndHover) {
  const struct {
    unsigned itemState;
    bool hover;
    int focused, active;
    bool pressed, disabled;
    FrameColours frame;
    bool focusRect;
  } cases[] = {
      {0, false, 0, 0, false, false, FrameColours::None, false},
      {kItemSelected, false, 0, 1, true, false, FrameColours::None, false},
      {kItemDefault, false, 0, 1, false, false, FrameColours::None, false},
      {kItemFocus, false, 1, 1, false, false, FrameColours::Focus, true},
      {0, true, 0, 0, false, false, FrameColours::Hot, false},
      {kItemFocus, true, 1, 1, false, false, FrameColours::Hot, false},
      {kItemFocus | kItemSelected, true, 1, 1, true, false, FrameColours::Hot, false},
      {kItemDisabled, false, 0, 0, false, true, FrameColours::None, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "state " << c.itemState << " hover " << c.hover);
    const PaintFlags flags = PaintFlagsFrom(c.itemState);
    EXPECT_EQ(flags.focused, c.focused);
    EXPECT_EQ(flags.active, c.active);
    EXPECT_EQ(flags.pressed, c.pressed);
    EXPECT_EQ(flags.disabled, c.disabled);
    const ButtonLook look = LookFor(c.hover, flags.focused, flags.active);
    EXPECT_EQ(look.shadeHover, c.hover);
    EXPECT_EQ(look.shadeActive, c.active != 0);
    EXPECT_EQ(look.frame, c.frame);
    EXPECT_EQ(look.focusRect, c.focusRect);
  }
  EXPECT_EQ(CaptionDrawFlags(false), 0x0002u);
  EXPECT_EQ(CaptionDrawFlags(true), 0x0022u);
}

TEST(ButtonLook, SizesScaleWithTheDpiAndKeepTheirPlacesAt96) {
  const struct {
    int dpi;
    int corner, border, side, topBottom, step, edge;
  } rows[] = {
      {96, 5, 1, 3, 2, 1, 2},  {120, 6, 1, 4, 3, 1, 3},  {144, 8, 2, 5, 3, 2, 3},
      {192, 10, 2, 6, 4, 2, 4}, {288, 15, 3, 9, 6, 3, 6}, {72, 4, 1, 2, 2, 1, 2},
  };
  for (const auto& row : rows) {
    const ButtonMetrics m = ButtonMetricsFor(row.dpi, 2, 2);
    EXPECT_EQ(m.corner, row.corner) << row.dpi;
    EXPECT_EQ(m.borderWidth, row.border) << row.dpi;
    EXPECT_EQ(m.frameWidths[kFrameLeft], row.side) << row.dpi;
    EXPECT_EQ(m.frameWidths[kFrameRight], row.side) << row.dpi;
    EXPECT_EQ(m.frameWidths[kFrameTop], row.topBottom) << row.dpi;
    EXPECT_EQ(m.frameWidths[kFrameBottom], row.topBottom) << row.dpi;
    EXPECT_EQ(m.step, row.step) << row.dpi;
    EXPECT_EQ(m.edgeX, row.edge) << row.dpi;
    EXPECT_EQ(m.edgeY, row.edge) << row.dpi;
  }
}
