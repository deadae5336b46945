// A fresh simulated Windows 98 machine with Brivane installed, for tests of the
// program's own behaviour, and image helpers for the painted windows: the sheets
// as the desktop serves them, what a surface must hold after a piece was copied
// to it, and comparisons that say where two pictures differ.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "machine.h"
#include "platform/errors.h"
#include "platform/headless/testing.h"
#include "platform/image.h"
#include "platform/toolkit.h"
#include "skin/sheets.h"

namespace brivane_test {

inline constexpr const char* kTempJpg = "C:\\Program Files\\Brivane\\temp.jpg";
inline constexpr const char* kTempJpgFull = "c:\\program files\\brivane\\temp.jpg";
inline constexpr const char* kOwnerKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

class ProgramTest : public headless::DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    d.WriteFile(kSystemIni, kTypicalSystemIni);
  }
  void TearDown() override {
    app::ResetProgram();
    DesktopTest::TearDown();
  }

  // Starts the program as Windows or the user would; `fresh` first drops the last session's.
  void Boot(bool fresh = false) {
    if (fresh) app::ResetProgram();
    m.StartBrivane();
  }
  app::FrmMain& Main() { return *app::MainWindow(); }
  plat::Control& C(const char* name) { return Main().form()[name]; }
  bool MainLoaded() { return m.MainLoaded(); }
  plat::WindowId MainHandle() { return Main().form().Handle(); }
  std::string Shell() { return m.Shell(); }
  std::string Setting(const char* key) { return m.Setting(key); }
  // The first line of each box: the error code, or the whole text of a plain box.
  std::vector<std::string> BoxHeads() {
    std::vector<std::string> out;
    for (const auto& b : d.boxes()) out.push_back(b.text.substr(0, b.text.find("\r\n")));
    return out;
  }
  // The last box is the report of `code` with the caption "Error <number>".
  ::testing::AssertionResult Reported(const char* code, int number) {
    if (d.boxes().empty()) return ::testing::AssertionFailure() << "no box";
    const headless::BoxRecord& b = d.boxes().back();
    if (b.text.rfind(std::string("Program Spacific Error Code: ") + code + "\r\n", 0) == 0 &&
        b.caption == "Error " + std::to_string(number)) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << b.caption << ": " << b.text;
  }
  // A window of another program, brought to the front.
  plat::WindowId ForeignWindow() {
    headless::WindowOptions o;
    o.activate = true;
    return d.CreateWindow("Notepad", "Untitled - Notepad", o);
  }

  Machine m{d, {}, false};
};

inline std::vector<std::uint8_t> CommittedPicture(const std::string& name) {
  std::ifstream in(std::string(BRIVANE_SOURCE_DIR) + "/resources/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline std::vector<std::uint8_t> CommittedPicture(int id) {
  return CommittedPicture(id == skin::kResourceAbout  ? "about.jpg"
                          : id == skin::kResourceMain ? "main.jpg"
                                                      : "splash.jpg");
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

inline plat::Image Filled(int w, int h, plat::Pixel p) {
  plat::Image out;
  out.width = w;
  out.height = h;
  out.pixels.assign(static_cast<std::size_t>(w) * h, p);
  return out;
}

// A surface's inner area in its background colour with `piece` of `sheet`
// placed at (0, 0), clipped by the surface and the sheet.
inline plat::Image Painted(const plat::Control& surface, const plat::Image& sheet,
                           const skin::Piece& piece) {
  plat::Image out =
      Filled(surface.InnerWidth(), surface.InnerHeight(), plat::ColourToPixel(surface.BackColor()));
  for (int y = 0; y < piece.h && y < out.height && piece.y + y < sheet.height; ++y) {
    for (int x = 0; x < piece.w && x < out.width && piece.x + x < sheet.width; ++x) {
      out.pixels[static_cast<std::size_t>(y) * out.width + x] = sheet.at(piece.x + x, piece.y + y);
    }
  }
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
      if (actual.at(x, y) != expected.at(x, y) && differing++ == 0) fx = x, fy = y;
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  char first[96];
  std::snprintf(first, sizeof first, "first at (%d, %d): %06X, expected %06X", fx, fy,
                actual.at(fx, fy), expected.at(fx, fy));
  return ::testing::AssertionFailure() << differing << " pixels differ, " << first;
}

// `surface` holds `piece` of `sheet` and, unless `held_only`, shows it on the screen.
inline ::testing::AssertionResult Shows(headless::Desktop& d, const plat::Control& surface,
                                        const plat::Image& sheet, const skin::Piece& piece,
                                        bool held_only = false) {
  const plat::Image want = Painted(surface, sheet, piece);
  ::testing::AssertionResult held = SameImage(surface.Retained(), want);
  if (!held) return held << " (retained image of " << surface.name() << ")";
  if (held_only) return held;
  return SameImage(d.Screen(surface), want) << " (screen of " << surface.name() << ")";
}

}  // namespace brivane_test
