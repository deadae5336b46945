#include "tools/artgen/icon.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace art {
namespace {

constexpr float kPi = 3.14159265f;

float SegmentDistance(float px, float py, float ax, float ay, float bx, float by) {
  const float vx = bx - ax, vy = by - ay;
  const float t = std::clamp(((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy), 0.0f, 1.0f);
  const float dx = px - (ax + t * vx), dy = py - (ay + t * vy);
  return std::sqrt(dx * dx + dy * dy);
}

// A tick mark, two strokes of the given half width.
bool OnTick(float x, float y, float half) {
  return SegmentDistance(x, y, 15.0f, 20.5f, 20.0f, 25.5f) <= half ||
         SegmentDistance(x, y, 20.0f, 25.5f, 28.5f, 13.0f) <= half;
}

float Radius(float x, float y) {
  return std::hypot(x - 15.5f, y - 15.5f);
}

using Colour8 = std::array<std::uint8_t, 3>;

int Distance2(const Colour8& a, const Colour8& b) {
  int s = 0;
  for (int c = 0; c < 3; ++c) s += (a[c] - b[c]) * (a[c] - b[c]);
  return s;
}

// Median cut down to at most `count` colours; the result is sorted for stable output.
std::vector<Colour8> ReducePalette(std::vector<Colour8> colours, std::size_t count) {
  std::sort(colours.begin(), colours.end());
  colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
  if (colours.size() <= count) return colours;
  std::vector<std::vector<Colour8>> boxes{colours};
  auto range = [](const std::vector<Colour8>& box, int& channel) {
    int best = -1;
    for (int c = 0; c < 3; ++c) {
      auto [lo, hi] = std::minmax_element(
          box.begin(), box.end(), [c](const Colour8& a, const Colour8& b) { return a[c] < b[c]; });
      if ((*hi)[c] - (*lo)[c] > best) best = (*hi)[c] - (*lo)[c], channel = c;
    }
    return best;
  };
  while (boxes.size() < count) {
    int pick = -1, pick_range = 0, channel = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      int c = 0;
      const int r = boxes[i].size() > 1 ? range(boxes[i], c) : 0;
      if (r > pick_range) pick = static_cast<int>(i), pick_range = r, channel = c;
    }
    if (pick < 0) break;
    auto& box = boxes[static_cast<std::size_t>(pick)];
    std::sort(box.begin(), box.end(), [channel](const Colour8& a, const Colour8& b) {
      return a[channel] != b[channel] ? a[channel] < b[channel] : a < b;
    });
    std::vector<Colour8> upper(box.begin() + static_cast<std::ptrdiff_t>(box.size() / 2),
                               box.end());
    box.resize(box.size() / 2);
    boxes.push_back(std::move(upper));
  }
  std::vector<Colour8> out;
  for (const auto& box : boxes) {
    int sum[3] = {0, 0, 0};
    for (const auto& c : box)
      for (int k = 0; k < 3; ++k) sum[k] += c[k];
    const int n = static_cast<int>(box.size());
    out.push_back({static_cast<std::uint8_t>((sum[0] + n / 2) / n),
                   static_cast<std::uint8_t>((sum[1] + n / 2) / n),
                   static_cast<std::uint8_t>((sum[2] + n / 2) / n)});
  }
  std::sort(out.begin(), out.end());
  return out;
}

void Put16(std::vector<std::uint8_t>& v, unsigned x) {
  v.push_back(static_cast<std::uint8_t>(x & 0xFF));
  v.push_back(static_cast<std::uint8_t>((x >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& v, unsigned x) {
  Put16(v, x & 0xFFFF);
  Put16(v, x >> 16);
}

}  // namespace

Icon MakeIcon() {
  constexpr int n = Icon::kSize;
  const Rgb edge{44, 52, 66};
  Canvas art(n, n, edge);

  // The platter: brushed silver, lit from the top left.
  const Mask disc = ShapeMask(0, 0, n, n, [](float x, float y) { return Radius(x, y) <= 14.8f; });
  const Mask face = ShapeMask(0, 0, n, n, [](float x, float y) { return Radius(x, y) <= 13.7f; });
  art.Paint(face, [](int x, int y) {
    const float t = std::clamp((static_cast<float>(x + y) - 4.0f) / 50.0f, 0.0f, 1.0f);
    return Mix(Rgb{246, 248, 250}, Rgb{128, 138, 152}, t);
  });
  for (float r : {10.6f, 7.6f}) {
    const Mask groove = ShapeMask(
        0, 0, n, n, [r](float x, float y) { return std::fabs(Radius(x, y) - r) <= 0.35f; });
    art.Paint(groove, Rgb{110, 118, 132}, 0.55f);
  }
  // The sweep of the surface scan, a translucent teal sector.
  const Mask sweep = ShapeMask(0, 0, n, n, [](float x, float y) {
    const float r = Radius(x, y);
    const float a = std::atan2(y - 15.5f, x - 15.5f) * 180.0f / kPi;
    return r >= 5.2f && r <= 13.7f && a >= -150.0f && a <= -60.0f;
  });
  art.Paint(sweep, Rgb{0, 132, 156}, 0.55f);
  // The hub.
  const Mask hub = ShapeMask(0, 0, n, n, [](float x, float y) { return Radius(x, y) <= 4.6f; });
  const Mask hub_face =
      ShapeMask(0, 0, n, n, [](float x, float y) { return Radius(x, y) <= 3.7f; });
  art.Paint(hub, Rgb{16, 36, 96});
  art.Paint(hub_face, [](int, int y) {
    return Mix(Rgb{110, 170, 255}, Rgb{24, 70, 190},
               std::clamp((static_cast<float>(y) - 12.0f) / 7.0f, 0.0f, 1.0f));
  });
  const Mask hole = ShapeMask(0, 0, n, n, [](float x, float y) { return Radius(x, y) <= 1.3f; });
  art.Paint(hole, Rgb{20, 24, 32});
  // The tick: the disk has been looked after.
  const Mask tick_edge = ShapeMask(0, 0, n, n, [](float x, float y) { return OnTick(x, y, 2.9f); });
  const Mask tick = ShapeMask(0, 0, n, n, [](float x, float y) { return OnTick(x, y, 1.6f); });
  art.Paint(tick_edge, Rgb{8, 64, 20});
  art.Paint(tick, [](int, int y) {
    return Mix(Rgb{120, 236, 120}, Rgb{20, 160, 50},
               std::clamp((static_cast<float>(y) - 13.0f) / 13.0f, 0.0f, 1.0f));
  });

  Icon icon;
  std::vector<Colour8> opaque;
  const std::vector<std::uint8_t> bytes = art.Bytes();
  for (int i = 0; i < n * n; ++i) {
    const int x = i % n, y = i / n;
    const float cover = std::max(disc.at(x, y), tick_edge.at(x, y));
    icon.transparent[static_cast<std::size_t>(i)] = cover < 0.5f;
    if (cover >= 0.5f)
      opaque.push_back({bytes[3 * static_cast<std::size_t>(i)],
                        bytes[3 * static_cast<std::size_t>(i) + 1],
                        bytes[3 * static_cast<std::size_t>(i) + 2]});
  }
  const std::vector<Colour8> palette = ReducePalette(opaque, 255);
  icon.palette[0] = {0, 0, 0};
  std::copy(palette.begin(), palette.end(), icon.palette.begin() + 1);
  std::size_t k = 0;
  for (int i = 0; i < n * n; ++i) {
    if (icon.transparent[static_cast<std::size_t>(i)]) continue;
    const Colour8& c = opaque[k++];
    int best = 1, best_d = Distance2(c, icon.palette[1]);
    for (std::size_t p = 2; p <= palette.size(); ++p) {
      const int d = Distance2(c, icon.palette[p]);
      if (d < best_d) best = static_cast<int>(p), best_d = d;
    }
    icon.index[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(best);
  }
  return icon;
}

std::vector<std::uint8_t> IcoFile(const Icon& icon) {
  constexpr unsigned n = Icon::kSize;
  constexpr unsigned xor_bytes = n * n;  // 32 bytes a row: already 4-aligned
  constexpr unsigned and_bytes = n * 4;  // 32 bits a row
  constexpr unsigned image_bytes = 40 + 256 * 4 + xor_bytes + and_bytes;
  std::vector<std::uint8_t> v;
  Put16(v, 0);  // reserved
  Put16(v, 1);  // icon
  Put16(v, 1);  // one image
  v.push_back(n);
  v.push_back(n);
  v.push_back(0);  // 256 colours
  v.push_back(0);
  Put16(v, 1);  // planes
  Put16(v, 8);  // bits per pixel
  Put32(v, image_bytes);
  Put32(v, 22);  // offset of the image
  // BITMAPINFOHEADER: the height counts the XOR and the AND bitmaps.
  Put32(v, 40);
  Put32(v, n);
  Put32(v, 2 * n);
  Put16(v, 1);
  Put16(v, 8);
  Put32(v, 0);  // BI_RGB
  Put32(v, xor_bytes + and_bytes);
  Put32(v, 0);
  Put32(v, 0);
  Put32(v, 256);
  Put32(v, 0);
  for (const auto& c : icon.palette) {
    v.push_back(c[2]);
    v.push_back(c[1]);
    v.push_back(c[0]);
    v.push_back(0);
  }
  for (int y = n - 1; y >= 0; --y)  // bottom-up
    for (unsigned x = 0; x < n; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * n + x;
      v.push_back(icon.transparent[i] ? 0 : icon.index[i]);
    }
  for (int y = n - 1; y >= 0; --y)
    for (unsigned byte = 0; byte < 4; ++byte) {
      std::uint8_t bits = 0;
      for (unsigned bit = 0; bit < 8; ++bit)
        if (icon.transparent[static_cast<std::size_t>(y) * n + byte * 8 + bit]) bits |= 0x80 >> bit;
      v.push_back(bits);
    }
  return v;
}

void DrawIcon(Canvas& canvas, const Icon& icon, int x, int y) {
  for (int py = 0; py < Icon::kSize; ++py)
    for (int px = 0; px < Icon::kSize; ++px) {
      const std::size_t i = static_cast<std::size_t>(py) * Icon::kSize + px;
      if (icon.transparent[i]) continue;
      const auto& c = icon.palette[icon.index[i]];
      canvas.Set(x + px, y + py,
                 Rgb{static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2])});
    }
}

}  // namespace art
