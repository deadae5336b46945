// The about window opened from the main window, and the Help button.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "windows/about_window.h"

namespace brivane_test {
namespace {

using headless::EventsMatch;
using headless::Op;
using skin::Piece;

// The about sheet's pieces.
constexpr Piece kTitleActive{0, 0, 265, 22};
constexpr Piece kCloseNormal{0, 351, 74, 38};
constexpr Piece kClosePressed{151, 351, 74, 38};
constexpr Piece kXActive{100, 437, 14, 14};
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
  ::testing::AssertionResult Shows(const char* surface, const Piece& piece, bool held = false) {
    return brivane_test::Shows(d, A(surface), SheetOf(d, skin::kResourceAbout), piece, held);
  }
  std::size_t AboutLoads() {
    std::size_t n = 0;
    for (const headless::Event& e : d.log().Of("WriteFile")) n += e.args[1] == "81452";
    return n;
  }
};

TEST_F(AboutTest, OpeningShowsTheVersionAndOwnerInFront) {
  Open();
  ASSERT_TRUE(About().Loaded());
  EXPECT_TRUE(d.FormVisible(About()));
  EXPECT_EQ(d.GetForegroundWindow(), About().Handle());
  EXPECT_TRUE(d.boxes().empty());
  plat::Control& version = A("lblVersion");
  EXPECT_EQ(version.Caption(), "Version 1.0.3");
  EXPECT_EQ(version.Left(), 160);  // picMain is scaled in pixels
  EXPECT_EQ(version.Rect().y, 55);
  EXPECT_EQ(A("lblName").Caption(), "Ada Lovelace");
  EXPECT_EQ(d.registry().OpenHandles(), 0);
}

TEST_F(AboutTest, TheOwnerLineShowsOnlyATextValueAndNeverAnError) {
  const plat::RegKey hklm = plat::kHkeyLocalMachine;
  const auto put = [&](headless::RegValue v) {
    return [&, v] { d.registry().Put(hklm, kOwnerKey, "RegisteredOwner", v); };
  };
  const struct {
    std::function<void()> put;
    std::string shown;
  } cases[] = {
      {[&] { d.RegPutString(hklm, kOwnerKey, "RegisteredOwner", "Grace Hopper"); }, "Grace Hopper"},
      {[&] { d.RegPutString(hklm, kOwnerKey, "RegisteredOwner", ""); }, ""},
      {[&] {
         d.RegPutString(hklm, kOwnerKey, "RegisteredOwner", {"Ann\0Other", 9}, false);
       },
       "Ann"},  // no terminator, a NUL inside
      {[] {}, ""},
      {put({plat::kRegBinary, {'B', 'o', 'b', 0}}), ""},  // 5
      {put({plat::kRegDword, {1, 0, 0, 0}}), ""},
      {[&] { d.RegPutString(hklm, kOwnerKey, "RegisteredOrganization", "Acme"); }, ""},
  };
  Boot();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    d.registry().DeleteKey(hklm, kOwnerKey);
    cases[i].put();
    d.Click(C("picAbout"), 5, 5);
    EXPECT_EQ(A("lblName").Caption(), cases[i].shown);
    EXPECT_TRUE(d.boxes().empty());
    EXPECT_EQ(d.registry().OpenHandles(), 0);
    d.Click(A("picClose"), 5, 5);
    ASSERT_FALSE(About().Loaded());
  }
}

TEST_F(AboutTest, CloseAndTheCloseGlyphUnloadIt) {
  for (const char* button : {"picClose", "picX"}) {
    SCOPED_TRACE(button);
    Open();
    const plat::WindowId window = About().Handle();
    d.Click(A(button), 3, 3);
    EXPECT_FALSE(About().Loaded());
    EXPECT_FALSE(d.WindowExists(window));
    EXPECT_FALSE(d.TimerDue(A("timActive")));
    EXPECT_EQ(d.GetForegroundWindow(), MainHandle());
    EXPECT_TRUE(d.boxes().empty());
  }
  // The next click loads a fresh window.
  Open();
  EXPECT_EQ(AboutLoads(), 3u);
  EXPECT_TRUE(Shows("picClose", kCloseNormal, true));
}

TEST_F(AboutTest, APressOnCloseReleasedElsewhereLeavesItOpenAndPressed) {
  Open();
  d.MouseDown(A("picClose"), 3, 3);
  d.RunFor(500);
  EXPECT_TRUE(About().Loaded());
  EXPECT_TRUE(Shows("picClose", kClosePressed));
}

TEST_F(AboutTest, WhileInactiveTheBodyLeavesTheGlyphGreyAndTheTitleBarLightsIt) {
  Open();
  d.SetForeground(MainHandle());
  d.RunFor(100);
  const int repaints = d.RepaintCount(A("picX"));
  d.MouseMove(A("picMain"), 30, 200);
  EXPECT_TRUE(Shows("picX", kXInactive));
  EXPECT_EQ(d.RepaintCount(A("picX")), repaints + 1);
  d.MouseMove(A("picTitlebar"), 60, 5);
  EXPECT_TRUE(Shows("picX", kXActive));
  d.RunFor(100);
  EXPECT_TRUE(Shows("picX", kXInactive));
}

TEST_F(AboutTest, AFailingStepOfTheLoadIsReportedAndTheNextStepsRun) {
  Boot();
  d.Fail(Op::kControlChanged, plat::kErrOutOfMemory);  // the version label's move
  d.Click(C("picAbout"), 5, 5);
  EXPECT_EQ(BoxHeads(), std::vector<std::string>{"Program Spacific Error Code: FA146"});
  EXPECT_TRUE(Reported("FA146", 7));
  EXPECT_EQ(A("lblVersion").Caption(), "Version 1.0.3");
  EXPECT_EQ(A("lblName").Caption(), "Ada Lovelace");
  EXPECT_TRUE(Shows("picClose", kCloseNormal, true));
  EXPECT_TRUE(d.FormVisible(About()));
}

TEST_F(AboutTest, AFailedUnloadFromCloseIsReportedAndHidesTheWindow) {
  for (Op op : {Op::kShowForm, Op::kTimerChanged}) {
    SCOPED_TRACE(static_cast<int>(op));
    Open();
    const std::size_t loads = AboutLoads(), boxes = d.boxes().size();
    d.Fail(op, plat::kErrOutOfMemory);
    d.Click(A("picClose"), 3, 3);
    ASSERT_EQ(d.boxes().size(), boxes + 1);
    EXPECT_TRUE(Reported("FA186", 7));
    EXPECT_TRUE(About().Loaded()) << "hidden, not unloaded";
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
  // From the glyph the failure is ignored.
  Open();
  d.Fail(Op::kShowForm, plat::kErrOutOfMemory);
  const std::size_t boxes = d.boxes().size();
  d.Click(A("picX"), 3, 3);
  EXPECT_EQ(d.boxes().size(), boxes);
  EXPECT_TRUE(d.FormVisible(About()));
}

// ---------------------------------------------------------------- Help

using HelpTest = ProgramTest;

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
    d.SetExecutablePath(c.exe);
    d.WriteFile(c.help, "ITSF");
    Boot(true);
    std::size_t mark = d.log().size();
    d.Click(C("picHelp"), 5, 5);
    d.Click(C("picHelp"), 5, 5);  // the viewer is open: asked again, the same way
    EXPECT_TRUE(EventsMatch(d.log().since(mark),
                            {{"HtmlHelp", {c.help, "0", "0"}}, {"HtmlHelp", {c.help, "0", "0"}}}));
    EXPECT_TRUE(d.boxes().empty());
    EXPECT_EQ(d.ClassOf(d.GetForegroundWindow()), "HH Parent");
    EXPECT_TRUE(d.IsOwnWindow(d.GetForegroundWindow()));
  }
}

TEST_F(HelpTest, WithoutAViewerTheUserIsToldNoHelpAndTheWindowStaysUsable) {
  const std::function<void()> cases[] = {
      [] {},  // no Help.chm
      [&] {
        d.WriteFile(kHelpFile, "ITSF");
        d.SetHelpEngineMissing(true);
      },
      [&] {
        d.WriteFile(kHelpFile, "ITSF");
        d.Fail(Op::kHtmlHelp, 0);
      },
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    d.RemoveFile(kHelpFile);
    d.SetHelpEngineMissing(false);
    Boot(true);
    cases[i]();
    const std::size_t boxes = d.boxes().size();
    d.Click(C("picHelp"), 5, 5);
    ASSERT_EQ(d.boxes().size(), boxes + 1);
    EXPECT_EQ(d.boxes().back().text, "No Help!");
    EXPECT_EQ(d.boxes().back().caption, "Brivane");
    EXPECT_EQ(d.boxes().back().style, plat::kMbOk);
    // Still answering: a button lights and Exit asks.
    const int repaints = d.RepaintCount(C("PicExecute"));
    d.MouseMove(C("PicExecute"), 5, 5);
    EXPECT_EQ(d.RepaintCount(C("PicExecute")), repaints + 1);
    d.AnswerNextBox(plat::kIdNo);
    d.Click(C("picExit"), 5, 5);
    EXPECT_EQ(d.boxes().back().caption, "Exit?");
    d.ClearFaults();
  }
}

}  // namespace
}  // namespace brivane_test
