// Pixel images: the retained image of a picture box and the decoded skin sheets.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace plat {

// 0x00RRGGBB, which in memory is the byte order of a 32-bit DIB (B, G, R, 0).
using Pixel = std::uint32_t;

inline constexpr Pixel MakePixel(int r, int g, int b) {
  return (static_cast<Pixel>(r) << 16) | (static_cast<Pixel>(g) << 8) | static_cast<Pixel>(b);
}

struct Image {
  int width = 0;
  int height = 0;
  std::vector<Pixel> pixels;  // row by row from the top, no padding

  bool empty() const { return width <= 0 || height <= 0; }
  Pixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  // Resizes and fills with one colour (allocates only when it grows).
  void Reset(int w, int h, Pixel fill);
};

// Plain source copy of the rectangle (sx, sy, w, h) of src to (dx, dy) of dst,
// clipped by both images. Never allocates.
void BlockCopy(const Image& src, int sx, int sy, int w, int h, Image& dst, int dx, int dy);

// Decodes a baseline JPEG; bytes after its end marker are ignored. Throws
// runtime error 481 (Invalid picture) for anything it cannot decode.
Image DecodeJpeg(std::span<const std::uint8_t> bytes);

}  // namespace plat
