// Draws the installer's artwork (icon group and the three page bitmaps) into BMP and ICO files.
// Host tool of the native build; the output is the same on every run.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Rgba {
  double r, g, b, a;
};

Rgba Mix(const Rgba& under, const Rgba& over) {
  const double a = over.a + under.a * (1 - over.a);
  if (a <= 0) return {0, 0, 0, 0};
  auto channel = [&](double u, double o) { return (o * over.a + u * under.a * (1 - over.a)) / a; };
  return {channel(under.r, over.r), channel(under.g, over.g), channel(under.b, over.b), a};
}

Rgba Lerp(const Rgba& from, const Rgba& to, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
          from.b + (to.b - from.b) * t, from.a + (to.a - from.a) * t};
}

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

// The emblem in unit coordinates (0..1 both ways): a rounded blue tile with a white "K".
Rgba Emblem(double x, double y) {
  const double radius = 0.22;
  const double qx = std::max(std::abs(x - 0.5) - (0.5 - radius), 0.0);
  const double qy = std::max(std::abs(y - 0.5) - (0.5 - radius), 0.0);
  if (std::hypot(qx, qy) > radius) return {0, 0, 0, 0};
  const Rgba top{0.24, 0.66, 0.96, 1}, bottom{0.07, 0.30, 0.66, 1};
  Rgba tile = Lerp(top, bottom, y);
  const double stroke = 0.085;
  const double k = std::min({SegmentDistance(x, y, 0.34, 0.24, 0.34, 0.76),
                             SegmentDistance(x, y, 0.36, 0.52, 0.68, 0.24),
                             SegmentDistance(x, y, 0.44, 0.45, 0.68, 0.76)});
  if (k < stroke) tile = {1, 1, 1, 1};
  return tile;
}

using Painter = Rgba (*)(double x, double y, int width, int height);

// Pixels top row first, each averaged over 4 x 4 samples so edges are smooth. The painter draws
// in the picture's 1x coordinates; `scale` renders it that many times larger.
std::vector<Rgba> Render(int width, int height, Painter paint, int scale = 1) {
  const int outWidth = width * scale, outHeight = height * scale;
  std::vector<Rgba> pixels(static_cast<size_t>(outWidth) * outHeight);
  for (int y = 0; y < outHeight; ++y) {
    for (int x = 0; x < outWidth; ++x) {
      Rgba sum{0, 0, 0, 0};
      for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) {
          const Rgba s = paint((x + (sx + 0.5) / 4) / scale, (y + (sy + 0.5) / 4) / scale, width, height);
          sum = {sum.r + s.r * s.a, sum.g + s.g * s.a, sum.b + s.b * s.a, sum.a + s.a};
        }
      }
      Rgba& p = pixels[static_cast<size_t>(y) * outWidth + x];
      p = sum.a > 0 ? Rgba{sum.r / sum.a, sum.g / sum.a, sum.b / sum.a, sum.a / 16} : Rgba{0, 0, 0, 0};
    }
  }
  return pixels;
}

Rgba IconPainter(double x, double y, int width, int height) { return Emblem(x / width, y / height); }

// Tall banner of the welcome and finish pages.
Rgba BannerPainter(double x, double y, int width, int height) {
  Rgba sky = Lerp({0.04, 0.24, 0.57, 1}, {0.36, 0.75, 0.92, 1}, y / height);
  for (int ring = 0; ring < 4; ++ring) {
    const double distance = std::hypot(x - width * 1.1, y - height * 0.95);
    const double band = std::abs(distance - (90 + ring * 55));
    if (band < 10) sky = Mix(sky, {1, 1, 1, 0.10 * (1 - band / 10)});
  }
  const double size = width * 0.42, left = (width - size) / 2, top = height * 0.12;
  if (x >= left && x < left + size && y >= top && y < top + size) {
    sky = Mix(sky, Emblem((x - left) / size, (y - top) / size));
  }
  return sky;
}

// Header of the folder and progress pages.
Rgba HeaderPainter(double x, double y, int width, int height) {
  Rgba back = Lerp({1, 1, 1, 1}, {0.85, 0.92, 0.99, 1}, x / width);
  const double size = height * 0.76, left = height * 0.14, top = height * 0.12;
  if (x >= left && x < left + size && y >= top && y < top + size) {
    back = Mix(back, Emblem((x - left) / size, (y - top) / size));
  }
  return back;
}

// Small picture beside the exit question, on white.
Rgba QuestionPainter(double x, double y, int width, int height) {
  const double size = std::min(width, height) * 0.94;
  const double left = (width - size) / 2, top = (height - size) / 2;
  Rgba back{1, 1, 1, 1};
  if (x >= left && x < left + size && y >= top && y < top + size) {
    back = Mix(back, Emblem((x - left) / size, (y - top) / size));
  }
  return back;
}

uint8_t Byte(double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

void Put16(std::string& out, unsigned v) { out += static_cast<char>(v & 0xFF), out += static_cast<char>(v >> 8 & 0xFF); }
void Put32(std::string& out, uint32_t v) { Put16(out, v & 0xFFFF), Put16(out, v >> 16); }

// BITMAPINFOHEADER; icons state twice the height (colour rows, then mask rows).
void PutInfoHeader(std::string& out, int width, int height, int bits, uint32_t imageSize) {
  Put32(out, 40), Put32(out, width), Put32(out, height), Put16(out, 1), Put16(out, bits);
  Put32(out, 0), Put32(out, imageSize), Put32(out, 0), Put32(out, 0);
  Put32(out, bits == 8 ? 256 : 0), Put32(out, 0);
}

int RowBytes(int width, int bits) { return (width * bits + 31) / 32 * 4; }

// The 256-colour palette of the 8-bit icon images: a 6 x 6 x 6 cube and 40 greys.
std::vector<Rgba> Palette() {
  std::vector<Rgba> palette;
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) palette.push_back({r / 5.0, g / 5.0, b / 5.0, 1});
  for (int i = 0; i < 40; ++i) palette.push_back({i / 39.0, i / 39.0, i / 39.0, 1});
  return palette;
}

uint8_t NearestIndex(const std::vector<Rgba>& palette, const Rgba& c) {
  size_t best = 0;
  double bestDistance = 1e9;
  for (size_t i = 0; i < palette.size(); ++i) {
    const double d = std::pow(palette[i].r - c.r, 2) + std::pow(palette[i].g - c.g, 2) +
                     std::pow(palette[i].b - c.b, 2);
    if (d < bestDistance) bestDistance = d, best = i;
  }
  return static_cast<uint8_t>(best);
}

// Colour rows bottom-up in 8, 24 or 32 bits per pixel.
std::string PixelRows(const std::vector<Rgba>& pixels, int width, int height, int bits) {
  static const std::vector<Rgba> palette = Palette();
  std::string out;
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      const Rgba& p = pixels[static_cast<size_t>(y) * width + x];
      if (bits == 8) {
        row += static_cast<char>(NearestIndex(palette, p));
        continue;
      }
      row += static_cast<char>(Byte(p.b)), row += static_cast<char>(Byte(p.g)), row += static_cast<char>(Byte(p.r));
      if (bits == 32) row += static_cast<char>(Byte(p.a));
    }
    row.resize(static_cast<size_t>(RowBytes(width, bits)), '\0');
    out += row;
  }
  return out;
}

// 1-bit transparency mask rows, bottom-up: set where the picture is mostly transparent.
std::string MaskRows(const std::vector<Rgba>& pixels, int width, int height) {
  std::string out;
  for (int y = height - 1; y >= 0; --y) {
    std::string row(static_cast<size_t>(RowBytes(width, 1)), '\0');
    for (int x = 0; x < width; ++x) {
      if (pixels[static_cast<size_t>(y) * width + x].a < 0.5) row[x / 8] |= static_cast<char>(0x80 >> (x % 8));
    }
    out += row;
  }
  return out;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

// The picture at its 1x size times `scale`.
bool WriteBitmap(const std::string& path, int width, int height, Painter paint, int scale = 1) {
  const std::string rows =
      PixelRows(Render(width, height, paint, scale), width * scale, height * scale, 24);
  width *= scale, height *= scale;
  std::string out = "BM";
  Put32(out, static_cast<uint32_t>(14 + 40 + rows.size())), Put32(out, 0), Put32(out, 14 + 40);
  PutInfoHeader(out, width, height, 24, static_cast<uint32_t>(rows.size()));
  return WriteFile(path, out + rows);
}

struct IconImage {
  int size, bits;
};

bool WriteIcon(const std::string& path, const std::vector<IconImage>& images) {
  const int count = static_cast<int>(images.size());
  std::string directory, data;
  Put16(directory, 0), Put16(directory, 1), Put16(directory, count);
  uint32_t offset = 6 + 16 * count;
  for (const auto& image : images) {
    const std::vector<Rgba> pixels = Render(image.size, image.size, IconPainter);
    std::string entry;
    const std::string rows = PixelRows(pixels, image.size, image.size, image.bits);
    const std::string mask = MaskRows(pixels, image.size, image.size);
    PutInfoHeader(entry, image.size, image.size * 2, image.bits, static_cast<uint32_t>(rows.size() + mask.size()));
    if (image.bits == 8) {
      for (const Rgba& c : Palette()) entry += static_cast<char>(Byte(c.b)), entry += static_cast<char>(Byte(c.g)), entry += static_cast<char>(Byte(c.r)), entry += '\0';
    }
    entry += rows + mask;
    directory += static_cast<char>(image.size & 0xFF), directory += static_cast<char>(image.size & 0xFF);
    directory += '\0', directory += '\0';
    Put16(directory, 1), Put16(directory, image.bits);
    Put32(directory, static_cast<uint32_t>(entry.size())), Put32(directory, offset);
    offset += static_cast<uint32_t>(entry.size());
    data += entry;
  }
  return WriteFile(path, directory + data);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  // The uninstaller carries the same emblem without its large images, to stay small.
  const std::vector<IconImage> setupIcon = {{48, 8},  {32, 8},  {16, 8}, {128, 32},
                                            {48, 32}, {32, 24}, {16, 32}};
  const std::vector<IconImage> uninstallIcon = {{48, 8}, {32, 8}, {16, 8}, {32, 32}, {16, 32}};
  const bool ok = WriteIcon(folder + "setup.ico", setupIcon) &&
                  WriteIcon(folder + "uninstall.ico", uninstallIcon) &&
                  WriteBitmap(folder + "banner.bmp", 164, 290, BannerPainter) &&
                  WriteBitmap(folder + "header.bmp", 158, 53, HeaderPainter) &&
                  WriteBitmap(folder + "question.bmp", 44, 34, QuestionPainter) &&
                  // Shrunk smoothly by setup.exe above 96 DPI.
                  WriteBitmap(folder + "banner-2x.bmp", 164, 290, BannerPainter, 2) &&
                  WriteBitmap(folder + "header-2x.bmp", 158, 53, HeaderPainter, 2) &&
                  WriteBitmap(folder + "question-2x.bmp", 44, 34, QuestionPainter, 2);
  if (!ok) std::fprintf(stderr, "%s: cannot write the artwork into %s\n", argv[0], argv[1]);
  return ok ? 0 : 1;
}
