#include "tools/artgen/raster.h"

#include <algorithm>
#include <cmath>

namespace art {

Rgb Mix(Rgb a, Rgb b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Scale(Rgb c, float f) {
  return {c.r * f, c.g * f, c.b * f};
}

// ---------------------------------------------------------------------------
// Masks
// ---------------------------------------------------------------------------

Mask::Mask(int x, int y, int width, int height)
    : x0(x), y0(y), w(width), h(height), a(static_cast<std::size_t>(width) * height, 0.0f) {}

float Mask::at(int x, int y) const {
  if (x < x0 || y < y0 || x >= x0 + w || y >= y0 + h) return 0.0f;
  return a[static_cast<std::size_t>(y - y0) * w + (x - x0)];
}

Mask Mask::Shifted(int dx, int dy) const {
  Mask m = *this;
  m.x0 += dx;
  m.y0 += dy;
  return m;
}

Mask Mask::Dilated(float radius) const {
  const int r = static_cast<int>(std::ceil(radius));
  Mask out(x0 - r, y0 - r, w + 2 * r, h + 2 * r);
  for (int y = out.y0; y < out.y0 + out.h; ++y) {
    for (int x = out.x0; x < out.x0 + out.w; ++x) {
      float best = 0.0f;
      for (int dy = -r; dy <= r; ++dy) {
        for (int dx = -r; dx <= r; ++dx) {
          const float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
          const float weight = std::clamp(radius + 0.5f - d, 0.0f, 1.0f);
          if (weight > 0.0f) best = std::max(best, at(x + dx, y + dy) * weight);
        }
      }
      out.ref(x, y) = best;
    }
  }
  return out;
}

Mask Mask::Blurred(int radius) const {
  const int grow = radius * 3;
  Mask cur(x0 - grow, y0 - grow, w + 2 * grow, h + 2 * grow);
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) cur.ref(x, y) = at(x, y);
  const float norm = 1.0f / static_cast<float>(2 * radius + 1);
  for (int pass = 0; pass < 3; ++pass) {
    Mask tmp = cur;
    for (int y = cur.y0; y < cur.y0 + cur.h; ++y)
      for (int x = cur.x0; x < cur.x0 + cur.w; ++x) {
        float s = 0;
        for (int k = -radius; k <= radius; ++k) s += cur.at(x + k, y);
        tmp.ref(x, y) = s * norm;
      }
    for (int y = cur.y0; y < cur.y0 + cur.h; ++y)
      for (int x = cur.x0; x < cur.x0 + cur.w; ++x) {
        float s = 0;
        for (int k = -radius; k <= radius; ++k) s += tmp.at(x, y + k);
        cur.ref(x, y) = s * norm;
      }
  }
  return cur;
}

void Mask::Bounds(int& left, int& top, int& right, int& bottom, float threshold) const {
  left = x0 + w;
  top = y0 + h;
  right = x0 - 1;
  bottom = y0 - 1;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x)
      if (at(x, y) > threshold) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
}

Mask ShapeMask(int x, int y, int w, int h, const std::function<bool(float, float)>& inside) {
  constexpr int kSamples = 4;
  Mask m(x, y, w, h);
  for (int py = y; py < y + h; ++py)
    for (int px = x; px < x + w; ++px) {
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
          const float fx = static_cast<float>(px) + (static_cast<float>(sx) + 0.5f) / kSamples;
          const float fy = static_cast<float>(py) + (static_cast<float>(sy) + 0.5f) / kSamples;
          if (inside(fx, fy)) ++hits;
        }
      m.ref(px, py) = static_cast<float>(hits) / (kSamples * kSamples);
    }
  return m;
}

// ---------------------------------------------------------------------------
// Canvas
// ---------------------------------------------------------------------------

Canvas::Canvas(int w, int h, Rgb fill) : w_(w), h_(h), px_(static_cast<std::size_t>(w) * h, fill) {}

void Canvas::Set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  px_[static_cast<std::size_t>(y) * w_ + x] = c;
}

void Canvas::Fill(int x, int y, int w, int h, Rgb c) {
  for (int py = y; py < y + h; ++py)
    for (int px = x; px < x + w; ++px) Set(px, py, c);
}

void Canvas::VGradient(int x, int y, int w, int h, Rgb top, Rgb bottom) {
  for (int py = 0; py < h; ++py) {
    const float t = h > 1 ? static_cast<float>(py) / static_cast<float>(h - 1) : 0.0f;
    Fill(x, y + py, w, 1, Mix(top, bottom, t));
  }
}

void Canvas::Bevel(int x, int y, int w, int h, Rgb light, Rgb dark, int width) {
  for (int i = 0; i < width; ++i) {
    Fill(x + i, y + i, w - 2 * i, 1, light);                 // top
    Fill(x + i, y + i, 1, h - 2 * i, light);                 // left
    Fill(x + i, y + h - 1 - i, w - 2 * i, 1, dark);          // bottom
    Fill(x + w - 1 - i, y + i + 1, 1, h - 2 * i - 1, dark);  // right
  }
}

void Canvas::EtchH(int x, int y, int w, Rgb dark, Rgb light) {
  Fill(x, y, w, 1, dark);
  Fill(x + 1, y + 1, w, 1, light);
}

void Canvas::EtchV(int x, int y, int h, Rgb dark, Rgb light) {
  Fill(x, y, 1, h, dark);
  Fill(x + 1, y + 1, 1, h, light);
}

void Canvas::Paint(const Mask& m, Rgb c, float opacity) {
  Paint(
      m, [c](int, int) { return c; }, opacity);
}

void Canvas::Paint(const Mask& m, const std::function<Rgb(int, int)>& colour, float opacity) {
  for (int y = std::max(m.y0, 0); y < std::min(m.y0 + m.h, h_); ++y)
    for (int x = std::max(m.x0, 0); x < std::min(m.x0 + m.w, w_); ++x) {
      const float t = m.at(x, y) * opacity;
      if (t <= 0.0f) continue;
      Rgb& p = px_[static_cast<std::size_t>(y) * w_ + x];
      p = Mix(p, colour(x, y), std::min(t, 1.0f));
    }
}

void Canvas::Blit(const Canvas& src, int dx, int dy) {
  for (int y = 0; y < src.h_; ++y)
    for (int x = 0; x < src.w_; ++x) Set(dx + x, dy + y, src.at(x, y));
}

std::vector<std::uint8_t> Canvas::Bytes() const {
  std::vector<std::uint8_t> out;
  out.reserve(px_.size() * 3);
  auto q = [](float v) {
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(std::lround(v)), 0, 255));
  };
  for (const Rgb& p : px_) {
    out.push_back(q(p.r));
    out.push_back(q(p.g));
    out.push_back(q(p.b));
  }
  return out;
}

}  // namespace art
