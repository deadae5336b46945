// The windows on a screen of 256 colours: every surface painted through the
// halftone palette, solid colours named through it, the screen painted again when
// another program takes the system palette and when the window comes back to the
// front; on 15-, 16-, 24- and 32-bit screens the pixels exactly as painted.
#include <unordered_map>

#include "platform/palette.h"
#include "program_fixture.h"

namespace brivane_test {
namespace {

// The main window's painted surfaces.
const char* const kSurfaces[] = {"picTitlebar", "picMain", "PicExecute", "picExit",
                                 "picClose",    "picHelp", "picAbout"};

int Distance(plat::Pixel a, plat::Pixel b) {
  int dr = static_cast<int>((a >> 16) & 0xff) - static_cast<int>((b >> 16) & 0xff);
  int dg = static_cast<int>((a >> 8) & 0xff) - static_cast<int>((b >> 8) & 0xff);
  int db = static_cast<int>(a & 0xff) - static_cast<int>(b & 0xff);
  return dr * dr + dg * dg + db * db;
}

// What a screen shows of `image` painted through the halftone palette while the
// system palette is `system`: each pixel the system entry nearest to the
// halftone entry nearest to it.
plat::Image Through(const plat::Image& image, const plat::Palette& system) {
  const plat::Palette& halftone = plat::HalftonePalette();
  std::unordered_map<plat::Pixel, plat::Pixel> seen;
  plat::Image out = image;
  for (plat::Pixel& p : out.pixels) {
    auto [it, fresh] = seen.try_emplace(p, 0);
    if (fresh) {
      it->second = system[plat::NearestEntry(system, halftone[plat::NearestEntry(halftone, p)])];
    }
    p = it->second;
  }
  return out;
}

// The farthest any pixel of `shown` lies from the one painted (squared distance).
int WorstPixel(const plat::Image& shown, const plat::Image& painted) {
  int worst = 0;
  for (std::size_t i = 0; i < shown.pixels.size() && i < painted.pixels.size(); ++i) {
    worst = std::max(worst, Distance(shown.pixels[i], painted.pixels[i]));
  }
  return worst;
}

// Half a step of the cube (51) in each channel: the farthest a colour lies from
// the nearest halftone entry. The 20 system colours alone leave the skin's
// gradients farther off than that.
constexpr int kHalftoneTolerance = 3 * 26 * 26;

plat::Palette GreyPalette() {
  plat::Palette p{};
  for (int i = 0; i < plat::kPaletteEntries; ++i) p[i] = plat::MakePixel(i, i, i);
  return p;
}

class PaletteTest : public ProgramTest {
 protected:
  void BootOn(int bits) {
    d.SetScreenBits(bits);
    Boot();
    d.RunFor(50);
    ASSERT_TRUE(MainLoaded());
  }
  std::map<std::string, int> Repaints() {
    std::map<std::string, int> out;
    for (const char* s : kSurfaces) out[s] = d.RepaintCount(C(s));
    return out;
  }
};

TEST_F(PaletteTest, EverySurfaceShowsItsPixelsExactlyOnScreensWithoutAPalette) {
  for (int bits : {15, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    BootOn(bits);
    EXPECT_FALSE(d.PaletteScreen());
    for (const char* s : kSurfaces) EXPECT_TRUE(SameImage(d.Screen(C(s)), C(s).Retained())) << s;
    for (const char* s : {"optShutdown", "optRestart", "chkDefrag", "picMain", "PicExecute"}) {
      headless::Forms::Solid back = d.ShownBackColour(C(s));
      EXPECT_EQ(back.colour, plat::ColourToPixel(C(s).BackColor())) << s;
      EXPECT_FALSE(back.dithered) << s;
    }
    app::ResetProgram();
    d.Restart();
  }
}

TEST_F(PaletteTest, At256ColoursEverySurfaceIsPaintedThroughTheHalftonePalette) {
  BootOn(8);
  ASSERT_TRUE(d.PaletteScreen());
  // The system palette holds the halftone palette, which the window realised.
  EXPECT_EQ(d.SystemPalette(), plat::HalftonePalette());
  for (const char* s : kSurfaces) {
    SCOPED_TRACE(s);
    const plat::Image& painted = C(s).Retained();
    EXPECT_TRUE(SameImage(d.Screen(C(s)), Through(painted, plat::HalftonePalette())));
    EXPECT_LE(WorstPixel(d.Screen(C(s)), painted), kHalftoneTolerance);
  }
  // What the default palette would show: the tolerance tells the two apart.
  plat::Image defaults = C("picMain").Retained();
  for (plat::Pixel& p : defaults.pixels) {
    p = plat::StaticColours()[plat::NearestEntry(plat::StaticColours(), p)];
  }
  EXPECT_GT(WorstPixel(defaults, C("picMain").Retained()), kHalftoneTolerance);
}

TEST_F(PaletteTest, At256ColoursSolidColoursComeSolidFromThePalette) {
  BootOn(8);
  const plat::Palette& halftone = plat::HalftonePalette();
  struct Case {
    const char* control;
    bool a_system_colour;  // else a plain RGB would dither
  } cases[] = {
      {"optShutdown", false},  // teal 0,106,126
      {"chkDefrag", false},
      {"PicExecute", false},  // salmon 255,128,128
      {"picMain", true},      // dark red 128,0,0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    plat::Pixel back = plat::ColourToPixel(C(c.control).BackColor());
    EXPECT_EQ(plat::IsStaticColour(back), c.a_system_colour);
    headless::Forms::Solid shown = d.ShownBackColour(C(c.control));
    EXPECT_FALSE(shown.dithered);
    EXPECT_EQ(shown.colour, halftone[plat::NearestEntry(halftone, back)]);
  }
}

TEST_F(PaletteTest, AnotherProgramsPaletteRepaintsTheWindowAndTheFrontTakesItBack) {
  BootOn(8);
  std::map<std::string, int> before = Repaints();
  // Another program comes to the front with a palette of greys: every entry the
  // window painted with now shows a grey, until it realises its own again.
  plat::WindowId notepad = ForeignWindow();
  d.ForeignPalette(notepad, GreyPalette());
  const plat::Palette greys = d.SystemPalette();
  EXPECT_NE(greys, plat::HalftonePalette());
  std::map<std::string, int> after_foreign = Repaints();
  for (const char* s : kSurfaces) {
    SCOPED_TRACE(s);
    EXPECT_EQ(after_foreign[s], before[s] + 1);
    EXPECT_TRUE(SameImage(d.Screen(C(s)), Through(C(s).Retained(), greys)));
  }
  // Back to the front: the halftone palette again, each surface painted once more
  // (and not again for the change the window made itself).
  d.Activate(Main().form());
  EXPECT_EQ(d.SystemPalette(), plat::HalftonePalette());
  for (const char* s : kSurfaces) {
    SCOPED_TRACE(s);
    EXPECT_EQ(d.RepaintCount(C(s)), after_foreign[s] + 1);
    EXPECT_TRUE(SameImage(d.Screen(C(s)), Through(C(s).Retained(), plat::HalftonePalette())));
  }
  // Activating it again changes nothing and paints nothing.
  d.Activate(Main().form());
  for (const char* s : kSurfaces) EXPECT_EQ(d.RepaintCount(C(s)), after_foreign[s] + 1) << s;
}

}  // namespace
}  // namespace brivane_test
