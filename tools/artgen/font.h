// TrueType text through stb_truetype, rendered to antialiased coverage masks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/artgen/raster.h"

namespace art {

class Font {
 public:
  // Reads the font file; throws std::runtime_error when it is missing or unusable.
  explicit Font(const std::string& path);
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;
  ~Font();

  // Text at `size` pixels per em, pen starting at x with the baseline at y.
  // Letters are placed with subpixel precision and kerning.
  Mask Render(std::string_view text, float size, float x, float y) const;
  float Advance(std::string_view text, float size) const;  // pen advance in pixels
  float CapHeight(float size) const;                       // height of "H" in pixels

 private:
  struct Impl;
  Impl* impl_;
};

// Where to put the pen so the ink of `text` (by its real bounds horizontally,
// by the capital height vertically) is centred in the box.
void CentreText(const Font& font, std::string_view text, float size, int box_x, int box_y,
                int box_w, int box_h, float& pen_x, float& baseline);

}  // namespace art
