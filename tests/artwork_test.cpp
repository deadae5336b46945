// The committed skin pictures and icon: sizes, exact lengths, and the places the
// windows copy from holding what they should.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/image.h"

namespace {

std::vector<std::uint8_t> ReadResource(const std::string& name) {
  std::ifstream in(std::string(BRIVANE_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const plat::Image& Sheet(const std::string& name) {
  static std::vector<std::pair<std::string, plat::Image>> cache;
  for (const auto& [n, image] : cache)
    if (n == name) return image;
  cache.emplace_back(name, plat::DecodeJpeg(ReadResource(name)));
  return cache.back().second;
}

struct Mean {
  double r = 0, g = 0, b = 0;
};

Mean Average(const plat::Image& img, int x, int y, int w, int h) {
  Mean m;
  for (int py = y; py < y + h; ++py)
    for (int px = x; px < x + w; ++px) {
      const plat::Pixel p = img.at(px, py);
      m.r += (p >> 16) & 0xFF;
      m.g += (p >> 8) & 0xFF;
      m.b += p & 0xFF;
    }
  const double n = static_cast<double>(w) * h;
  return {m.r / n, m.g / n, m.b / n};
}

int Channel(plat::Pixel p, int shift) {
  return static_cast<int>((p >> shift) & 0xFF);
}

struct FileCase {
  const char* name;
  int width, height;
  std::size_t length;
  std::size_t zeros_after_end;
};

const FileCase kFiles[] = {
    {"about.jpg", 265, 477, 81452, 2},
    {"main.jpg", 425, 605, 136292, 0},
    {"splash.jpg", 491, 265, 63464, 2},
};

TEST(Artwork, PicturesHaveTheirSizesLengthsAndTails) {
  for (std::size_t i = 0; i < std::size(kFiles); ++i) {
    SCOPED_TRACE(kFiles[i].name);
    const auto& c = kFiles[i];
    const std::vector<std::uint8_t> bytes = ReadResource(c.name);
    ASSERT_EQ(bytes.size(), c.length);
    // Start of image, then the JFIF header.
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    EXPECT_EQ(bytes[3], 0xE0);
    EXPECT_EQ(std::string(bytes.begin() + 6, bytes.begin() + 10), "JFIF");
    const std::size_t end = c.length - c.zeros_after_end;
    EXPECT_EQ(bytes[end - 2], 0xFF);
    EXPECT_EQ(bytes[end - 1], 0xD9);
    for (std::size_t k = end; k < c.length; ++k) EXPECT_EQ(bytes[k], 0) << k;
    const plat::Image& img = Sheet(c.name);
    EXPECT_EQ(img.width, c.width);
    EXPECT_EQ(img.height, c.height);
  }
}

// Baseline only: a progressive or arithmetic-coded file would not load everywhere.
TEST(Artwork, PicturesAreBaseline) {
  for (const auto& c : kFiles) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> bytes = ReadResource(c.name);
    std::size_t at = 2;
    bool found_frame = false;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
      const int marker = bytes[at + 1];
      if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
        EXPECT_EQ(marker, 0xC0);
        EXPECT_EQ(bytes[at + 4], 8);  // bits per sample
        EXPECT_EQ(bytes[at + 9], 3);  // components
        found_frame = true;
        break;
      }
      at += 2 + ((static_cast<std::size_t>(bytes[at + 2]) << 8) | bytes[at + 3]);
    }
    EXPECT_TRUE(found_frame);
  }
}

struct Region {
  const char* sheet;
  int x, y, w, h;
};

TEST(Artwork, PiecesAreSeparatedByWhiteGaps) {
  const Region gaps[] = {
      {"main.jpg", 0, 70, 425, 1},     // between the title strips
      {"main.jpg", 0, 94, 425, 2},     // above the body
      {"main.jpg", 0, 427, 425, 3},    // below the body
      {"main.jpg", 107, 431, 2, 33},   // Execute normal | hover
      {"main.jpg", 217, 431, 1, 33},   // Execute hover | pressed
      {"main.jpg", 0, 465, 260, 3},    // Execute | Exit
      {"main.jpg", 67, 469, 2, 32},    // Exit normal | hover
      {"main.jpg", 137, 469, 2, 32},   // Exit hover | pressed
      {"main.jpg", 74, 502, 1, 39},    // Help normal | hover
      {"main.jpg", 150, 544, 1, 39},   // About hover | pressed
      {"main.jpg", 0, 542, 260, 1},    // Help | About
      {"main.jpg", 256, 481, 1, 10},   // pressed | inactive close glyph
      {"about.jpg", 0, 347, 265, 3},   // body | Close faces
      {"about.jpg", 149, 351, 1, 38},  // Close hover | pressed
      {"about.jpg", 0, 400, 265, 30},  // Close faces | close glyphs
  };
  for (std::size_t i = 0; i < std::size(gaps); ++i) {
    SCOPED_TRACE(i);
    const auto& g = gaps[i];
    const plat::Image& img = Sheet(g.sheet);
    int dark = 0;
    for (int y = g.y; y < g.y + g.h; ++y)
      for (int x = g.x; x < g.x + g.w; ++x) {
        const plat::Pixel p = img.at(x, y);
        if (Channel(p, 16) < 225 || Channel(p, 8) < 225 || Channel(p, 0) < 225) ++dark;
      }
    EXPECT_EQ(dark, 0);
  }
}

// Places where nothing is painted on the teal field, including where the
// windows write their own labels (splash version at 300, 120; about version
// at 160, 55 of the body; the owner's name on rows 137 to 154 of the body).
TEST(Artwork, PlainFieldIsTheBodyTeal) {
  const Region plain[] = {
      {"main.jpg", 240, 97 + 292, 30, 20},  // body, between options and buttons
      {"main.jpg", 30, 97 + 130, 120, 90},  // body, under the drive list
      {"about.jpg", 160, 46 + 55, 95, 20},  // about version label
      {"about.jpg", 8, 46 + 137, 248, 17},  // owner name row
      {"splash.jpg", 300, 120, 127, 20},    // splash version label
      {"splash.jpg", 420, 200, 50, 30},     // splash, lower right
  };
  for (std::size_t i = 0; i < std::size(plain); ++i) {
    SCOPED_TRACE(i);
    const auto& r = plain[i];
    const plat::Image& img = Sheet(r.sheet);
    const Mean m = Average(img, r.x, r.y, r.w, r.h);
    EXPECT_NEAR(m.r, 0, 3);
    EXPECT_NEAR(m.g, 107, 3);
    EXPECT_NEAR(m.b, 127, 3);
    // No stray ink either: every pixel close to the field colour.
    int off = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
      for (int x = r.x; x < r.x + r.w; ++x) {
        const plat::Pixel p = img.at(x, y);
        if (std::abs(Channel(p, 16) - 0) > 12 || std::abs(Channel(p, 8) - 107) > 12 ||
            std::abs(Channel(p, 0) - 127) > 12)
          ++off;
      }
    EXPECT_EQ(off, 0);
  }
}

struct StripCase {
  const char* sheet;
  int active_y, inactive_y, width, shown_rows;
};

TEST(Artwork, ActiveTitleStripIsBlueInactiveIsGrey) {
  const StripCase strips[] = {
      {"main.jpg", 48, 72, 425, 20},
      {"about.jpg", 0, 23, 265, 21},
  };
  for (std::size_t i = 0; i < std::size(strips); ++i) {
    SCOPED_TRACE(i);
    const auto& s = strips[i];
    const plat::Image& img = Sheet(s.sheet);
    // Right half: away from the caption.
    const Mean active = Average(img, s.width / 2, s.active_y, s.width / 4, s.shown_rows);
    const Mean inactive = Average(img, s.width / 2, s.inactive_y, s.width / 4, s.shown_rows);
    EXPECT_GT(active.b - active.r, 60);
    EXPECT_LT(std::abs(inactive.b - inactive.r), 10);
    // Light at the top, dark at the bottom.
    const Mean top = Average(img, s.width / 2, s.active_y + 1, 40, 2);
    const Mean bottom = Average(img, s.width / 2, s.active_y + s.shown_rows - 3, 40, 2);
    EXPECT_GT(top.b, bottom.b + 60);
    // The caption at the left holds white letters.
    int white = 0;
    for (int y = s.active_y; y < s.active_y + s.shown_rows; ++y)
      for (int x = 4; x < 80; ++x)
        if (Channel(img.at(x, y), 16) > 230 && Channel(img.at(x, y), 8) > 230) ++white;
    EXPECT_GT(white, 40);
  }
}

struct GlyphCase {
  const char* sheet;
  int x, y;
  bool grey;
};

TEST(Artwork, CloseGlyphsShowADarkCrossOnTheirColour) {
  const GlyphCase glyphs[] = {
      {"main.jpg", 209, 478, false},  {"main.jpg", 225, 478, false},
      {"main.jpg", 241, 478, false},  {"main.jpg", 258, 479, true},
      {"about.jpg", 100, 437, false}, {"about.jpg", 116, 437, false},
      {"about.jpg", 130, 437, false}, {"about.jpg", 145, 437, true},
  };
  for (std::size_t i = 0; i < std::size(glyphs); ++i) {
    SCOPED_TRACE(i);
    const auto& g = glyphs[i];
    const plat::Image& img = Sheet(g.sheet);
    // The surface shows the top-left 13 x 12; the cross is centred there.
    const plat::Pixel centre = img.at(g.x + 6, g.y + 6);
    EXPECT_LT(Channel(centre, 16) + Channel(centre, 8) + Channel(centre, 0), 180);
    // Between the arms: the glyph's own colour.
    const Mean side = Average(img, g.x + 5, g.y + 2, 3, 1);
    if (g.grey) {
      EXPECT_LT(std::abs(side.b - side.r), 15);
      EXPECT_GT(side.r, 100);
    } else {
      EXPECT_GT(side.b - side.r, 60);
    }
  }
}

struct ButtonCase {
  const char* sheet;
  int x, y, shown_w, shown_h;
  int frame_y, frame_h;  // where the word is centred
};

// The word of every face is red and centred in the part its surface shows.
TEST(Artwork, ButtonWordsAreRedAndCentredInTheShownPart) {
  const ButtonCase buttons[] = {
      {"main.jpg", 0, 431, 105, 28, 0, 28},   {"main.jpg", 110, 431, 105, 28, 0, 28},
      {"main.jpg", 219, 431, 105, 28, 0, 28}, {"main.jpg", 0, 469, 57, 25, 0, 25},
      {"main.jpg", 70, 469, 57, 25, 0, 25},   {"main.jpg", 140, 469, 57, 25, 0, 25},
      {"main.jpg", 0, 502, 73, 39, 0, 30},    {"main.jpg", 76, 502, 73, 39, 0, 30},
      {"main.jpg", 152, 502, 73, 39, 0, 30},  {"main.jpg", 0, 544, 73, 39, 9, 30},
      {"main.jpg", 76, 544, 73, 39, 9, 30},   {"main.jpg", 152, 544, 73, 39, 9, 30},
      {"about.jpg", 0, 351, 74, 38, 0, 38},   {"about.jpg", 75, 351, 74, 38, 0, 38},
      {"about.jpg", 151, 351, 74, 38, 0, 38},
  };
  for (std::size_t i = 0; i < std::size(buttons); ++i) {
    SCOPED_TRACE(i);
    const auto& b = buttons[i];
    const plat::Image& img = Sheet(b.sheet);
    double sx = 0, sy = 0;
    int n = 0;
    for (int y = b.y; y < b.y + b.shown_h; ++y)
      for (int x = b.x; x < b.x + b.shown_w; ++x) {
        const plat::Pixel p = img.at(x, y);
        if (Channel(p, 16) > 190 && Channel(p, 8) < 110 && Channel(p, 0) < 110) {
          sx += x - b.x;
          sy += y - b.y;
          ++n;
        }
      }
    ASSERT_GT(n, 40);
    EXPECT_NEAR(sx / n, b.shown_w / 2.0, 3.5);
    EXPECT_NEAR(sy / n, b.frame_y + b.frame_h / 2.0, 3.5);
  }
}

// Hover and pressed faces differ from the normal one (the shadow) and from
// each other (its offset).
TEST(Artwork, HoverAndPressedFacesDiffer) {
  const int rows[][4] = {
      {431, 110, 219, 28}, {469, 70, 140, 25}, {502, 76, 152, 39}, {544, 76, 152, 39}};
  const plat::Image& img = Sheet("main.jpg");
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    const int y = rows[i][0], hover = rows[i][1], pressed = rows[i][2], h = rows[i][3];
    auto differs = [&](int ax, int bx) {
      int n = 0;
      for (int dy = 0; dy < h; ++dy)
        for (int dx = 0; dx < 57; ++dx) {
          const plat::Pixel a = img.at(ax + dx, y + dy), b = img.at(bx + dx, y + dy);
          if (std::abs(Channel(a, 8) - Channel(b, 8)) > 40) ++n;
        }
      return n;
    };
    EXPECT_GT(differs(0, hover), 20);
    EXPECT_GT(differs(0, pressed), 20);
    EXPECT_GT(differs(hover, pressed), 20);
  }
}

std::uint32_t Le32(const std::vector<std::uint8_t>& v, std::size_t at) {
  return v[at] | (v[at + 1] << 8) | (v[at + 2] << 16) |
         (static_cast<std::uint32_t>(v[at + 3]) << 24);
}

TEST(Artwork, IconIs32By32In256ColoursWithAMask) {
  const std::vector<std::uint8_t> ico = ReadResource("brivane.ico");
  constexpr std::size_t kImage = 40 + 256 * 4 + 32 * 32 + 32 * 4;
  ASSERT_EQ(ico.size(), 22 + kImage);
  EXPECT_EQ(ico[2], 1);   // type: icon
  EXPECT_EQ(ico[4], 1);   // one image
  EXPECT_EQ(ico[6], 32);  // width
  EXPECT_EQ(ico[7], 32);  // height
  EXPECT_EQ(ico[12], 8);  // bits per pixel
  EXPECT_EQ(Le32(ico, 14), kImage);
  EXPECT_EQ(Le32(ico, 18), 22u);
  const std::size_t bmp = 22;
  EXPECT_EQ(Le32(ico, bmp), 40u);
  EXPECT_EQ(Le32(ico, bmp + 4), 32u);
  EXPECT_EQ(Le32(ico, bmp + 8), 64u);  // XOR and AND bitmaps
  EXPECT_EQ(ico[bmp + 14], 8);
  EXPECT_EQ(Le32(ico, bmp + 16), 0u);  // uncompressed

  const std::size_t xor_at = bmp + 40 + 256 * 4, and_at = xor_at + 32 * 32;
  auto transparent = [&](int x, int y) {  // bitmaps run bottom-up
    return (ico[and_at + static_cast<std::size_t>(31 - y) * 4 + x / 8] & (0x80 >> (x % 8))) != 0;
  };
  auto index = [&](int x, int y) {
    return ico[xor_at + static_cast<std::size_t>(31 - y) * 32 + x];
  };
  const int corners[][2] = {{0, 0}, {31, 0}, {0, 31}};
  for (const auto& c : corners) {
    EXPECT_TRUE(transparent(c[0], c[1]));
    EXPECT_EQ(index(c[0], c[1]), 0);  // black under the mask, as Windows expects
  }
  EXPECT_FALSE(transparent(16, 16));
  EXPECT_FALSE(transparent(6, 16));
  // A real picture: many palette entries in use.
  std::vector<bool> used(256);
  int count = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      if (!transparent(x, y) && !used[index(x, y)]) used[index(x, y)] = true, ++count;
  EXPECT_GT(count, 32);
}

}  // namespace
