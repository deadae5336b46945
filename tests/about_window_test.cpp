// The about window opened from the main window, and the Help button.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/program.h"
#include "skin_fixture.h"
#include "windows/about_window.h"

namespace brivane_test {
namespace {

using headless::EventsMatch;
using headless::Op;
using skin::Piece;

// The about sheet's pieces.
constexpr Piece kTitleActive{0, 0, 265, 22};
constexpr Piece kTitleInactive{0, 23, 265, 22};
constexpr Piece kBody{0, 46, 265, 299};
constexpr Piece kCloseNormal{0, 351, 74, 38};
constexpr Piece kCloseHover{75, 351, 74, 38};
constexpr Piece kClosePressed{151, 351, 74, 38};
constexpr Piece kXActive{100, 437, 14, 14};
constexpr Piece kXHover{116, 437, 14, 14};
constexpr Piece kXPressed{130, 437, 14, 14};
constexpr Piece kXInactive{145, 437, 14, 14};

constexpr const char* kHelpFile = "C:\\Program Files\\Brivane\\Help.chm";

class AboutTest : public ProgramTest {
 protected:
  void SetUp() override {
    ProgramTest::SetUp();
    d.RegPutString(plat::kHkeyLocalMachine, kOwnerKey, "RegisteredOwner", "Ada Lovelace");
  }
  plat::Form& About() { return app::AboutWindow().form(); }
  plat::Control& A(const char* name) { return About()[name]; }
  // Starts the program and opens the about window from its button.
  void Open() {
    if (!MainLoaded()) Boot();
    d.Click(C("picAbout"), 5, 5);
  }
  ::testing::AssertionResult Holds(const char* surface, const Piece& piece) {
    return SameImage(A(surface).Retained(), Painted(A(surface), SheetOf(d, 101), piece));
  }
  ::testing::AssertionResult Shows(const char* surface, const Piece& piece) {
    ::testing::AssertionResult held = Holds(surface, piece);
    if (!held) return held << " (retained image of " << surface << ")";
    return SameImage(d.Screen(A(surface)), Painted(A(surface), SheetOf(d, 101), piece))
           << " (screen of " << surface << ")";
  }
  std::size_t AboutLoads() {
    std::size_t n = 0;
    for (const headless::Event& e : d.log().Of("WriteFile")) n += e.args[1] == "81452";
    return n;
  }
};

TEST_F(AboutTest, OpeningShowsTheVersionAndOwnerOverThePaintedWindow) {
  Open();
  ASSERT_TRUE(About().Loaded());
  EXPECT_TRUE(d.FormVisible(About()));
  EXPECT_EQ(d.GetForegroundWindow(), About().Handle());
  EXPECT_TRUE(d.boxes().empty());
  plat::Control& version = A("lblVersion");
  EXPECT_EQ(version.Caption(), "Version 1.0.3");
  EXPECT_EQ(version.container(), &A("picMain"));
  EXPECT_EQ(version.Left(), 160);  // picMain is scaled in pixels
  EXPECT_EQ(version.Top(), 55);
  EXPECT_EQ(version.Rect().x, 160);
  EXPECT_EQ(version.Rect().y, 55);
  plat::Control& name = A("lblName");
  EXPECT_EQ(name.Caption(), "Ada Lovelace");
  EXPECT_EQ(name.Rect().y, 137);
  EXPECT_EQ(name.spec().align, plat::Align::kCenter);
  EXPECT_EQ(name.ForeColor(), plat::Rgb(255, 255, 0));
  EXPECT_EQ(d.registry().OpenHandles(), 0);

  // Painted while hidden, without refreshes; the first paint of the shown window shows it.
  const struct {
    const char* name;
    Piece piece;
    int w, h;
  } surfaces[] = {{"picTitlebar", kTitleActive, 265, 21},
                  {"picMain", kBody, 265, 300},
                  {"picClose", kCloseNormal, 74, 38},
                  {"picX", kXActive, 13, 12}};
  for (const auto& s : surfaces) {
    SCOPED_TRACE(s.name);
    EXPECT_EQ(A(s.name).InnerWidth(), s.w);
    EXPECT_EQ(A(s.name).InnerHeight(), s.h);
    EXPECT_TRUE(Holds(s.name, s.piece));
    EXPECT_EQ(d.RepaintCount(A(s.name)), 0);
  }
  d.RunFor(50);
  for (const auto& s : surfaces) {
    SCOPED_TRACE(s.name);
    EXPECT_TRUE(Shows(s.name, s.piece));
  }
  // The body piece is a row short: picMain's lowest row keeps its dark red.
  for (int x : {0, 100, 264})
    EXPECT_EQ(A("picMain").Retained().at(x, 299), plat::MakePixel(128, 0, 0));
  plat::Control& holder = A("picPicture");
  EXPECT_EQ(holder.InnerWidth(), 265);
  EXPECT_EQ(holder.InnerHeight(), 477);
  EXPECT_TRUE(SameImage(holder.Retained(), SheetOf(d, skin::kResourceAbout)));
  EXPECT_TRUE(d.Screen(holder).empty());
}

struct OwnerCase {
  const char* what;
  std::function<void()> put;
  std::string shown;
};

TEST_F(AboutTest, TheOwnerLineShowsOnlyATextValueAndNeverAnError) {
  const plat::RegKey hklm = plat::kHkeyLocalMachine;
  const OwnerCase cases[] = {
      {"text", [&] { d.RegPutString(hklm, kOwnerKey, "RegisteredOwner", "Grace Hopper"); },
       "Grace Hopper"},
      {"empty text", [&] { d.RegPutString(hklm, kOwnerKey, "RegisteredOwner", ""); }, ""},
      {"no terminator, a NUL inside",
       [&] {
         d.RegPutString(hklm, kOwnerKey, "RegisteredOwner", std::string("Ann\0Other", 9), false);
       },
       "Ann"},
      {"no value", [] {}, ""},
      {"binary",
       [&] {
         d.registry().Put(hklm, kOwnerKey, "RegisteredOwner",
                          {plat::kRegBinary, {'B', 'o', 'b', 0}});
       },
       ""},
      {"number",
       [&] {
         d.registry().Put(hklm, kOwnerKey, "RegisteredOwner", {plat::kRegDword, {1, 0, 0, 0}});
       },
       ""},
      {"other value only",
       [&] { d.RegPutString(hklm, kOwnerKey, "RegisteredOrganization", "Acme"); }, ""},
  };
  Boot();
  for (const OwnerCase& c : cases) {
    SCOPED_TRACE(c.what);
    d.registry().DeleteKey(hklm, kOwnerKey);
    c.put();
    d.Click(C("picAbout"), 5, 5);
    EXPECT_EQ(A("lblName").Caption(), c.shown);
    EXPECT_TRUE(d.boxes().empty());
    EXPECT_EQ(d.registry().OpenHandles(), 0);
    d.Click(A("picClose"), 5, 5);
    ASSERT_FALSE(About().Loaded());
  }
}

TEST_F(AboutTest, OpeningAgainShowsTheSameWindowWithoutLoadingIt) {
  Open();
  const plat::WindowId first = About().Handle();
  d.SetForeground(Main().form().Handle());
  d.RegPutString(plat::kHkeyLocalMachine, kOwnerKey, "RegisteredOwner", "Someone Else");
  d.Click(C("picAbout"), 5, 5);
  d.Click(C("picAbout"), 5, 5);
  EXPECT_EQ(About().Handle(), first);
  EXPECT_EQ(d.GetForegroundWindow(), first);
  EXPECT_EQ(AboutLoads(), 1u);
  EXPECT_EQ(A("lblName").Caption(), "Ada Lovelace");
}

TEST_F(AboutTest, CloseAndTheCloseGlyphUnloadIt) {
  for (const char* button : {"picClose", "picX"}) {
    SCOPED_TRACE(button);
    Open();
    const plat::WindowId window = About().Handle();
    ASSERT_NE(window, 0u);
    d.Click(A(button), 3, 3);
    EXPECT_FALSE(About().Loaded());
    EXPECT_FALSE(d.WindowExists(window));
    EXPECT_FALSE(d.TimerDue(A("timActive")));
    EXPECT_EQ(d.GetForegroundWindow(), Main().form().Handle());
    EXPECT_TRUE(d.boxes().empty());
    d.RunFor(100);
    EXPECT_EQ(Main().IsActive, plat::kTrue);
  }
  // The next click loads a fresh window.
  Open();
  EXPECT_EQ(AboutLoads(), 3u);
  EXPECT_EQ(A("lblVersion").Caption(), "Version 1.0.3");
  EXPECT_TRUE(Holds("picClose", kCloseNormal));
}

TEST_F(AboutTest, ItsTitleBarFollowsTheForegroundEvery100ms) {
  Open();
  EXPECT_EQ(d.TimerDue(A("timActive")), d.Now() + 100);
  EXPECT_EQ(app::AboutWindow().IsActive, plat::kFalse);
  d.RunFor(100);
  EXPECT_EQ(app::AboutWindow().IsActive, plat::kTrue);
  EXPECT_TRUE(Shows("picTitlebar", kTitleActive));
  EXPECT_TRUE(Shows("picX", kXActive));
  EXPECT_EQ(d.RepaintCount(A("picTitlebar")), 1);

  d.SetForeground(Main().form().Handle());  // a click into the main window
  d.RunFor(100);
  EXPECT_EQ(app::AboutWindow().IsActive, plat::kFalse);
  EXPECT_TRUE(Shows("picTitlebar", kTitleInactive));
  EXPECT_TRUE(Shows("picX", kXInactive));
  d.SetForeground(About().Handle());
  d.RunFor(100);
  EXPECT_TRUE(Shows("picTitlebar", kTitleActive));
  EXPECT_TRUE(Shows("picX", kXActive));
  d.RunFor(700);
  EXPECT_EQ(d.RepaintCount(A("picTitlebar")), 10);
  EXPECT_EQ(d.RepaintCount(A("picX")), 10);
}

TEST_F(AboutTest, ButtonFacesFollowTheMouse) {
  Open();
  d.RunFor(100);
  ASSERT_EQ(app::AboutWindow().IsActive, plat::kTrue);
  const struct {
    const char* name;
    Piece normal, hover, pressed;
  } buttons[] = {{"picClose", kCloseNormal, kCloseHover, kClosePressed},
                 {"picX", kXActive, kXHover, kXPressed}};
  auto body = [&](int button) { d.MouseMove(A("picMain"), 30, 200, button); };
  for (const auto& b : buttons) {
    SCOPED_TRACE(b.name);
    plat::Control& c = A(b.name);
    struct Step {
      const char* what;
      std::function<void()> act;
      const Piece* face;
    };
    const Step steps[] = {
        {"free move", [&] { d.MouseMove(c, 2, 2); }, &b.hover},
        {"move, held", [&] { d.MouseMove(c, 3, 2, plat::kLeftButton); }, &b.hover},
        {"right down", [&] { d.MouseDown(c, 3, 2, plat::kRightButton); }, &b.pressed},
        {"move, held", [&] { d.MouseMove(c, 4, 2, plat::kRightButton); }, &b.pressed},
        {"body, held", [&] { body(plat::kLeftButton); }, &b.normal},
        {"middle down", [&] { d.MouseDown(c, 3, 2, plat::kMiddleButton); }, &b.pressed},
        {"body", [&] { body(0); }, &b.normal},
    };
    for (const Step& s : steps) {
      SCOPED_TRACE(s.what);
      s.act();
      EXPECT_TRUE(Shows(b.name, *s.face));
    }
  }
  // A press on Close released elsewhere leaves the window open and the face pressed.
  d.MouseDown(A("picClose"), 3, 3);
  d.RunFor(500);
  EXPECT_TRUE(About().Loaded());
  EXPECT_TRUE(Shows("picClose", kClosePressed));
  body(0);
  EXPECT_TRUE(Shows("picClose", kCloseNormal));
}

TEST_F(AboutTest, WhileInactiveTheBodyLeavesTheGlyphGreyAndTheTitleBarLightsIt) {
  Open();
  d.SetForeground(Main().form().Handle());
  d.RunFor(100);
  ASSERT_TRUE(Shows("picX", kXInactive));
  const int repaints = d.RepaintCount(A("picX"));
  d.MouseMove(A("picMain"), 30, 200);
  EXPECT_TRUE(Shows("picX", kXInactive));
  EXPECT_EQ(d.RepaintCount(A("picX")), repaints + 1);
  d.MouseMove(A("picTitlebar"), 60, 5);
  EXPECT_TRUE(Shows("picX", kXActive));
  d.RunFor(100);
  EXPECT_TRUE(Shows("picX", kXInactive));
}

TEST_F(AboutTest, ItsTitleBarDragsIt) {
  Open();
  int pointer_during = -1;
  d.SetHandler(About().Handle(), [&](const headless::SentMessage& m) {
    pointer_during = d.Pointer(About());
    return d.DefWindowProc(m);
  });
  const int releases = d.capture_releases();
  std::size_t mark = d.log().size();
  d.MouseDown(A("picTitlebar"), 60, 5, plat::kRightButton);
  EXPECT_TRUE(
      EventsMatch(d.log().since(mark), {{"SendMessage", {"Form1", "WM_NCLBUTTONDOWN", "2", "0"}}}));
  EXPECT_EQ(pointer_during, plat::kPointerSizeAll);
  EXPECT_EQ(d.capture_releases(), releases + 1);
  EXPECT_EQ(d.Pointer(About()), plat::kPointerDefault);
  mark = d.log().size();
  d.MouseDown(A("picMain"), 30, 30);
  d.MouseDown(A("picX"), 3, 3);
  EXPECT_TRUE(d.log().since(mark).empty());
}

TEST_F(AboutTest, AFailedUnloadFromCloseIsReportedAndHidesTheWindow) {
  for (Op op : {Op::kShowForm, Op::kTimerChanged}) {
    SCOPED_TRACE(static_cast<int>(op));
    Open();
    const std::size_t loads = AboutLoads(), boxes = d.boxes().size();
    d.Fail(op, plat::kErrOutOfMemory);
    d.Click(A("picClose"), 3, 3);
    ASSERT_EQ(d.boxes().size(), boxes + 1);
    EXPECT_NE(d.boxes().back().text.find("Program Spacific Error Code: FA186"), std::string::npos);
    EXPECT_EQ(d.boxes().back().caption, "Error 7");
    EXPECT_TRUE(About().Loaded()) << "hidden, not unloaded";
    EXPECT_FALSE(d.FormVisible(About()));
    EXPECT_FALSE(d.Visible(About().Handle()));
    // Shown again as it was, without a new load.
    d.Click(C("picAbout"), 5, 5);
    EXPECT_TRUE(d.FormVisible(About()));
    EXPECT_EQ(AboutLoads(), loads);
    d.RunFor(100);
    EXPECT_TRUE(Shows("picTitlebar", kTitleActive));
    d.Click(A("picClose"), 3, 3);
    EXPECT_FALSE(About().Loaded());
  }
}

TEST_F(AboutTest, AFailedUnloadFromTheGlyphIsIgnored) {
  Open();
  d.Fail(Op::kShowForm, plat::kErrOutOfMemory);
  d.Click(A("picX"), 3, 3);
  EXPECT_TRUE(d.boxes().empty());
  EXPECT_TRUE(About().Loaded());
  EXPECT_TRUE(d.FormVisible(About()));
}

// ---------------------------------------------------------------- Help

class HelpTest : public ProgramTest {};

TEST_F(HelpTest, HelpOpensHelpChmFromTheProgramFolder) {
  const struct {
    const char* exe;
    const char* help;
  } cases[] = {
      {"C:\\Program Files\\Brivane\\brivane.exe", kHelpFile},
      {"D:\\Utils\\Disk Care\\BRIVANE.EXE", "D:\\Utils\\Disk Care\\Help.chm"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exe);
    app::ResetProgram();
    d.SetExecutablePath(c.exe);
    d.WriteFile(c.help, "ITSF");
    Boot();
    std::size_t mark = d.log().size();
    d.Click(C("picHelp"), 5, 5);
    d.Click(C("picHelp"), 5, 5);  // the viewer is open: asked again, the same way
    EXPECT_TRUE(EventsMatch(d.log().since(mark),
                            {{"HtmlHelp", {c.help, "0", "0"}}, {"HtmlHelp", {c.help, "0", "0"}}}));
    EXPECT_TRUE(d.boxes().empty());
    EXPECT_EQ(d.ClassOf(d.GetForegroundWindow()), "HH Parent");
  }
}

TEST_F(HelpTest, WithoutAViewerTheUserIsToldNoHelpAndTheWindowStaysUsable) {
  const struct {
    const char* what;
    std::function<void()> arrange;
  } cases[] = {
      {"no Help.chm", [] {}},
      {"no help engine",
       [&] {
         d.WriteFile(kHelpFile, "ITSF");
         d.SetHelpEngineMissing(true);
       }},
      {"viewer fails",
       [&] {
         d.WriteFile(kHelpFile, "ITSF");
         d.Fail(Op::kHtmlHelp, 0);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    app::ResetProgram();
    d.RemoveFile(kHelpFile);
    d.SetHelpEngineMissing(false);
    Boot();
    c.arrange();
    const std::size_t boxes = d.boxes().size();
    std::vector<std::string> buttons;
    d.AnswerNextBox(plat::kIdOk, 0, [&] {
      for (plat::WindowId w : d.Children(d.OpenBox())) {
        if (d.ClassOf(w) == "Button") buttons.push_back(d.Caption(w));
      }
    });
    d.Click(C("picHelp"), 5, 5);
    ASSERT_EQ(d.boxes().size(), boxes + 1);
    EXPECT_EQ(d.boxes().back().text, "No Help!");
    EXPECT_EQ(d.boxes().back().caption, "Brivane");
    EXPECT_EQ(d.boxes().back().style, plat::kMbOk);
    EXPECT_EQ(buttons, std::vector<std::string>{"OK"});
    // Still answering: a button lights and Exit asks.
    const int repaints = d.RepaintCount(C("PicExecute"));
    d.MouseMove(C("PicExecute"), 5, 5);
    EXPECT_EQ(d.RepaintCount(C("PicExecute")), repaints + 1);
    d.AnswerNextBox(plat::kIdNo);
    d.Click(C("picExit"), 5, 5);
    EXPECT_EQ(d.boxes().back().caption, "Exit?");
    EXPECT_TRUE(MainLoaded());
    d.ClearFaults();
  }
}

}  // namespace
}  // namespace brivane_test
