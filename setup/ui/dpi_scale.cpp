#include "setup/ui/dpi_scale.h"

#include <cstdint>

namespace kelvamo {

namespace {

constexpr std::uint32_t kExtendedSignature = 0xFFFF0001;
constexpr std::uint32_t kDsSetFont = 0x40;
constexpr std::uint16_t kOrdinalMark = 0xFFFF;
constexpr std::uint16_t kStaticClass = 0x0082;
constexpr std::uint32_t kStaticTypeMask = 0x1F;
constexpr std::uint32_t kStaticBitmap = 0x0E;

int MulDivRounded(int value, int numerator, int denominator) {
  const std::int64_t product = std::int64_t{value} * numerator;
  const std::int64_t half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

// Sequential reading of the template's little-endian fields, words aligned as stored.
class Reader {
public:
  Reader(const std::uint8_t* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}

  bool Fits(std::size_t count) const { return m_ok && m_at + count <= m_size; }
  std::uint16_t Word() {
    if (!Fits(2)) return Fail();
    const std::uint16_t value = static_cast<std::uint16_t>(m_bytes[m_at] | m_bytes[m_at + 1] << 8);
    m_at += 2;
    return value;
  }
  std::uint32_t Dword() {
    const std::uint32_t low = Word();
    return low | static_cast<std::uint32_t>(Word()) << 16;
  }
  std::int16_t Short() { return static_cast<std::int16_t>(Word()); }
  std::u16string Text() {
    std::u16string text;
    for (char16_t c = Word(); m_ok && c != 0; c = Word()) text += c;
    return text;
  }
  // A name or an ordinal (then the name is empty).
  struct Name {
    int ordinal;
    std::u16string text;
  };
  Name NameOrOrdinal() {
    const std::uint16_t first = Word();
    if (first == kOrdinalMark) return {Word(), {}};
    Name name{0, {}};
    for (std::uint16_t c = first; m_ok && c != 0; c = Word()) name.text += static_cast<char16_t>(c);
    return name;
  }
  void AlignToDword() { m_at = (m_at + 3) & ~std::size_t{3}; }
  void Skip(std::size_t count) {
    if (!Fits(count)) Fail();
    m_at += count;
  }
  bool Ok() const { return m_ok; }

private:
  std::uint16_t Fail() {
    m_ok = false;
    return 0;
  }
  const std::uint8_t* m_bytes;
  std::size_t m_size;
  std::size_t m_at = 0;
  bool m_ok = true;
};

// Resource compilers store the class by ordinal or by the name the script gives, in any case.
bool IsStaticClass(const Reader::Name& name) {
  if (name.ordinal) return name.ordinal == kStaticClass;
  const char16_t lower[] = u"static";
  if (name.text.size() != 6) return false;
  for (std::size_t i = 0; i < 6; ++i) {
    const char16_t c = name.text[i];
    if ((c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c) != lower[i]) return false;
  }
  return true;
}

}  // namespace

int ScaleToDpi(int pixels, int dpi) { return MulDivRounded(pixels, dpi, kDesignDpi); }

PixelRect ScaleRectToDpi(const PixelRect& r, int dpi) {
  return {ScaleToDpi(r.left, dpi), ScaleToDpi(r.top, dpi), ScaleToDpi(r.right, dpi),
          ScaleToDpi(r.bottom, dpi)};
}

int ArtworkScaleFor(int dpi) { return dpi > kDesignDpi ? 2 : 1; }

std::optional<DialogTemplate> ReadDialogTemplate(const std::uint8_t* bytes, std::size_t size) {
  Reader in(bytes, size);
  DialogTemplate result{};
  const bool extended = in.Fits(4) && Reader(bytes, size).Dword() == kExtendedSignature;
  std::uint32_t style = 0;
  if (extended) {
    in.Skip(8);  // signature and version, help id
    in.Dword();  // extended style
    style = in.Dword();
  } else {
    style = in.Dword();
    in.Dword();  // extended style
  }
  const int count = in.Word();
  in.Short(), in.Short();
  result.cx = in.Short();
  result.cy = in.Short();
  in.NameOrOrdinal();  // menu
  in.NameOrOrdinal();  // class
  in.Text();           // caption
  if (style & kDsSetFont) {
    result.pointSize = in.Word();
    if (extended) in.Skip(4);  // weight, italic, character set
    result.face = in.Text();
  }
  for (int i = 0; i < count && in.Ok(); ++i) {
    in.AlignToDword();
    DialogItem item{};
    std::uint32_t itemStyle = 0;
    if (extended) {
      in.Dword();  // help id
      in.Dword();  // extended style
      itemStyle = in.Dword();
    } else {
      itemStyle = in.Dword();
      in.Dword();
    }
    item.x = in.Short(), item.y = in.Short(), item.cx = in.Short(), item.cy = in.Short();
    item.id = extended ? static_cast<std::int32_t>(in.Dword()) : in.Short();
    const Reader::Name windowClass = in.NameOrOrdinal();
    const Reader::Name title = in.NameOrOrdinal();
    if (IsStaticClass(windowClass) && (itemStyle & kStaticTypeMask) == kStaticBitmap) {
      item.bitmapId = title.ordinal;
    }
    in.Skip(in.Word());  // creation data
    result.items.push_back(item);
  }
  if (!in.Ok()) return std::nullopt;
  return result;
}

PixelRect ItemPixels(const DialogItem& item, BaseUnits units) {
  const int left = MulDivRounded(item.x, units.x, 4);
  const int top = MulDivRounded(item.y, units.y, 8);
  return {left, top, left + MulDivRounded(item.cx, units.x, 4),
          top + MulDivRounded(item.cy, units.y, 8)};
}

}  // namespace kelvamo
