#include "setup/ui/dpi_scale.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace kelvamo;

namespace {

// Little-endian template bytes, built field by field.
class Bytes {
public:
  Bytes& Word(int v) {
    m_bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    m_bytes.push_back(static_cast<std::uint8_t>(v >> 8 & 0xFF));
    return *this;
  }
  Bytes& Dword(std::uint32_t v) { return Word(v & 0xFFFF).Word(v >> 16); }
  Bytes& Text(const std::u16string& text) {
    for (char16_t c : text) Word(c);
    return Word(0);
  }
  Bytes& Align() {
    while (m_bytes.size() % 4) m_bytes.push_back(0);
    return *this;
  }
  const std::vector<std::uint8_t>& Get() const { return m_bytes; }

private:
  std::vector<std::uint8_t> m_bytes;
};

// A DIALOG template as the resource compiler stores the welcome page: the System font, a bitmap
// static of the class named "STATIC" (as windres keeps it) and one of the class by ordinal.
Bytes WelcomeLikeTemplate() {
  Bytes b;
  b.Dword(0x40000040).Dword(0).Word(2).Word(0).Word(0).Word(248).Word(147);
  b.Word(0).Word(0).Word(0);  // no menu, default class, no caption
  b.Word(10).Text(u"System");
  b.Align().Dword(0x5000000E).Dword(0).Word(0).Word(0).Word(82).Word(145).Word(0xFFFF);
  b.Text(u"STATIC").Word(0xFFFF).Word(138).Word(0);
  b.Align().Dword(0x50020000).Dword(0).Word(86).Word(7).Word(147).Word(24).Word(1008);
  b.Word(0xFFFF).Word(0x0082).Text(u"欢迎").Word(0);
  return b;
}

}  // namespace

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

TEST(DpiScale, ReadsADialogTemplateWithItsFontItemsAndPictures) {
  const Bytes bytes = WelcomeLikeTemplate();
  const auto read = ReadDialogTemplate(bytes.Get().data(), bytes.Get().size());
  ASSERT_TRUE(read);
  EXPECT_EQ(read->cx, 248);
  EXPECT_EQ(read->cy, 147);
  EXPECT_EQ(read->pointSize, 10);
  EXPECT_EQ(read->face, u"System");
  ASSERT_EQ(read->items.size(), 2u);
  EXPECT_EQ(read->items[0].id, -1);
  EXPECT_EQ(read->items[0].bitmapId, 138);
  EXPECT_EQ(read->items[1].id, 1008);
  EXPECT_EQ(read->items[1].bitmapId, 0);
  // The System font's 96-DPI units put the banner at exactly its 164 x 290 picture.
  const PixelRect banner = ItemPixels(read->items[0], kSystemFontBaseUnits96);
  EXPECT_EQ(banner.right, 164);
  EXPECT_EQ(banner.bottom, 290);
  const PixelRect title = ItemPixels(read->items[1], {7, 14});
  EXPECT_EQ(title.left, 151);  // 86 * 7 / 4 = 150.5, rounded up
  EXPECT_EQ(title.top, 12);    // 7 * 14 / 8 = 12.25
  EXPECT_EQ(title.right, 151 + 257);
  EXPECT_EQ(title.bottom, 12 + 42);

  // Every cut of the template is refused rather than read past its end.
  for (std::size_t size = 0; size < bytes.Get().size() - 2; ++size) {
    EXPECT_FALSE(ReadDialogTemplate(bytes.Get().data(), size)) << size;
  }
}
