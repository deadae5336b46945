// The main window's skin: the picture loaded through temp.jpg, the surfaces
// painted from it, the button faces under the mouse and the title bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <span>
#include <vector>

#include "program_fixture.h"
#include "skin/resource_file.h"
#include "skin/skins.h"
#include "windows/about_window.h"
#include "windows/layouts.h"
#include "windows/splash_window.h"

namespace brivane_test {
namespace {

using headless::EventsMatch;
using headless::Op;
using skin::Piece;

// The main sheet's pieces, as the artwork lays them out.
constexpr Piece kTitleActive{0, 48, 425, 21};
constexpr Piece kTitleInactive{0, 72, 425, 21};
constexpr Piece kCloseActive{209, 478, 14, 14};
constexpr Piece kCloseInactive{258, 479, 14, 14};

// The buttons of both painted windows; the close glyphs' normal faces are the active ones.
struct Button {
  bool about;
  const char* name;
  Piece normal, hover, pressed;
};

const Button kButtons[] = {
    {false, "PicExecute", {0, 431, 106, 33}, {110, 431, 106, 33}, {219, 431, 106, 33}},
    {false, "picExit", {0, 469, 66, 32}, {70, 469, 66, 32}, {140, 469, 66, 32}},
    {false, "picClose", kCloseActive, {225, 478, 14, 14}, {241, 478, 14, 14}},
    {false, "picHelp", {0, 502, 73, 39}, {76, 502, 73, 39}, {152, 502, 73, 39}},
    {false, "picAbout", {0, 544, 73, 39}, {76, 544, 73, 39}, {152, 544, 73, 39}},  // 5
    {true, "picClose", {0, 351, 74, 38}, {75, 351, 74, 38}, {151, 351, 74, 38}},
    {true, "picX", {100, 437, 14, 14}, {116, 437, 14, 14}, {130, 437, 14, 14}},
};

struct Surface {
  const char* name;
  Piece piece;  // what the load paints
  int inner_w, inner_h;
};

const Surface kPaintedAtLoad[] = {
    {"picTitlebar", kTitleActive, 425, 20},          {"picMain", {0, 97, 425, 329}, 425, 325},
    {kButtons[0].name, kButtons[0].normal, 105, 28}, {kButtons[1].name, kButtons[1].normal, 57, 25},
    {kButtons[2].name, kButtons[2].normal, 13, 12},  // 5
    {kButtons[3].name, kButtons[3].normal, 73, 39},  {kButtons[4].name, kButtons[4].normal, 73, 39},
};

const Surface kAboutPainted[] = {
    {"picTitlebar", {0, 0, 265, 22}, 265, 21},
    {"picMain", {0, 46, 265, 299}, 265, 300},
    {"picClose", kButtons[5].normal, 74, 38},
    {"picX", kButtons[6].normal, 13, 12},
};

class SkinTest : public ProgramTest {
 protected:
  const plat::Image& Sheet(bool about = false) {
    return SheetOf(d, about ? skin::kResourceAbout : skin::kResourceMain);
  }
  std::span<const Surface> SurfacesOf(bool about) {
    return about ? std::span<const Surface>(kAboutPainted) : kPaintedAtLoad;
  }
  plat::Form& Window(bool about) { return about ? app::AboutWindow().form() : Main().form(); }
  plat::Bool16 IsActive(bool about) {
    return about ? app::AboutWindow().IsActive() : Main().IsActive();
  }
  ::testing::AssertionResult Shows(const char* surface, const Piece& piece, bool held = false,
                                   bool about = false) {
    return brivane_test::Shows(d, Window(about)[surface], Sheet(about), piece, held);
  }
  void MoveOverBody(int button = 0, bool about = false) {
    d.MouseMove(Window(about)["picMain"], about ? 30 : 200, about ? 200 : 20, button);
  }
};

// ---------------------------------------------------------------- painting

TEST_F(SkinTest, LoadsPaintEverySurfaceAndOnlyTheMainWindowRefreshesTitleBodyAndExecute) {
  Boot();
  app::AboutWindow().form().Show();  // painted while hidden
  EXPECT_TRUE(d.boxes().empty());
  for (bool about : {false, true}) {
    const std::span<const Surface> surfaces = SurfacesOf(about);
    for (std::size_t i = 0; i < surfaces.size(); ++i) {
      const Surface& s = surfaces[i];
      SCOPED_TRACE(std::string(about ? "about " : "main ") + s.name);
      plat::Control& c = Window(about)[s.name];
      const int refreshed = !about && i < 3;
      EXPECT_EQ(c.InnerWidth(), s.inner_w);
      EXPECT_EQ(c.InnerHeight(), s.inner_h);
      EXPECT_EQ(d.RepaintCount(c), refreshed);
      EXPECT_TRUE(Shows(s.name, s.piece, !refreshed, about));
      if (!refreshed) {
        EXPECT_TRUE(d.Screen(c).empty());
      }
    }
  }
  // The first message processing paints the shown windows.
  d.RunFor(50);
  for (bool about : {false, true}) {
    for (const Surface& s : SurfacesOf(about)) {
      EXPECT_TRUE(Shows(s.name, s.piece, false, about)) << s.name;
    }
    // The holders grow to the whole sheet and are never on the screen.
    plat::Control& holder = Window(about)["picPicture"];
    EXPECT_FALSE(holder.Visible());
    EXPECT_TRUE(SameImage(holder.Retained(), Sheet(about)));
    EXPECT_TRUE(d.Screen(holder).empty());
  }
  EXPECT_EQ(C("picPicture").Rect().width, 427);  // with its border
  EXPECT_EQ(C("picPicture").Rect().height, 607);
  // The about body piece is a row short: picMain's lowest row keeps its dark red.
  EXPECT_EQ(Window(true)["picMain"].Retained().at(100, 299), plat::MakePixel(128, 0, 0));
}

TEST_F(SkinTest, AWindowWithoutItsPictureIsPaintedFromTheEmptyHolder) {
  d.RemoveResource("JPG", skin::kResourceMain);
  Boot();
  ASSERT_TRUE(MainLoaded());
  EXPECT_EQ(BoxHeads(), (std::vector<std::string>{"Program Spacific Error Code: MRES169",
                                                  "Program Spacific Error Code: MRES76"}));
  EXPECT_EQ(d.boxes()[0].caption, "Error 326");
  // As laid out: 120 x 137 with its border, white.
  const plat::Image empty = Filled(118, 135, plat::MakePixel(255, 255, 255));
  ASSERT_TRUE(SameImage(C("picPicture").Retained(), empty));
  for (const Surface& s : kPaintedAtLoad) {
    EXPECT_TRUE(SameImage(C(s.name).Retained(), Painted(C(s.name), empty, s.piece))) << s.name;
  }
  // The program goes on: the window is shown and its buttons still answer.
  EXPECT_TRUE(d.FormVisible(Main().form()));
  d.MouseMove(C("PicExecute"), 5, 5);
  EXPECT_EQ(d.RepaintCount(C("PicExecute")), 2);
}

TEST_F(SkinTest, AWindowLackingASurfaceIsReportedAndEndsTheProgram) {
  struct Case {
    const char* missing;
    int painted;  // surfaces of kPaintedAtLoad painted before the painter stops
  } cases[] = {
      {"picPicture", 0}, {"picTitlebar", 0}, {"picMain", 1},  {"PicExecute", 2}, {"picExit", 3},
      {"picClose", 4},   {"picHelp", 5},     {"picAbout", 6}, {nullptr, 7},  // all there
  };
  const plat::FormLayout& full = windows::MainLayout();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing ? c.missing : "(none)");
    std::vector<plat::ControlLayout> rows;
    for (const plat::ControlLayout& row : full.controls) {
      if (c.missing == nullptr || std::string(row.name) != c.missing) rows.push_back(row);
    }
    plat::FormLayout layout = full;
    layout.controls = rows;
    plat::Form form(layout);
    form.Load();
    if (plat::Control* holder = form.Find("picPicture")) {
      skin::LoadSkinPicture(skin::kResourceMain, *holder);
    }
    const std::size_t boxes = d.boxes().size();
    app::PaintSkin(form);
    for (int k = 0; k < 7; ++k) {
      const Surface& s = kPaintedAtLoad[k];
      if (plat::Control* surface = form.Find(s.name)) {
        EXPECT_EQ(SameImage(surface->Retained(), Painted(*surface, Sheet(), s.piece)),
                  k < c.painted)
            << s.name;
      }
    }
    EXPECT_EQ(d.boxes().size(), boxes + (c.missing ? 1 : 0));
    EXPECT_EQ(form.Loaded(), c.missing == nullptr) << "the program ends";
    if (c.missing) {
      EXPECT_TRUE(Reported("MSK148", 730));
    } else {
      form.Unload();
    }
  }
}

// ---------------------------------------------------------------- buttons

TEST_F(SkinTest, EachButtonPressesOnAnyButtonLightsOnAFreeMoveAndResetsOverTheBody) {
  Boot();
  d.Click(C("picAbout"), 2, 2);
  for (const Button& b : kButtons) {
    SCOPED_TRACE(std::string(b.about ? "about " : "main ") + b.name);
    // Active after a tick, so that the glyphs' normal faces are the active ones.
    d.SetForeground(Window(b.about).Handle());
    d.RunFor(100);
    ASSERT_EQ(IsActive(b.about), plat::kTrue);
    plat::Control& c = Window(b.about)[b.name];
    int repaints = d.RepaintCount(c);
    const auto body = [&](int button) { MoveOverBody(button, b.about); };
    const struct {
      const char* what;
      std::function<void()> act;
      const Piece* face;
      int refreshes;
    } steps[] = {
        {"free move", [&] { d.MouseMove(c, 3, 3); }, &b.hover, 1},
        {"move again", [&] { d.MouseMove(c, 4, 3); }, &b.hover, 1},  // no change detection
        {"move elsewhere", [&] { d.MouseMove(C("lstDrive"), 2, 2); }, &b.hover, 0},
        {"move, left held", [&] { d.MouseMove(c, 5, 3, plat::kLeftButton); }, &b.hover, 0},
        {"right down", [&] { d.MouseDown(c, 5, 3, plat::kRightButton); }, &b.pressed, 1},  // 5
        {"move, right held", [&] { d.MouseMove(c, 6, 3, plat::kRightButton); }, &b.pressed, 0},
        {"body move, held", [&] { body(plat::kLeftButton); }, &b.normal, 1},
        {"move, middle held", [&] { d.MouseMove(c, 6, 4, plat::kMiddleButton); }, &b.normal, 0},
        {"middle down", [&] { d.MouseDown(c, 6, 4, plat::kMiddleButton); }, &b.pressed, 1},
        {"body move", [&] { body(0); }, &b.normal, 1},  // 10
        {"left down", [&] { d.MouseDown(c, 1, 1, plat::kLeftButton); }, &b.pressed, 1},
    };
    for (const auto& s : steps) {
      SCOPED_TRACE(s.what);
      s.act();
      EXPECT_TRUE(Shows(b.name, *s.face, false, b.about));
      EXPECT_EQ(d.RepaintCount(c) - repaints, s.refreshes);
      repaints = d.RepaintCount(c);
    }
    body(0);
  }
}

TEST_F(SkinTest, ReleasingAButtonChangesNoFace) {
  Boot();
  d.WriteFile("C:\\Program Files\\Brivane\\Help.chm", "ITSF");
  // A click is a press and a release; the pressed face stays after the action ran.
  d.Click(C("picHelp"), 5, 5);
  EXPECT_EQ(d.log().Of("HtmlHelp").size(), 1u);
  EXPECT_TRUE(Shows("picHelp", kButtons[3].pressed));
}

TEST_F(SkinTest, ABodyMoveChoosesTheGlyphFaceByIsActive) {
  Boot();
  // Before the first tick IsActive is still False, although the window is in front.
  const struct {
    std::function<void()> arrange;
    const Piece* face;
  } cases[] = {{[] {}, &kCloseInactive},
               {[&] { d.RunFor(100); }, &kCloseActive},
               {[&] {
                  ForeignWindow();
                  d.RunFor(100);
                },
                &kCloseInactive}};
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    cases[i].arrange();
    d.MouseMove(C("picClose"), 2, 2);
    MoveOverBody();
    EXPECT_TRUE(Shows("picClose", *cases[i].face));
  }
}

TEST_F(SkinTest, ABodyMoveRefreshesTheFiveButtonsInTheirOrder) {
  for (int failing = 0; failing < 5; ++failing) {
    SCOPED_TRACE(kButtons[failing].name);
    Boot(true);
    d.RunFor(100);
    for (int k = 0; k < 5; ++k) d.MouseMove(C(kButtons[k].name), 1, 1);
    // One refresh fails: that button alone keeps its lit face on the screen.
    d.Fail(Op::kRepaint, plat::kErrOutOfMemory, 1, failing);
    MoveOverBody();
    EXPECT_TRUE(d.boxes().empty());
    for (int k = 0; k < 5; ++k) {
      const Button& b = kButtons[k];
      EXPECT_TRUE(Shows(b.name, b.normal, true));
      EXPECT_TRUE(SameImage(d.Screen(C(b.name)),
                            Painted(C(b.name), Sheet(), k == failing ? b.hover : b.normal)))
          << b.name;
    }
    d.ClearFaults();
  }
}

TEST_F(SkinTest, TheCloseGlyphDoesWhatExitDoes) {
  Boot();
  d.AnswerNextBox(plat::kIdNo);
  d.Click(C("picClose"), 3, 3);
  EXPECT_TRUE(EventsMatch(d.log().Of("MessageBox"),
                          {{"MessageBox", {"Exit?", "Are you sure you would like to exit", "4"}}}));
  EXPECT_TRUE(MainLoaded());
  d.Click(C("picClose"), 3, 3);  // answered Yes
  EXPECT_TRUE(plat::LoadedForms().empty());
  EXPECT_FALSE(d.process_ended());
}

// ---------------------------------------------------------------- title bar

TEST_F(SkinTest, AnyOtherWindowInFrontTurnsATitleBarInactiveWithin100ms) {
  const struct {
    bool about;
    const char* glyph;
    Piece title_active, title_inactive, glyph_active, glyph_inactive;
  } bars[] = {
      {false, "picClose", kTitleActive, kTitleInactive, kCloseActive, kCloseInactive},
      {true, "picX", {0, 0, 265, 22}, {0, 23, 265, 22}, kButtons[6].normal, {145, 437, 14, 14}}};
  Boot();
  d.Click(C("picAbout"), 2, 2);
  EXPECT_EQ(d.TimerDue(C("timActive")), d.Now() + 100);
  EXPECT_EQ(d.TimerDue(Window(true)["timActive"]), d.Now() + 100);
  d.RunFor(130);  // ticks fall on whole hundreds, the checks 30 ms after them
  for (const auto& bar : bars) {
    SCOPED_TRACE(bar.about ? "about" : "main");
    const std::function<void()> fronts[] = {
        [&] { ForeignWindow(); },
        [&] { d.SetForeground(Window(!bar.about).Handle()); },
        [&] {
          d.AnswerNextBox(plat::kIdNo, 400);
          d.Click(C("picExit"), 2, 2);
        },
    };
    for (std::size_t i = 0; i < std::size(fronts); ++i) {
      SCOPED_TRACE(i);
      bool inactive = false;
      d.After(100, [&] {
        inactive = Shows("picTitlebar", bar.title_inactive, false, bar.about) &&
                   Shows(bar.glyph, bar.glyph_inactive, false, bar.about) &&
                   IsActive(bar.about) == plat::kFalse;
      });
      fronts[i]();
      d.RunFor(300);
      EXPECT_TRUE(inactive);
      d.SetForeground(Window(bar.about).Handle());
      d.RunFor(100);
      EXPECT_TRUE(Shows("picTitlebar", bar.title_active, false, bar.about));
      EXPECT_TRUE(Shows(bar.glyph, bar.glyph_active, false, bar.about));
      EXPECT_EQ(IsActive(bar.about), plat::kTrue);
    }
  }
}

TEST_F(SkinTest, GlyphFacesFromTheTitleBarAndTheMouseLastUntilTheNextTick) {
  Boot();
  d.RunFor(100);
  ForeignWindow();
  d.RunFor(100);
  d.MouseMove(C("picTitlebar"), 100, 5);  // the title bar lights the glyph even when inactive
  EXPECT_TRUE(Shows("picClose", kCloseActive));
  d.RunFor(100);
  EXPECT_TRUE(Shows("picClose", kCloseInactive));
  d.SetForeground(MainHandle());
  d.RunFor(100);
  d.MouseMove(C("picClose"), 2, 2);
  EXPECT_TRUE(Shows("picClose", kButtons[2].hover));
  d.RunFor(100);
  EXPECT_TRUE(Shows("picClose", kCloseActive));
  d.MouseDown(C("picClose"), 2, 2);
  EXPECT_TRUE(Shows("picClose", kButtons[2].pressed));
  d.RunFor(100);
  EXPECT_TRUE(Shows("picClose", kCloseActive));
}

TEST_F(SkinTest, APressOnEitherTitleBarDragsItsWindowWithTheMovePointer) {
  Boot();
  d.Click(C("picAbout"), 2, 2);
  plat::Form& about = app::AboutWindow().form();
  const struct {
    plat::Form& form;
    const char* caption;
    std::vector<const char*> elsewhere;  // presses there move nothing
  } forms[] = {
      {Main().form(),
       "Brivane",
       {"picMain", "PicExecute", "picExit", "picClose", "picHelp", "picAbout"}},
      {about, "Form1", {"picMain", "picX", "picClose"}},
  };
  for (const auto& w : forms) {
    SCOPED_TRACE(w.caption);
    for (int button : {plat::kLeftButton, plat::kRightButton, plat::kMiddleButton}) {
      int pointer_during = -1, releases_during = -1;
      const int releases_before = d.capture_releases();
      d.SetHandler(w.form.Handle(), [&](const headless::SentMessage& m) {
        pointer_during = d.Pointer(w.form);
        releases_during = d.capture_releases();
        return d.DefWindowProc(m);
      });
      const std::size_t mark = d.log().size();
      d.MouseDown(w.form["picTitlebar"], 60, 8, button);
      EXPECT_TRUE(EventsMatch(d.log().since(mark),
                              {{"SendMessage", {w.caption, "WM_NCLBUTTONDOWN", "2", "0"}}}));
      EXPECT_EQ(pointer_during, plat::kPointerSizeAll);
      EXPECT_EQ(releases_during, releases_before + 1) << "capture released before the move";
      EXPECT_EQ(d.Pointer(w.form), plat::kPointerDefault);
    }
    const std::size_t mark = d.log().size();
    for (const char* name : w.elsewhere) d.MouseDown(w.form[name], 2, 2);
    EXPECT_TRUE(d.log().since(mark).empty()) << d.log().Print();
  }
}

// ---------------------------------------------------------------- temp.jpg

TEST_F(SkinTest, EachLoadWritesTheResourceToTempJpgAndDeletesIt) {
  std::vector<headless::Event> events;
  std::vector<bool> committed;  // the file held the committed picture while it was there
  const int order[] = {skin::kResourceSplash, skin::kResourceMain, skin::kResourceAbout};
  d.SetWriteObserver([&](const headless::Event& e) {
    if (e.args.empty() || e.args[0] != kTempJpgFull) return;
    events.push_back(e);
    if (e.kind != "WriteFile" || committed.size() == 3) return;
    const std::string content = d.ReadFile(kTempJpg).value_or("");
    const std::vector<std::uint8_t> want = CommittedPicture(order[committed.size()]);
    committed.push_back(std::string(want.begin(), want.end()) == content);
  });
  Boot();
  d.Click(C("picAbout"), 2, 2);
  d.SetForeground(MainHandle());
  d.Click(C("picAbout"), 2, 2);  // shown again and in front, not loaded again
  EXPECT_EQ(d.GetForegroundWindow(), app::AboutWindow().form().Handle());
  EXPECT_TRUE(EventsMatch(events, {
                                      {"WriteFile", {kTempJpgFull, "63464"}},
                                      {"DeleteFile", {kTempJpgFull}},
                                      {"WriteFile", {kTempJpgFull, "136292"}},
                                      {"DeleteFile", {kTempJpgFull}},
                                      {"WriteFile", {kTempJpgFull, "81452"}},
                                      {"DeleteFile", {kTempJpgFull}},
                                  }));
  EXPECT_EQ(committed, std::vector<bool>(3, true));
  EXPECT_FALSE(d.FileExists(kTempJpg));
  EXPECT_TRUE(d.boxes().empty());
}

TEST_F(SkinTest, ALongerTempJpgIsOverwrittenFromItsStartAndKeepsItsTail) {
  // The main picture is longer than the splash picture, which is written first.
  const std::vector<std::uint8_t> old = CommittedPicture(skin::kResourceMain);
  d.WriteFile(kTempJpg, std::string(old.begin(), old.end()));
  std::vector<std::uint8_t> first;
  plat::Image splash_picture;
  d.SetWriteObserver([&](const headless::Event& e) {
    if (e.kind != "WriteFile" || e.args[0] != kTempJpgFull) return;
    if (first.empty()) {
      const std::string content = d.ReadFile(kTempJpg).value_or("");
      first.assign(content.begin(), content.end());
    } else if (splash_picture.empty()) {
      splash_picture = app::TheProgram().splash->form()["Picture1"].Retained();
    }
  });
  Boot();
  const std::vector<std::uint8_t> splash = CommittedPicture(skin::kResourceSplash);
  ASSERT_EQ(first.size(), old.size());
  EXPECT_TRUE(std::equal(splash.begin(), splash.end(), first.begin()));
  EXPECT_TRUE(std::equal(old.begin() + splash.size(), old.end(), first.begin() + splash.size()));
  // The picture decoded is the splash, not the main sheet the old bytes began with.
  EXPECT_TRUE(SameImage(splash_picture, SheetOf(d, skin::kResourceSplash)));
  EXPECT_TRUE(SameImage(C("picPicture").Retained(), Sheet()));
  EXPECT_FALSE(d.FileExists(kTempJpg));
}

TEST_F(SkinTest, AnUnwritableProgramFolderLeavesTheWindowsWithoutPictures) {
  d.SetReadOnly("C:\\Program Files\\Brivane", true);
  Boot();
  d.Click(C("picAbout"), 2, 2);
  const std::string mres169 = "Program Spacific Error Code: MRES169";
  const std::string mres76 = "Program Spacific Error Code: MRES76";
  // Splash, main window and about window, one after the other.
  EXPECT_EQ(BoxHeads(),
            (std::vector<std::string>{mres169, mres76, mres169, mres76, mres169, mres76}));
  EXPECT_EQ(d.boxes()[0].caption, "Error 75");
  EXPECT_FALSE(app::TheProgram().splash->form()["Picture1"].HasPicture());
  EXPECT_FALSE(C("picPicture").HasPicture());
  EXPECT_FALSE(app::AboutWindow().form()["picPicture"].HasPicture());
  EXPECT_TRUE(d.FormVisible(Main().form()));
  EXPECT_EQ(plat::LoadedForms().size(), 2u);
}

TEST_F(SkinTest, APictureThatDoesNotDecodeLeavesTempJpgBehind) {
  const std::vector<std::uint8_t> junk = headless::Bytes({0xFF, 0xD8, 0x00, 0x01, 0x02});
  d.OverrideResource("JPG", skin::kResourceMain, junk);
  Boot();
  EXPECT_EQ(BoxHeads(), std::vector<std::string>{"Program Spacific Error Code: MRES76"});
  EXPECT_TRUE(Reported("MRES76", 481));
  EXPECT_EQ(d.ReadFile(kTempJpg), std::string(junk.begin(), junk.end()));
  EXPECT_FALSE(C("picPicture").HasPicture());
  EXPECT_TRUE(d.FormVisible(Main().form()));
}

}  // namespace
}  // namespace brivane_test
