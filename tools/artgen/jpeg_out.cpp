#include "tools/artgen/jpeg_out.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace art {
namespace {

constexpr char kCommentText[] = "Brivane skin picture";
constexpr std::size_t kMaxSegment = 0xFFFF;  // a segment's length field counts itself

std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& rgb, int w, int h, int quality) {
  std::vector<std::uint8_t> out;
  auto sink = [](void* ctx, void* data, int size) {
    auto* v = static_cast<std::vector<std::uint8_t>*>(ctx);
    const auto* p = static_cast<const std::uint8_t*>(data);
    v->insert(v->end(), p, p + size);
  };
  if (!stbi_write_jpg_to_func(sink, &out, w, h, 3, rgb.data(), quality))
    throw std::runtime_error("JPEG encoding failed");
  return out;
}

// Offset just past the JFIF APP0 segment that follows the start-of-image marker.
std::size_t AfterApp0(const std::vector<std::uint8_t>& jpg) {
  if (jpg.size() < 20 || jpg[0] != 0xFF || jpg[1] != 0xD8 || jpg[2] != 0xFF || jpg[3] != 0xE0 ||
      std::memcmp(&jpg[6], "JFIF", 5) != 0)
    throw std::runtime_error("encoder wrote no JFIF header");
  return 4 + ((static_cast<std::size_t>(jpg[4]) << 8) | jpg[5]);
}

void AppendComment(std::vector<std::uint8_t>& seg, std::size_t total, bool first) {
  // total = whole segment size: marker (2) + length field (2) + payload.
  const std::size_t len = total - 2;
  seg.push_back(0xFF);
  seg.push_back(0xFE);
  seg.push_back(static_cast<std::uint8_t>(len >> 8));
  seg.push_back(static_cast<std::uint8_t>(len & 0xFF));
  std::size_t payload = total - 4;
  if (first) {
    const std::size_t n = std::min(payload, sizeof(kCommentText) - 1);
    seg.insert(seg.end(), kCommentText, kCommentText + n);
    payload -= n;
  }
  seg.insert(seg.end(), payload, 0);
}

// Comment segments of exactly `pad` bytes in all (each at least 4, at most 65537).
std::vector<std::uint8_t> Padding(std::size_t pad) {
  std::vector<std::uint8_t> seg;
  bool first = true;
  while (pad > 0) {
    std::size_t take = std::min(pad, kMaxSegment + 2);
    if (pad - take > 0 && pad - take < 4) take -= 4;  // leave room for a last segment
    AppendComment(seg, take, first);
    first = false;
    pad -= take;
  }
  return seg;
}

}  // namespace

std::vector<std::uint8_t> EncodeJpegExact(const Canvas& canvas, std::size_t length,
                                          std::size_t tail) {
  const std::vector<std::uint8_t> rgb = canvas.Bytes();
  for (int quality = 100; quality >= 50; --quality) {
    std::vector<std::uint8_t> jpg = Encode(rgb, canvas.width(), canvas.height(), quality);
    if (jpg.size() + tail + 4 > length) continue;
    const std::size_t at = AfterApp0(jpg);
    const std::vector<std::uint8_t> pad = Padding(length - tail - jpg.size());
    jpg.insert(jpg.begin() + static_cast<std::ptrdiff_t>(at), pad.begin(), pad.end());
    jpg.insert(jpg.end(), tail, 0);
    return jpg;
  }
  throw std::runtime_error("picture does not fit in " + std::to_string(length) + " bytes");
}

}  // namespace art
