// Pixel images: the retained image of a picture box and the decoded skin sheets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>

namespace plat {

// 0x00RRGGBB, which in memory is the byte order of a 32-bit DIB (B, G, R, 0).
using Pixel = std::uint32_t;

inline constexpr Pixel MakePixel(int r, int g, int b) {
  return (static_cast<Pixel>(r) << 16) | (static_cast<Pixel>(g) << 8) | static_cast<Pixel>(b);
}

// The pixels of an image, with a vector's interface. Fills and copies go
// through memset and memcpy, and growing leaves new pixels for the caller to
// write: under the sanitizers of the test builds a loop over the pixels costs
// twenty times a memcpy, and every boot of the program fills and copies a few
// megabytes of them. Shared() copies share the pixels until one side writes.
class PixelBuffer {
 public:
  PixelBuffer() = default;
  PixelBuffer(const PixelBuffer& other) { *this = other; }
  PixelBuffer& operator=(const PixelBuffer& other);
  PixelBuffer(PixelBuffer&& other) noexcept { *this = std::move(other); }
  PixelBuffer& operator=(PixelBuffer&& other) noexcept;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  Pixel* data() { return Own(); }
  const Pixel* data() const { return data_.get(); }
  Pixel& operator[](std::size_t i) { return Own()[i]; }
  const Pixel& operator[](std::size_t i) const { return data_[i]; }
  Pixel* begin() { return data(); }
  Pixel* end() { return data() + size_; }
  const Pixel* begin() const { return data(); }
  const Pixel* end() const { return data() + size_; }
  // `n` pixels of one colour (allocates only when it grows).
  void assign(std::size_t n, Pixel fill);
  // `n` pixels whose values are the caller's to write.
  void resize_for_overwrite(std::size_t n);
  bool operator==(const PixelBuffer& other) const;
  // A copy that shares these pixels until either side writes (a pointer or
  // reference taken before then writes both), for pictures that are read far
  // more often than written, such as decoded sheets.
  PixelBuffer Shared() const;

 private:
  // The pixels, made this buffer's own before a write.
  Pixel* Own();

  std::shared_ptr<Pixel[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

struct Image {
  int width = 0;
  int height = 0;
  PixelBuffer pixels;  // row by row from the top, no padding

  bool empty() const { return width <= 0 || height <= 0; }
  Pixel at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  // Resizes and fills with one colour (allocates only when it grows).
  void Reset(int w, int h, Pixel fill);
};

// Plain source copy of the rectangle (sx, sy, w, h) of src to (dx, dy) of dst,
// clipped by both images (which may be the same). Never allocates.
void BlockCopy(const Image& src, int sx, int sy, int w, int h, Image& dst, int dx, int dy);

// Decodes a baseline JPEG; bytes after its end marker are ignored. Throws
// runtime error 481 (Invalid picture) for anything it cannot decode.
Image DecodeJpeg(std::span<const std::uint8_t> bytes);

#if BRIVANE_KEEPS_PICTURES
// Keeps the last few decoded pictures, by their bytes, for the rest of the
// process (off until turned on). For the test hosts on Linux, which start the
// program again and again; the Windows program decodes each picture as its
// window loads and keeps no second copy, so it is built without this.
void KeepDecodedPictures(bool keep);
#endif

}  // namespace plat
