#include "platform/image.h"

#include <algorithm>

#include "platform/errors.h"

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wshadow"
#pragma GCC diagnostic ignored "-Wdouble-promotion"
#endif
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
// One thread decodes: the failure reason needs no thread-local storage.
#define STBI_NO_THREAD_LOCALS
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace plat {

void Image::Reset(int w, int h, Pixel fill) {
  width = std::max(w, 0);
  height = std::max(h, 0);
  pixels.assign(static_cast<std::size_t>(width) * height, fill);
}

void BlockCopy(const Image& src, int sx, int sy, int w, int h, Image& dst, int dx, int dy) {
  // Clip the source rectangle to the source, then the destination.
  if (sx < 0) w += sx, dx -= sx, sx = 0;
  if (sy < 0) h += sy, dy -= sy, sy = 0;
  if (dx < 0) w += dx, sx -= dx, dx = 0;
  if (dy < 0) h += dy, sy -= dy, dy = 0;
  w = std::min({w, src.width - sx, dst.width - dx});
  h = std::min({h, src.height - sy, dst.height - dy});
  if (w <= 0 || h <= 0) return;
  for (int row = 0; row < h; ++row) {
    const Pixel* from = &src.pixels[static_cast<std::size_t>(sy + row) * src.width + sx];
    Pixel* to = &dst.pixels[static_cast<std::size_t>(dy + row) * dst.width + dx];
    std::copy(from, from + w, to);
  }
}

Image DecodeJpeg(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > 0x7fffffff) Raise(kErrInvalidPicture);
  int w = 0, h = 0, comp = 0;
  unsigned char* data =
      stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &comp, 3);
  if (data == nullptr) Raise(kErrInvalidPicture);
  Image image;
  image.width = w;
  image.height = h;
  image.pixels.resize(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    image.pixels[i] = MakePixel(data[i * 3], data[i * 3 + 1], data[i * 3 + 2]);
  }
  stbi_image_free(data);
  return image;
}

}  // namespace plat
