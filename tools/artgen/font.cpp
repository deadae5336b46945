#include "tools/artgen/font.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stdexcept>

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#endif
#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace art {

struct Font::Impl {
  std::vector<unsigned char> data;
  stbtt_fontinfo info{};
};

Font::Font(const std::string& path) : impl_(new Impl) {
  std::ifstream in(path, std::ios::binary);
  impl_->data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (impl_->data.empty() || !stbtt_InitFont(&impl_->info, impl_->data.data(), 0)) {
    delete impl_;
    throw std::runtime_error("cannot read font " + path);
  }
}

Font::~Font() {
  delete impl_;
}

float Font::Advance(std::string_view text, float size) const {
  const float scale = stbtt_ScaleForMappingEmToPixels(&impl_->info, size);
  float pen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int c = static_cast<unsigned char>(text[i]);
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(&impl_->info, c, &advance, &bearing);
    pen += static_cast<float>(advance) * scale;
    if (i + 1 < text.size())
      pen += scale * static_cast<float>(stbtt_GetCodepointKernAdvance(
                         &impl_->info, c, static_cast<unsigned char>(text[i + 1])));
  }
  return pen;
}

float Font::CapHeight(float size) const {
  const float scale = stbtt_ScaleForMappingEmToPixels(&impl_->info, size);
  int x0, y0, x1, y1;
  stbtt_GetCodepointBox(&impl_->info, 'H', &x0, &y0, &x1, &y1);
  return static_cast<float>(y1) * scale;
}

Mask Font::Render(std::string_view text, float size, float x, float y) const {
  const stbtt_fontinfo* info = &impl_->info;
  const float scale = stbtt_ScaleForMappingEmToPixels(info, size);
  int ascent, descent, gap;
  stbtt_GetFontVMetrics(info, &ascent, &descent, &gap);
  // Generous box: the full line height and the advance plus room for overhangs.
  const int pad = static_cast<int>(std::ceil(size * 0.5f)) + 2;
  const int left = static_cast<int>(std::floor(x)) - pad;
  const int top = static_cast<int>(std::floor(y - static_cast<float>(ascent) * scale)) - 2;
  const int width = static_cast<int>(std::ceil(Advance(text, size))) + 2 * pad;
  const int height = static_cast<int>(std::ceil(static_cast<float>(ascent - descent) * scale)) + 4;
  Mask m(left, top, width, height);

  const int baseline = static_cast<int>(std::floor(y));
  const float frac_y = y - static_cast<float>(baseline);
  float pen = x;
  std::vector<unsigned char> glyph;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int c = static_cast<unsigned char>(text[i]);
    const int origin = static_cast<int>(std::floor(pen));
    const float frac_x = pen - static_cast<float>(origin);
    int gx0, gy0, gx1, gy1;
    stbtt_GetCodepointBitmapBoxSubpixel(info, c, scale, scale, frac_x, frac_y, &gx0, &gy0, &gx1,
                                        &gy1);
    const int gw = gx1 - gx0, gh = gy1 - gy0;
    if (gw > 0 && gh > 0) {
      glyph.assign(static_cast<std::size_t>(gw) * gh, 0);
      stbtt_MakeCodepointBitmapSubpixel(info, glyph.data(), gw, gh, gw, scale, scale, frac_x,
                                        frac_y, c);
      for (int gy = 0; gy < gh; ++gy)
        for (int gx = 0; gx < gw; ++gx) {
          const int px = origin + gx0 + gx, py = baseline + gy0 + gy;
          if (px < m.x0 || py < m.y0 || px >= m.x0 + m.w || py >= m.y0 + m.h) continue;
          float& v = m.ref(px, py);
          v = std::min(
              1.0f, v + static_cast<float>(glyph[static_cast<std::size_t>(gy) * gw + gx]) / 255.0f);
        }
    }
    int advance = 0, bearing = 0;
    stbtt_GetCodepointHMetrics(info, c, &advance, &bearing);
    pen += static_cast<float>(advance) * scale;
    if (i + 1 < text.size())
      pen += scale * static_cast<float>(stbtt_GetCodepointKernAdvance(
                         info, c, static_cast<unsigned char>(text[i + 1])));
  }
  return m;
}

void CentreText(const Font& font, std::string_view text, float size, int box_x, int box_y,
                int box_w, int box_h, float& pen_x, float& baseline) {
  const Mask probe = font.Render(text, size, 0.0f, 0.0f);
  int l, t, r, b;
  probe.Bounds(l, t, r, b, 0.25f);
  const float ink_w = static_cast<float>(r - l + 1);
  pen_x = static_cast<float>(box_x) + (static_cast<float>(box_w) - ink_w) / 2.0f -
          static_cast<float>(l);
  pen_x = std::round(pen_x);
  baseline = std::round(static_cast<float>(box_y) +
                        (static_cast<float>(box_h) + font.CapHeight(size)) / 2.0f);
}

}  // namespace art
