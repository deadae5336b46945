// A small floating-point RGB canvas and coverage masks: all the skin artwork is
// built from filled areas, gradients and antialiased masks painted over each other.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace art {

struct Rgb {
  float r = 0, g = 0, b = 0;
};

inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};

Rgb Mix(Rgb a, Rgb b, float t);  // t = 0 gives a, 1 gives b
Rgb Scale(Rgb c, float f);       // brightness factor, clamped at 255 on output only

// Coverage 0..1 over a rectangle whose top-left lies at (x0, y0) in canvas pixels.
struct Mask {
  int x0 = 0, y0 = 0, w = 0, h = 0;
  std::vector<float> a;

  Mask() = default;
  Mask(int x, int y, int width, int height);
  float at(int x, int y) const;  // canvas coordinates; 0 outside
  float& ref(int x, int y) { return a[static_cast<std::size_t>(y - y0) * w + (x - x0)]; }
  Mask Shifted(int dx, int dy) const;
  // Grows the covered area by `radius` pixels, antialiased at its new edge.
  Mask Dilated(float radius) const;
  // Box blur, three passes (close to a Gaussian of about radius / 1.7).
  Mask Blurred(int radius) const;
  // Ink bounds: the smallest rectangle holding every pixel above `threshold`.
  void Bounds(int& left, int& top, int& right, int& bottom, float threshold = 0.02f) const;
};

// Builds a mask of the area where inside(x, y) holds, with 4 x 4 samples per pixel.
Mask ShapeMask(int x, int y, int w, int h, const std::function<bool(float, float)>& inside);

class Canvas {
 public:
  Canvas(int w, int h, Rgb fill);
  int width() const { return w_; }
  int height() const { return h_; }
  Rgb at(int x, int y) const { return px_[static_cast<std::size_t>(y) * w_ + x]; }
  void Set(int x, int y, Rgb c);

  void Fill(int x, int y, int w, int h, Rgb c);
  void VGradient(int x, int y, int w, int h, Rgb top, Rgb bottom);
  // Raised (light top-left) or sunken edge of `width` rings inside the rectangle.
  void Bevel(int x, int y, int w, int h, Rgb light, Rgb dark, int width = 1);
  // An engraved line: dark then light, one pixel each.
  void EtchH(int x, int y, int w, Rgb dark, Rgb light);
  void EtchV(int x, int y, int h, Rgb dark, Rgb light);

  void Paint(const Mask& m, Rgb c, float opacity = 1.0f);
  void Paint(const Mask& m, const std::function<Rgb(int, int)>& colour, float opacity = 1.0f);
  // Copies another canvas in at (dx, dy).
  void Blit(const Canvas& src, int dx, int dy);

  // 8-bit RGB, rounded and clamped, row by row.
  std::vector<std::uint8_t> Bytes() const;

 private:
  int w_, h_;
  std::vector<Rgb> px_;
};

}  // namespace art
