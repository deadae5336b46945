// The committed skin pictures and icon: sizes, exact lengths, and the places the
// windows copy from holding what they should.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/image.h"

namespace {

std::vector<std::uint8_t> ReadResource(const std::string& name) {
  std::ifstream in(std::string(BRIVANE_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const plat::Image& Sheet(const std::string& name) {
  static std::map<std::string, plat::Image> cache;
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, plat::DecodeJpeg(ReadResource(name))).first;
  return it->second;
}

int R(plat::Pixel p) {
  return static_cast<int>((p >> 16) & 0xFF);
}
int G(plat::Pixel p) {
  return static_cast<int>((p >> 8) & 0xFF);
}
int B(plat::Pixel p) {
  return static_cast<int>(p & 0xFF);
}

struct Region {
  const char* sheet;
  int x, y, w, h;
};

// Calls `fn` with every pixel of `r` and its offset inside `r`.
void ForEach(const Region& r, const std::function<void(plat::Pixel, int, int)>& fn) {
  const plat::Image& img = Sheet(r.sheet);
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) fn(img.at(x, y), x - r.x, y - r.y);
}
int Count(const Region& r, const std::function<bool(plat::Pixel)>& pred) {
  int n = 0;
  ForEach(r, [&](plat::Pixel p, int, int) { n += pred(p) ? 1 : 0; });
  return n;
}
struct Mean {
  double r = 0, g = 0, b = 0;
};
Mean Average(const Region& r) {
  Mean m;
  ForEach(r, [&](plat::Pixel p, int, int) { m.r += R(p), m.g += G(p), m.b += B(p); });
  const double n = static_cast<double>(r.w) * r.h;
  return {m.r / n, m.g / n, m.b / n};
}

TEST(Artwork, PicturesHaveTheirSizesLengthsAndTailsAndAreBaseline) {
  const struct {
    const char* name;
    int width, height;
    std::size_t length, zeros_after_end;
  } files[] = {
      {"about.jpg", 265, 477, 81452, 2},
      {"main.jpg", 425, 605, 136292, 0},
      {"splash.jpg", 491, 265, 63464, 2},
  };
  for (const auto& c : files) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> bytes = ReadResource(c.name);
    ASSERT_EQ(bytes.size(), c.length);
    // Start of image, then the JFIF header; the end of image, then the zeros.
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    EXPECT_EQ(bytes[3], 0xE0);
    EXPECT_EQ(std::string(bytes.begin() + 6, bytes.begin() + 10), "JFIF");
    const std::size_t end = c.length - c.zeros_after_end;
    EXPECT_EQ(bytes[end - 2], 0xFF);
    EXPECT_EQ(bytes[end - 1], 0xD9);
    for (std::size_t k = end; k < c.length; ++k) EXPECT_EQ(bytes[k], 0) << k;
    EXPECT_EQ(Sheet(c.name).width, c.width);
    EXPECT_EQ(Sheet(c.name).height, c.height);
    // Baseline only: a progressive or arithmetic-coded file would not load everywhere.
    int frame = 0;
    for (std::size_t at = 2; at + 4 <= bytes.size() && bytes[at] == 0xFF && frame == 0;
         at += 2 + ((static_cast<std::size_t>(bytes[at + 2]) << 8) | bytes[at + 3])) {
      const int marker = bytes[at + 1];
      if (marker < 0xC0 || marker > 0xCF || marker == 0xC4 || marker == 0xC8 || marker == 0xCC) {
        continue;
      }
      frame = marker;
      EXPECT_EQ(bytes[at + 4], 8);  // bits per sample
      EXPECT_EQ(bytes[at + 9], 3);  // components
    }
    EXPECT_EQ(frame, 0xC0);
  }
}

TEST(Artwork, PiecesAreSeparatedByWhiteGaps) {
  const Region gaps[] = {
      {"main.jpg", 0, 70, 425, 1},     // between the title strips
      {"main.jpg", 0, 94, 425, 2},     // above the body
      {"main.jpg", 0, 427, 425, 3},    // below the body
      {"main.jpg", 107, 431, 2, 33},   // Execute normal | hover
      {"main.jpg", 217, 431, 1, 33},   // 5: Execute hover | pressed
      {"main.jpg", 0, 465, 260, 3},    // Execute | Exit
      {"main.jpg", 67, 469, 2, 32},    // Exit normal | hover
      {"main.jpg", 137, 469, 2, 32},   // Exit hover | pressed
      {"main.jpg", 74, 502, 1, 39},    // Help normal | hover
      {"main.jpg", 150, 544, 1, 39},   // 10: About hover | pressed
      {"main.jpg", 0, 542, 260, 1},    // Help | About
      {"main.jpg", 256, 481, 1, 10},   // pressed | inactive close glyph
      {"about.jpg", 0, 347, 265, 3},   // body | Close faces
      {"about.jpg", 149, 351, 1, 38},  // Close hover | pressed
      {"about.jpg", 0, 400, 265, 30},  // 15: Close faces | close glyphs
  };
  for (std::size_t i = 0; i < std::size(gaps); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Count(gaps[i], [](plat::Pixel p) { return R(p) < 225 || G(p) < 225 || B(p) < 225; }),
              0);
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
      {"splash.jpg", 300, 120, 127, 20},    // 5: splash version label
      {"splash.jpg", 420, 200, 50, 30},     // splash, lower right
  };
  for (std::size_t i = 0; i < std::size(plain); ++i) {
    SCOPED_TRACE(i);
    const Mean m = Average(plain[i]);
    EXPECT_NEAR(m.r, 0, 3);
    EXPECT_NEAR(m.g, 107, 3);
    EXPECT_NEAR(m.b, 127, 3);
    // No stray ink either: every pixel close to the field colour.
    EXPECT_EQ(Count(plain[i],
                    [](plat::Pixel p) {
                      return R(p) > 12 || std::abs(G(p) - 107) > 12 || std::abs(B(p) - 127) > 12;
                    }),
              0);
  }
}

TEST(Artwork, ActiveTitleStripIsBlueInactiveIsGrey) {
  const struct {
    const char* sheet;
    int active_y, inactive_y, width, shown_rows;
  } strips[] = {{"main.jpg", 48, 72, 425, 20}, {"about.jpg", 0, 23, 265, 21}};
  for (const auto& s : strips) {
    SCOPED_TRACE(s.sheet);
    // Right half: away from the caption.
    const Mean active = Average({s.sheet, s.width / 2, s.active_y, s.width / 4, s.shown_rows});
    const Mean inactive = Average({s.sheet, s.width / 2, s.inactive_y, s.width / 4, s.shown_rows});
    EXPECT_GT(active.b - active.r, 60);
    EXPECT_LT(std::abs(inactive.b - inactive.r), 10);
    // Light at the top, dark at the bottom.
    const Mean top = Average({s.sheet, s.width / 2, s.active_y + 1, 40, 2});
    const Mean bottom = Average({s.sheet, s.width / 2, s.active_y + s.shown_rows - 3, 40, 2});
    EXPECT_GT(top.b, bottom.b + 60);
    // The caption at the left holds white letters.
    EXPECT_GT(Count({s.sheet, 4, s.active_y, 76, s.shown_rows},
                    [](plat::Pixel p) { return R(p) > 230 && G(p) > 230; }),
              40);
  }
}

TEST(Artwork, CloseGlyphsShowADarkCrossOnTheirColour) {
  const struct {
    const char* sheet;
    int x, y;
    bool grey;
  } glyphs[] = {
      {"main.jpg", 209, 478, false},  {"main.jpg", 225, 478, false},
      {"main.jpg", 241, 478, false},  {"main.jpg", 258, 479, true},
      {"about.jpg", 100, 437, false}, {"about.jpg", 116, 437, false},  // 5
      {"about.jpg", 130, 437, false}, {"about.jpg", 145, 437, true},
  };
  for (std::size_t i = 0; i < std::size(glyphs); ++i) {
    SCOPED_TRACE(i);
    const auto& g = glyphs[i];
    // The surface shows the top-left 13 x 12; the cross is centred there.
    const Mean centre = Average({g.sheet, g.x + 6, g.y + 6, 1, 1});
    EXPECT_LT(centre.r + centre.g + centre.b, 180);
    // Between the arms: the glyph's own colour.
    const Mean side = Average({g.sheet, g.x + 5, g.y + 2, 3, 1});
    if (g.grey) {
      EXPECT_LT(std::abs(side.b - side.r), 15);
      EXPECT_GT(side.r, 100);
    } else {
      EXPECT_GT(side.b - side.r, 60);
    }
  }
}

// The word of every face is red and centred in the part its surface shows.
TEST(Artwork, ButtonWordsAreRedAndCentredInTheShownPart) {
  const struct {
    Region shown;
    int frame_y, frame_h;  // where the word is centred
  } buttons[] = {
      {{"main.jpg", 0, 431, 105, 28}, 0, 28},   {{"main.jpg", 110, 431, 105, 28}, 0, 28},
      {{"main.jpg", 219, 431, 105, 28}, 0, 28}, {{"main.jpg", 0, 469, 57, 25}, 0, 25},
      {{"main.jpg", 70, 469, 57, 25}, 0, 25},   {{"main.jpg", 140, 469, 57, 25}, 0, 25},  // 5
      {{"main.jpg", 0, 502, 73, 39}, 0, 30},    {{"main.jpg", 76, 502, 73, 39}, 0, 30},
      {{"main.jpg", 152, 502, 73, 39}, 0, 30},  {{"main.jpg", 0, 544, 73, 39}, 9, 30},
      {{"main.jpg", 76, 544, 73, 39}, 9, 30},   {{"main.jpg", 152, 544, 73, 39}, 9, 30},  // 10
      {{"about.jpg", 0, 351, 74, 38}, 0, 38},   {{"about.jpg", 75, 351, 74, 38}, 0, 38},
      {{"about.jpg", 151, 351, 74, 38}, 0, 38},
  };
  for (std::size_t i = 0; i < std::size(buttons); ++i) {
    SCOPED_TRACE(i);
    const auto& b = buttons[i];
    double sx = 0, sy = 0;
    int n = 0;
    ForEach(b.shown, [&](plat::Pixel p, int x, int y) {
      if (R(p) > 190 && G(p) < 110 && B(p) < 110) sx += x, sy += y, ++n;
    });
    ASSERT_GT(n, 40);
    EXPECT_NEAR(sx / n, b.shown.w / 2.0, 3.5);
    EXPECT_NEAR(sy / n, b.frame_y + b.frame_h / 2.0, 3.5);
  }
}

// Hover and pressed faces differ from the normal one (the shadow) and from
// each other (its offset).
TEST(Artwork, HoverAndPressedFacesDiffer) {
  const int rows[][4] = {
      {431, 110, 219, 28}, {469, 70, 140, 25}, {502, 76, 152, 39}, {544, 76, 152, 39}};
  const plat::Image& img = Sheet("main.jpg");
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    const int y = row[0], hover = row[1], pressed = row[2], h = row[3];
    auto differs = [&](int ax, int bx) {
      int n = 0;
      for (int dy = 0; dy < h; ++dy)
        for (int dx = 0; dx < 57; ++dx)
          n += std::abs(G(img.at(ax + dx, y + dy)) - G(img.at(bx + dx, y + dy))) > 40;
      return n;
    };
    EXPECT_GT(differs(0, hover), 20);
    EXPECT_GT(differs(0, pressed), 20);
    EXPECT_GT(differs(hover, pressed), 20);
  }
}

TEST(Artwork, IconIs32By32In256ColoursWithAMask) {
  const std::vector<std::uint8_t> ico = ReadResource("brivane.ico");
  auto le32 = [&](std::size_t at) {
    return ico[at] | (ico[at + 1] << 8) | (ico[at + 2] << 16) |
           (static_cast<std::uint32_t>(ico[at + 3]) << 24);
  };
  constexpr std::size_t kImage = 40 + 256 * 4 + 32 * 32 + 32 * 4, kBmp = 22;
  ASSERT_EQ(ico.size(), kBmp + kImage);
  // Type icon, one image, 32 x 32, 8 bits per pixel, its size and place.
  EXPECT_EQ((std::vector<int>{ico[2], ico[4], ico[6], ico[7], ico[12]}),
            (std::vector<int>{1, 1, 32, 32, 8}));
  EXPECT_EQ(le32(14), kImage);
  EXPECT_EQ(le32(18), kBmp);
  // The bitmap header: 32 wide, 64 high for the XOR and AND bitmaps, 8 bits, uncompressed.
  EXPECT_EQ((std::vector<std::uint32_t>{le32(kBmp), le32(kBmp + 4), le32(kBmp + 8), ico[kBmp + 14],
                                        le32(kBmp + 16)}),
            (std::vector<std::uint32_t>{40, 32, 64, 8, 0}));
  const std::size_t xor_at = kBmp + 40 + 256 * 4, and_at = xor_at + 32 * 32;
  auto transparent = [&](int x, int y) {  // bitmaps run bottom-up
    return (ico[and_at + static_cast<std::size_t>(31 - y) * 4 + x / 8] & (0x80 >> (x % 8))) != 0;
  };
  auto index = [&](int x, int y) {
    return ico[xor_at + static_cast<std::size_t>(31 - y) * 32 + x];
  };
  for (const auto& c : {std::pair{0, 0}, std::pair{31, 0}, std::pair{0, 31}}) {
    EXPECT_TRUE(transparent(c.first, c.second));
    EXPECT_EQ(index(c.first, c.second), 0);  // black under the mask, as Windows expects
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
