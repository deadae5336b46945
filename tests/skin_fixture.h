// Helpers for tests of the painted windows: the sheets as the desktop serves
// them, what a surface must hold after a piece was copied to it, and image
// comparisons that say where two pictures differ.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/headless/desktop.h"
#include "platform/image.h"
#include "platform/toolkit.h"
#include "program_fixture.h"
#include "skin/sheets.h"

namespace brivane_test {

inline constexpr const char* kTempJpg = "C:\\Program Files\\Brivane\\temp.jpg";
inline constexpr const char* kTempJpgFull = "c:\\program files\\brivane\\temp.jpg";
inline constexpr const char* kOwnerKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

inline const char* ResourceFileName(int id) {
  switch (id) {
    case skin::kResourceAbout:
      return "about.jpg";
    case skin::kResourceMain:
      return "main.jpg";
    default:
      return "splash.jpg";
  }
}

inline std::vector<std::uint8_t> CommittedPicture(int id) {
  std::ifstream in(std::string(BRIVANE_SOURCE_DIR) + "/resources/" + ResourceFileName(id),
                   std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The decoded picture of resource `id`, from the bytes the desktop serves, which
// must be the committed file's.
inline const plat::Image& SheetOf(headless::Desktop& d, int id) {
  static std::map<int, plat::Image> cache;
  if (auto it = cache.find(id); it != cache.end()) return it->second;
  std::vector<std::uint8_t> served = d.ReadResource("JPG", id);
  EXPECT_EQ(served, CommittedPicture(id)) << "resource " << id;
  return cache.emplace(id, plat::DecodeJpeg(served)).first->second;
}

// A surface's inner area in its background colour with `piece` of `sheet`
// placed at (0, 0), clipped by the surface and the sheet.
inline plat::Image Painted(const plat::Control& surface, const plat::Image& sheet,
                           const skin::Piece& piece) {
  plat::Image out;
  out.width = surface.InnerWidth();
  out.height = surface.InnerHeight();
  out.pixels.assign(static_cast<std::size_t>(out.width) * out.height,
                    plat::ColourToPixel(surface.BackColor()));
  for (int y = 0; y < piece.h && y < out.height && piece.y + y < sheet.height; ++y) {
    for (int x = 0; x < piece.w && x < out.width && piece.x + x < sheet.width; ++x) {
      out.pixels[static_cast<std::size_t>(y) * out.width + x] = sheet.at(piece.x + x, piece.y + y);
    }
  }
  return out;
}

inline plat::Image Filled(int w, int h, plat::Pixel p) {
  plat::Image out;
  out.width = w;
  out.height = h;
  out.pixels.assign(static_cast<std::size_t>(w) * h, p);
  return out;
}

// Equal size and every pixel equal; otherwise where and how many differ.
inline ::testing::AssertionResult SameImage(const plat::Image& actual,
                                            const plat::Image& expected) {
  if (actual.width != expected.width || actual.height != expected.height) {
    return ::testing::AssertionFailure()
           << "size " << actual.width << " x " << actual.height << ", expected " << expected.width
           << " x " << expected.height;
  }
  std::size_t differing = 0;
  int fx = -1, fy = -1;
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      if (actual.at(x, y) == expected.at(x, y)) continue;
      if (differing++ == 0) fx = x, fy = y;
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  char first[96];
  std::snprintf(first, sizeof first, "first at (%d, %d): %06X, expected %06X", fx, fy,
                actual.at(fx, fy), expected.at(fx, fy));
  return ::testing::AssertionFailure() << differing << " pixels differ, " << first;
}

}  // namespace brivane_test
