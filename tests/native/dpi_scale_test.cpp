#include "setup/ui/dpi_scale.h"

#include <gtest/gtest.h>

using namespace kelvamo;

TEST(DpiScale, PixelsAndRectanglesScaleAndRoundAsMulDiv) {
  const struct {
    int pixels, dpi, scaled;
  } rows[] = {{13, 96, 13}, {13, 144, 20}, {17, 144, 26}, {1, 144, 2}, {164, 144, 246},
              {290, 144, 435}, {53, 120, 66}, {-3, 144, -5}, {7, 192, 14}, {0, 144, 0}};
  for (const auto& row : rows) {
    EXPECT_EQ(ScaleToDpi(row.pixels, row.dpi), row.scaled) << row.pixels << " at " << row.dpi;
  }
  // Edges scale on their own, so neighbours that touch at 96 DPI still touch.
  const PixelRect r = ScaleRectToDpi({3, 5, 17, 9}, 144);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 8);
  EXPECT_EQ(r.right, 26);
  EXPECT_EQ(r.bottom, 14);
  EXPECT_EQ(ArtworkScaleFor(96), 1);
  EXPECT_EQ(ArtworkScaleFor(120), 2);
  EXPECT_EQ(ArtworkScaleFor(192), 2);
}
