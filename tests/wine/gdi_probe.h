#pragma once
#include <windows.h>

#include <cstdint>

// Test support: reading pixels drawn into memory and counting this process's GDI objects.

// A 32-bit top-down DIB section selected into its own memory context.
class MemoryCanvas {
public:
  MemoryCanvas(int width, int height);
  ~MemoryCanvas();
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  HDC dc() const { return m_dc; }
  int width() const { return m_width; }
  int height() const { return m_height; }
  void Fill(COLORREF colour);
  COLORREF Pixel(int x, int y) const;

private:
  int m_width, m_height;
  HDC m_dc;
  HBITMAP m_bitmap;
  HGDIOBJ m_previous;
  std::uint32_t* m_bits = nullptr;
};

// Live GDI objects of this process. Wine has no GetGuiResources, so there the handle table is
// probed: Wine accepts a bare table index as a handle.
int CountGdiObjects();
