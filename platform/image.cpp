#include "platform/image.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <utility>
#include <vector>

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

PixelBuffer& PixelBuffer::operator=(const PixelBuffer& other) {
  if (this == &other) return *this;
  resize_for_overwrite(other.size_);
  if (size_ > 0) std::memcpy(data_.get(), other.data(), size_ * sizeof(Pixel));
  return *this;
}

PixelBuffer& PixelBuffer::operator=(PixelBuffer&& other) noexcept {
  data_ = std::move(other.data_);
  size_ = std::exchange(other.size_, 0);
  capacity_ = std::exchange(other.capacity_, 0);
  return *this;
}

PixelBuffer PixelBuffer::Shared() const {
  PixelBuffer copy;
  copy.data_ = data_;
  copy.size_ = size_;
  copy.capacity_ = capacity_;
  return copy;
}

Pixel* PixelBuffer::Own() {
  if (data_.use_count() > 1) {
    std::shared_ptr<Pixel[]> own(new Pixel[size_]);
    std::memcpy(own.get(), data_.get(), size_ * sizeof(Pixel));
    data_ = std::move(own);
    capacity_ = size_;
  }
  return data_.get();
}

void PixelBuffer::resize_for_overwrite(std::size_t n) {
  if (n > capacity_ || data_.use_count() > 1) {
    data_.reset(new Pixel[n]);  // default-initialised: nothing is written yet
    capacity_ = n;
  }
  size_ = n;
}

void PixelBuffer::assign(std::size_t n, Pixel fill) {
  resize_for_overwrite(n);
  if (n == 0) return;
  // One pixel, then the filled part copied onto the rest, doubling each time.
  Pixel* p = data_.get();
  p[0] = fill;
  for (std::size_t done = 1; done < n;) {
    const std::size_t more = std::min(done, n - done);
    std::memcpy(p + done, p, more * sizeof(Pixel));
    done += more;
  }
}

bool PixelBuffer::operator==(const PixelBuffer& other) const {
  return size_ == other.size_ &&
         (size_ == 0 || std::memcmp(data(), other.data(), size_ * sizeof(Pixel)) == 0);
}

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
  const std::size_t row_bytes = static_cast<std::size_t>(w) * sizeof(Pixel);
  for (int row = 0; row < h; ++row) {
    const Pixel* from = &src.pixels[static_cast<std::size_t>(sy + row) * src.width + sx];
    Pixel* to = &dst.pixels[static_cast<std::size_t>(dy + row) * dst.width + dx];
    // Rows of one image may overlap; rows of two never do, and memcpy is the fast copy.
    if (&src == &dst) {
      std::memmove(to, from, row_bytes);
    } else {
      std::memcpy(to, from, row_bytes);
    }
  }
}

namespace {

Image Decode(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > 0x7fffffff) Raise(kErrInvalidPicture);
  int w = 0, h = 0, comp = 0;
  unsigned char* data =
      stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &comp, 3);
  if (data == nullptr) Raise(kErrInvalidPicture);
  Image image;
  image.width = w;
  image.height = h;
  image.pixels.resize_for_overwrite(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    image.pixels[i] = MakePixel(data[i * 3], data[i * 3 + 1], data[i * 3 + 2]);
  }
  stbi_image_free(data);
  return image;
}

}  // namespace

#if !BRIVANE_KEEPS_PICTURES

Image DecodeJpeg(std::span<const std::uint8_t> bytes) {
  return Decode(bytes);
}

#else

namespace {

struct Decoded {
  std::vector<std::uint8_t> bytes;
  Image image;
};

// The skin's three sheets and a picture or two a test puts in their place.
constexpr std::size_t kKeptPictures = 6;
bool g_keep_decoded = false;
std::deque<Decoded> g_decoded;  // newest first

}  // namespace

void KeepDecodedPictures(bool keep) {
  g_keep_decoded = keep;
  if (!keep) g_decoded.clear();
}

Image DecodeJpeg(std::span<const std::uint8_t> bytes) {
  if (!g_keep_decoded) return Decode(bytes);
  for (const Decoded& d : g_decoded) {
    if (d.bytes.size() == bytes.size() &&
        std::memcmp(d.bytes.data(), bytes.data(), bytes.size()) == 0) {
      return {d.image.width, d.image.height, d.image.pixels.Shared()};
    }
  }
  Image image = Decode(bytes);  // a picture that does not decode is not kept
  if (g_decoded.size() == kKeptPictures) g_decoded.pop_back();
  g_decoded.push_front({{bytes.begin(), bytes.end()}, image});
  return image;
}

#endif

}  // namespace plat
