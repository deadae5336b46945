// The main window's skin: the picture loaded through temp.jpg, the surfaces
// painted from it, the button faces under the mouse and the title bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "app/program.h"
#include "skin/resource_file.h"
#include "skin/skins.h"
#include "skin_fixture.h"
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
constexpr Piece kBody{0, 97, 425, 329};
constexpr Piece kCloseActive{209, 478, 14, 14};
constexpr Piece kCloseHover{225, 478, 14, 14};
constexpr Piece kClosePressed{241, 478, 14, 14};
constexpr Piece kCloseInactive{258, 479, 14, 14};

struct Surface {
  const char* name;
  Piece piece;  // what the load paints
  int inner_w, inner_h;
};

const Surface kPaintedAtLoad[] = {
    {"picTitlebar", kTitleActive, 425, 20},     {"picMain", kBody, 425, 325},
    {"PicExecute", {0, 431, 106, 33}, 105, 28}, {"picExit", {0, 469, 66, 32}, 57, 25},
    {"picClose", kCloseActive, 13, 12},         {"picHelp", {0, 502, 73, 39}, 73, 39},
    {"picAbout", {0, 544, 73, 39}, 73, 39},
};

struct Button {
  const char* name;
  Piece normal, hover, pressed;
};

// The close glyph's normal face here is the active one; the inactive one is
// tested with the title bar.
const Button kButtons[] = {
    {"PicExecute", {0, 431, 106, 33}, {110, 431, 106, 33}, {219, 431, 106, 33}},
    {"picExit", {0, 469, 66, 32}, {70, 469, 66, 32}, {140, 469, 66, 32}},
    {"picClose", kCloseActive, kCloseHover, kClosePressed},
    {"picHelp", {0, 502, 73, 39}, {76, 502, 73, 39}, {152, 502, 73, 39}},
    {"picAbout", {0, 544, 73, 39}, {76, 544, 73, 39}, {152, 544, 73, 39}},
};

class SkinTest : public ProgramTest {
 protected:
  const plat::Image& Sheet() { return SheetOf(d, skin::kResourceMain); }
  plat::Image Face(const char* surface, const Piece& piece) {
    return Painted(C(surface), Sheet(), piece);
  }
  // The surface holds `piece` and shows it on the screen.
  ::testing::AssertionResult Shows(const char* surface, const Piece& piece) {
    plat::Image want = Face(surface, piece);
    ::testing::AssertionResult held = SameImage(C(surface).Retained(), want);
    if (!held) return held << " (retained image of " << surface << ")";
    ::testing::AssertionResult seen = SameImage(d.Screen(C(surface)), want);
    if (!seen) return seen << " (screen of " << surface << ")";
    return ::testing::AssertionSuccess();
  }
  void MoveOverBody(int button = 0) { d.MouseMove(C("picMain"), 200, 20, button); }
  plat::WindowId MainHandle() { return Main().form().Handle(); }
  // A window of another program, brought to the front.
  plat::WindowId ForeignWindow() {
    headless::WindowOptions o;
    o.activate = true;
    return d.CreateWindow("Notepad", "Untitled - Notepad", o);
  }
};

// ---------------------------------------------------------------- painting

TEST_F(SkinTest, LoadPaintsEverySurfaceFromTheSheetClippedToItsSize) {
  Boot();
  ASSERT_TRUE(MainLoaded());
  EXPECT_TRUE(d.boxes().empty());
  for (const Surface& s : kPaintedAtLoad) {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(C(s.name).InnerWidth(), s.inner_w);
    EXPECT_EQ(C(s.name).InnerHeight(), s.inner_h);
    EXPECT_TRUE(SameImage(C(s.name).Retained(), Face(s.name, s.piece)));
  }
  // The body's bottom four rows and the buttons' right and lower parts are cut off.
  EXPECT_EQ(C("picMain").Retained().at(0, 324), Sheet().at(0, 97 + 324));
  EXPECT_EQ(C("picExit").Retained().at(56, 24), Sheet().at(56, 469 + 24));
}

TEST_F(SkinTest, LoadRefreshesTitleBodyAndExecuteAndExposureShowsTheRest) {
  Boot();
  // Only the three refreshes of the painter have reached the screen yet.
  const int refreshed[] = {1, 1, 1, 0, 0, 0, 0};
  for (std::size_t i = 0; i < std::size(kPaintedAtLoad); ++i) {
    const Surface& s = kPaintedAtLoad[i];
    SCOPED_TRACE(s.name);
    EXPECT_EQ(d.RepaintCount(C(s.name)), refreshed[i]);
    if (refreshed[i]) {
      EXPECT_TRUE(Shows(s.name, s.piece));
    } else {
      EXPECT_TRUE(d.Screen(C(s.name)).empty());
    }
  }
  // The first message processing paints the shown window; no tick has come yet.
  d.RunFor(50);
  for (const Surface& s : kPaintedAtLoad) {
    SCOPED_TRACE(s.name);
    EXPECT_TRUE(Shows(s.name, s.piece));
  }
  EXPECT_TRUE(d.Screen(C("picPicture")).empty()) << "the holder is never on the screen";
}

TEST_F(SkinTest, TheHolderGrowsToTheWholeSheet) {
  Boot();
  plat::Control& holder = C("picPicture");
  EXPECT_TRUE(holder.HasPicture());
  EXPECT_FALSE(holder.Visible());
  EXPECT_EQ(holder.InnerWidth(), 425);
  EXPECT_EQ(holder.InnerHeight(), 605);
  EXPECT_EQ(holder.Rect().width, 427);  // with its border
  EXPECT_EQ(holder.Rect().height, 607);
  EXPECT_EQ(holder.Rect().x, 32);
  EXPECT_EQ(holder.Rect().y, 384);
  EXPECT_TRUE(SameImage(holder.Retained(), Sheet()));
}

TEST_F(SkinTest, AWindowWithoutItsPictureIsPaintedFromTheEmptyHolder) {
  d.RemoveResource("JPG", skin::kResourceMain);
  Boot();
  ASSERT_TRUE(MainLoaded());
  ASSERT_EQ(d.boxes().size(), 2u);
  EXPECT_NE(d.boxes()[0].text.find("Code: MRES169"), std::string::npos);
  EXPECT_EQ(d.boxes()[0].caption, "Error 326");
  EXPECT_NE(d.boxes()[1].text.find("Code: MRES76"), std::string::npos);
  plat::Control& holder = C("picPicture");
  EXPECT_FALSE(holder.HasPicture());
  // As laid out: 120 x 137 with its border, white.
  const plat::Image empty = Filled(118, 135, plat::MakePixel(255, 255, 255));
  ASSERT_TRUE(SameImage(holder.Retained(), empty));
  for (const Surface& s : kPaintedAtLoad) {
    SCOPED_TRACE(s.name);
    EXPECT_TRUE(SameImage(C(s.name).Retained(), Painted(C(s.name), empty, s.piece)));
  }
  // The program goes on: the window is shown and its buttons still answer.
  EXPECT_TRUE(d.FormVisible(Main().form()));
  d.MouseMove(C("PicExecute"), 5, 5);
  EXPECT_EQ(d.RepaintCount(C("PicExecute")), 2);
}

struct MissingCase {
  const char* missing;
  int painted;  // surfaces of kPaintedAtLoad painted before the painter stops
};

TEST_F(SkinTest, AWindowLackingASurfaceIsReportedAndEndsTheProgram) {
  const MissingCase cases[] = {
      {"picPicture", 0}, {"picTitlebar", 0}, {"picMain", 1},  {"PicExecute", 2}, {"picExit", 3},
      {"picClose", 4},   {"picHelp", 5},     {"picAbout", 6}, {nullptr, 7},  // all there: painted,
                                                                             // nothing reported
  };
  const plat::FormSpec& full = windows::MainLayout();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const MissingCase& c = cases[i];
    SCOPED_TRACE(c.missing ? c.missing : "(none)");
    std::vector<plat::ControlSpec> rows;
    for (const plat::ControlSpec& row : full.controls) {
      if (c.missing == nullptr || std::string(row.name) != c.missing) rows.push_back(row);
    }
    plat::FormSpec spec = full;
    spec.controls = rows;
    plat::Form form(spec);
    form.Load();
    if (plat::Control* holder = form.Find("picPicture")) {
      skin::LoadSkinPicture(skin::kResourceMain, *holder);
    }
    const std::size_t boxes = d.boxes().size();
    skin::PaintSkin(form);
    for (int k = 0; k < 7; ++k) {
      const Surface& s = kPaintedAtLoad[k];
      plat::Control* surface = form.Find(s.name);
      if (surface == nullptr) continue;
      SCOPED_TRACE(s.name);
      const bool painted = k < c.painted;
      EXPECT_EQ(SameImage(surface->Retained(), Painted(*surface, Sheet(), s.piece)), painted);
    }
    if (c.missing == nullptr) {
      EXPECT_EQ(d.boxes().size(), boxes);
      EXPECT_TRUE(form.Loaded());
      form.Unload();
      continue;
    }
    ASSERT_EQ(d.boxes().size(), boxes + 1);
    EXPECT_NE(d.boxes().back().text.find("Program Spacific Error Code: MSK148"), std::string::npos);
    EXPECT_EQ(d.boxes().back().caption, "Error 730");
    EXPECT_FALSE(form.Loaded()) << "the program ends";
    EXPECT_TRUE(plat::LoadedForms().empty());
  }
}

// ---------------------------------------------------------------- buttons

TEST_F(SkinTest, EachButtonPressesOnAnyButtonLightsOnAFreeMoveAndResetsOverTheBody) {
  Boot();
  d.RunFor(100);  // the first tick: the window is active, the glyph's normal face the active one
  ASSERT_EQ(Main().IsActive, plat::kTrue);
  for (const Button& b : kButtons) {
    SCOPED_TRACE(b.name);
    plat::Control& c = C(b.name);
    int repaints = d.RepaintCount(c);
    struct Step {
      const char* what;
      std::function<void()> act;
      const Piece* face;
      int refreshes;
    };
    const Step steps[] = {
        {"free move", [&] { d.MouseMove(c, 3, 3); }, &b.hover, 1},
        {"move again", [&] { d.MouseMove(c, 4, 3); }, &b.hover, 1},  // no change detection
        {"move, left held", [&] { d.MouseMove(c, 5, 3, plat::kLeftButton); }, &b.hover, 0},
        {"right down", [&] { d.MouseDown(c, 5, 3, plat::kRightButton); }, &b.pressed, 1},
        {"move, right held", [&] { d.MouseMove(c, 6, 3, plat::kRightButton); }, &b.pressed, 0},
        {"body move, held", [&] { MoveOverBody(plat::kLeftButton); }, &b.normal, 1},
        {"move, middle held", [&] { d.MouseMove(c, 6, 4, plat::kMiddleButton); }, &b.normal, 0},
        {"middle down", [&] { d.MouseDown(c, 6, 4, plat::kMiddleButton); }, &b.pressed, 1},
        {"body move", [&] { MoveOverBody(); }, &b.normal, 1},
        {"left down", [&] { d.MouseDown(c, 1, 1, plat::kLeftButton); }, &b.pressed, 1},
    };
    for (const Step& s : steps) {
      SCOPED_TRACE(s.what);
      s.act();
      EXPECT_TRUE(Shows(b.name, *s.face));
      EXPECT_EQ(d.RepaintCount(c) - repaints, s.refreshes);
      repaints = d.RepaintCount(c);
    }
    MoveOverBody();
  }
}

TEST_F(SkinTest, AFaceStaysLitWhenTheMouseGoesElsewhere) {
  Boot();
  d.RunFor(100);
  d.MouseMove(C("PicExecute"), 10, 10);
  d.MouseMove(C("optRestart"), 2, 2);  // no handler there
  d.MouseMove(C("lstDrive"), 2, 2);
  d.RunFor(1000);
  EXPECT_TRUE(Shows("PicExecute", kButtons[0].hover));
  MoveOverBody();
  EXPECT_TRUE(Shows("PicExecute", kButtons[0].normal));
}

TEST_F(SkinTest, ABodyMoveChoosesTheGlyphFaceByIsActive) {
  Boot();
  // Before the first tick IsActive is still False, although the window is in front.
  ASSERT_EQ(Main().IsActive, plat::kFalse);
  d.MouseMove(C("picClose"), 2, 2);
  MoveOverBody();
  EXPECT_TRUE(Shows("picClose", kCloseInactive));
  d.RunFor(100);
  d.MouseMove(C("picClose"), 2, 2);
  MoveOverBody();
  EXPECT_TRUE(Shows("picClose", kCloseActive));
  ForeignWindow();
  d.RunFor(100);
  ASSERT_EQ(Main().IsActive, plat::kFalse);
  d.MouseMove(C("picClose"), 2, 2);
  MoveOverBody();
  EXPECT_TRUE(Shows("picClose", kCloseInactive));
}

TEST_F(SkinTest, ABodyMoveRefreshesTheFiveButtonsInTheirOrder) {
  const char* order[] = {"PicExecute", "picExit", "picClose", "picHelp", "picAbout"};
  for (int failing = 0; failing < 5; ++failing) {
    SCOPED_TRACE(order[failing]);
    app::ResetProgram();
    Boot();
    d.RunFor(100);
    for (const Button& b : kButtons) d.MouseMove(C(b.name), 1, 1);
    // One refresh fails: that button alone keeps its lit face on the screen.
    d.Fail(Op::kRepaint, plat::kErrOutOfMemory, 1, failing);
    MoveOverBody();
    EXPECT_TRUE(d.boxes().empty());
    for (int k = 0; k < 5; ++k) {
      SCOPED_TRACE(order[k]);
      const Button& b = kButtons[k];
      EXPECT_TRUE(SameImage(C(b.name).Retained(), Face(b.name, b.normal)));
      EXPECT_TRUE(SameImage(d.Screen(C(b.name)), Face(b.name, k == failing ? b.hover : b.normal)));
    }
    d.ClearFaults();
  }
}

TEST_F(SkinTest, ReleasingAButtonChangesNoFace) {
  Boot();
  d.RunFor(100);
  d.WriteFile("C:\\Program Files\\Brivane\\Help.chm", "ITSF");
  // A click is a press and a release; the pressed face stays after the action ran.
  d.Click(C("picHelp"), 5, 5);
  EXPECT_EQ(d.log().Of("HtmlHelp").size(), 1u);
  d.SetForeground(MainHandle());
  EXPECT_TRUE(Shows("picHelp", kButtons[3].pressed));
  d.MouseMove(C("picHelp"), 5, 5);
  EXPECT_TRUE(Shows("picHelp", kButtons[3].hover));
}

TEST_F(SkinTest, TheCloseGlyphDoesWhatExitDoes) {
  for (const char* button : {"picExit", "picClose"}) {
    SCOPED_TRACE(button);
    app::ResetProgram();
    Boot();
    const std::size_t boxes = d.boxes().size();
    std::size_t mark = d.log().size();
    d.AnswerNextBox(plat::kIdNo);
    d.Click(C(button), 3, 3);
    EXPECT_TRUE(
        EventsMatch(d.log().since(mark),
                    {{"MessageBox", {"Exit?", "Are you sure you would like to exit", "4"}}}));
    EXPECT_TRUE(MainLoaded());
    d.AnswerNextBox(plat::kIdYes);
    d.Click(C(button), 3, 3);
    EXPECT_EQ(d.boxes().size(), boxes + 2);
    EXPECT_TRUE(plat::LoadedForms().empty());
    EXPECT_FALSE(d.process_ended());
  }
}

// ---------------------------------------------------------------- title bar

TEST_F(SkinTest, TheTitleBarTimerTicksEvery100ms) {
  Boot();
  EXPECT_EQ(d.TimerDue(C("timActive")), d.Now() + 100);
  const int title = d.RepaintCount(C("picTitlebar"));
  const int glyph = d.RepaintCount(C("picClose"));
  d.RunFor(1000);
  EXPECT_EQ(d.RepaintCount(C("picTitlebar")) - title, 10);
  EXPECT_EQ(d.RepaintCount(C("picClose")) - glyph, 10);
  EXPECT_TRUE(Shows("picTitlebar", kTitleActive));
  EXPECT_EQ(Main().IsActive, plat::kTrue);
}

TEST_F(SkinTest, AnotherWindowInFrontTurnsTheTitleBarInactiveWithin100ms) {
  Boot();
  d.RunFor(130);
  EXPECT_TRUE(Shows("picTitlebar", kTitleActive));

  // Another program, then the about window.
  ForeignWindow();
  d.RunFor(100);
  EXPECT_TRUE(Shows("picTitlebar", kTitleInactive));
  EXPECT_TRUE(Shows("picClose", kCloseInactive));
  EXPECT_EQ(Main().IsActive, plat::kFalse);
  d.SetForeground(MainHandle());
  d.RunFor(100);
  EXPECT_TRUE(Shows("picTitlebar", kTitleActive));
  EXPECT_TRUE(Shows("picClose", kCloseActive));
  EXPECT_EQ(Main().IsActive, plat::kTrue);

  d.Click(C("picAbout"), 2, 2);
  ASSERT_TRUE(app::AboutWindow().form().Visible());
  d.RunFor(100);
  EXPECT_TRUE(Shows("picTitlebar", kTitleInactive));
  EXPECT_TRUE(Shows("picClose", kCloseInactive));
  d.SetForeground(MainHandle());
  d.RunFor(100);
  EXPECT_TRUE(Shows("picTitlebar", kTitleActive));
}

TEST_F(SkinTest, WhileAMessageBoxIsOpenTheTitleBarIsInactive) {
  Boot();
  d.RunFor(100);
  bool title_inactive = false, glyph_inactive = false;
  d.After(250, [&] {
    title_inactive = SameImage(d.Screen(C("picTitlebar")), Face("picTitlebar", kTitleInactive));
    glyph_inactive = SameImage(d.Screen(C("picClose")), Face("picClose", kCloseInactive));
  });
  d.AnswerNextBox(plat::kIdNo, 400);
  d.Click(C("picExit"), 2, 2);
  EXPECT_TRUE(title_inactive);
  EXPECT_TRUE(glyph_inactive);
  d.RunFor(100);  // the box is gone and the window in front again
  EXPECT_TRUE(Shows("picTitlebar", kTitleActive));
}

TEST_F(SkinTest, TheTitleBarResetsTheGlyphToItsActiveFaceUntilTheNextTick) {
  Boot();
  d.RunFor(100);
  ForeignWindow();
  d.RunFor(100);
  ASSERT_TRUE(Shows("picClose", kCloseInactive));
  d.MouseMove(C("picTitlebar"), 100, 5);
  EXPECT_TRUE(Shows("picClose", kCloseActive));
  d.RunFor(100);
  EXPECT_TRUE(Shows("picClose", kCloseInactive));

  // Hover and pressed faces last until the next tick too.
  d.SetForeground(MainHandle());
  d.RunFor(100);
  d.MouseMove(C("picClose"), 2, 2);
  EXPECT_TRUE(Shows("picClose", kCloseHover));
  d.RunFor(100);
  EXPECT_TRUE(Shows("picClose", kCloseActive));
  d.MouseDown(C("picClose"), 2, 2);
  EXPECT_TRUE(Shows("picClose", kClosePressed));
  d.RunFor(100);
  EXPECT_TRUE(Shows("picClose", kCloseActive));
}

TEST_F(SkinTest, APressOnTheTitleBarDragsTheWindowWithTheMovePointer) {
  Boot();
  plat::Form& form = Main().form();
  for (int button : {plat::kLeftButton, plat::kRightButton, plat::kMiddleButton}) {
    SCOPED_TRACE(button);
    int pointer_during = -1, releases_before = d.capture_releases(), releases_during = -1;
    d.SetHandler(MainHandle(), [&](const headless::SentMessage& m) {
      pointer_during = d.Pointer(form);
      releases_during = d.capture_releases();
      return d.DefWindowProc(m);
    });
    std::size_t mark = d.log().size();
    d.MouseDown(C("picTitlebar"), 150, 8, button);
    EXPECT_TRUE(EventsMatch(d.log().since(mark),
                            {{"SendMessage", {"Brivane", "WM_NCLBUTTONDOWN", "2", "0"}}}));
    EXPECT_EQ(pointer_during, plat::kPointerSizeAll);
    EXPECT_EQ(releases_during, releases_before + 1) << "capture released before the move";
    EXPECT_EQ(d.Pointer(form), plat::kPointerDefault);
    EXPECT_EQ(form.MousePointer(), plat::kPointerDefault);
  }
  // Presses anywhere else move nothing.
  std::size_t mark = d.log().size();
  for (const char* name : {"picMain", "PicExecute", "picExit", "picClose", "picHelp", "picAbout"}) {
    d.MouseDown(C(name), 2, 2);
  }
  EXPECT_TRUE(d.log().since(mark).empty()) << d.log().Print();
}

// ---------------------------------------------------------------- temp.jpg

std::vector<headless::Event> TempFileEvents(const headless::EventLog& log) {
  std::vector<headless::Event> out;
  for (const headless::Event& e : log.all()) {
    if ((e.kind == "WriteFile" || e.kind == "DeleteFile") && e.args[0] == kTempJpgFull) {
      out.push_back(e);
    }
  }
  return out;
}

TEST_F(SkinTest, EachLoadWritesTheResourceToTempJpgAndDeletesIt) {
  std::vector<std::vector<std::uint8_t>> while_there;
  d.SetWriteObserver([&](const headless::Event& e) {
    if (e.kind != "WriteFile" || e.args[0] != kTempJpgFull) return;
    std::string content = d.ReadFile(kTempJpg).value_or("");
    while_there.emplace_back(content.begin(), content.end());
  });
  Boot();
  d.Click(C("picAbout"), 2, 2);
  d.Click(C("picAbout"), 2, 2);  // shown again, not loaded again
  EXPECT_TRUE(EventsMatch(TempFileEvents(d.log()), {
                                                       {"WriteFile", {kTempJpgFull, "63464"}},
                                                       {"DeleteFile", {kTempJpgFull}},
                                                       {"WriteFile", {kTempJpgFull, "136292"}},
                                                       {"DeleteFile", {kTempJpgFull}},
                                                       {"WriteFile", {kTempJpgFull, "81452"}},
                                                       {"DeleteFile", {kTempJpgFull}},
                                                   }));
  const int order[] = {skin::kResourceSplash, skin::kResourceMain, skin::kResourceAbout};
  ASSERT_EQ(while_there.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(order[i]);
    EXPECT_TRUE(while_there[i] == CommittedPicture(order[i]));
  }
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
  EXPECT_TRUE(d.boxes().empty());
}

TEST_F(SkinTest, AnUnwritableProgramFolderLeavesTheWindowsWithoutPictures) {
  d.SetReadOnly("C:\\Program Files\\Brivane", true);
  Boot();
  ASSERT_TRUE(MainLoaded());
  EXPECT_TRUE(d.FormVisible(Main().form()));
  d.Click(C("picAbout"), 2, 2);
  std::vector<std::string> codes;
  for (const auto& b : d.boxes()) codes.push_back(b.text.substr(0, b.text.find("\r\n")));
  const std::string mres169 = "Program Spacific Error Code: MRES169";
  const std::string mres76 = "Program Spacific Error Code: MRES76";
  // Splash, main window and about window, one after the other.
  EXPECT_EQ(codes, (std::vector<std::string>{mres169, mres76, mres169, mres76, mres169, mres76}));
  EXPECT_EQ(d.boxes()[0].caption, "Error 75");
  EXPECT_FALSE(app::TheProgram().splash->form()["Picture1"].HasPicture());
  EXPECT_FALSE(C("picPicture").HasPicture());
  EXPECT_FALSE(app::AboutWindow().form()["picPicture"].HasPicture());
  EXPECT_EQ(plat::LoadedForms().size(), 2u);
  EXPECT_FALSE(d.process_ended());
  EXPECT_FALSE(d.FileExists(kTempJpg));
}

TEST_F(SkinTest, APictureThatDoesNotDecodeLeavesTempJpgBehind) {
  const std::vector<std::uint8_t> junk = headless::Bytes({0xFF, 0xD8, 0x00, 0x01, 0x02});
  d.OverrideResource("JPG", skin::kResourceMain, junk);
  Boot();
  ASSERT_TRUE(MainLoaded());
  ASSERT_EQ(d.boxes().size(), 1u);
  EXPECT_NE(d.boxes()[0].text.find("Code: MRES76"), std::string::npos);
  EXPECT_EQ(d.boxes()[0].caption, "Error 481");
  EXPECT_EQ(d.ReadFile(kTempJpg), std::string(junk.begin(), junk.end()));
  EXPECT_FALSE(C("picPicture").HasPicture());
  EXPECT_TRUE(d.FormVisible(Main().form()));
}

}  // namespace
}  // namespace brivane_test
