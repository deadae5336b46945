// Start-up: the splash over the main window's load, failures on the way, and
// the windows' layouts as they are created.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/program.h"
#include "skin_fixture.h"
#include "windows/layouts.h"
#include "windows/splash_window.h"

namespace brivane_test {
namespace {

using headless::Op;

class StartupTest : public ProgramTest {
 protected:
  plat::Form& Splash() { return app::TheProgram().splash->form(); }
  // The first line of each box: the error code, or the whole text of a plain box.
  std::vector<std::string> BoxHeads() {
    std::vector<std::string> out;
    for (const auto& b : d.boxes()) out.push_back(b.text.substr(0, b.text.find("\r\n")));
    return out;
  }
  // Runs `fn` while the main window's picture is being loaded, splash on screen.
  void DuringMainLoad(std::function<void()> fn) {
    d.SetWriteObserver([this, fn](const headless::Event& e) {
      if (e.kind == "WriteFile" && e.args[0] == kTempJpgFull && e.args[1] == "136292") fn();
    });
  }
  bool SplashWindowLeft() { return d.FindWindow("BrivaneForm", "") != 0; }
};

constexpr const char* kMSP218 = "Program Spacific Error Code: MSP218";
constexpr const char* kMRES169 = "Program Spacific Error Code: MRES169";
constexpr const char* kMRES76 = "Program Spacific Error Code: MRES76";

TEST_F(StartupTest, TheSplashShowsTheVersionOverItsPictureWhileTheMainWindowLoads) {
  struct Seen {
    bool splash_shown = false, main_shown = true, splash_in_front = false;
    std::string caption;
    double left = 0, top = 0;
    plat::PixelRect rect;
    bool has_picture = false, picture = false, on_screen = false;
    double picture_left = -1, picture_top = -1;
  };
  std::optional<Seen> seen;
  DuringMainLoad([&] {
    Seen s;
    plat::Form& splash = Splash();
    plat::Control& label = splash["lblVersion"];
    plat::Control& picture = splash["Picture1"];
    s.splash_shown = d.FormVisible(splash);
    s.main_shown = d.FormVisible(Main().form());
    s.splash_in_front = d.GetForegroundWindow() == splash.Handle();
    s.caption = label.Caption();
    s.left = label.Left();
    s.top = label.Top();
    s.rect = label.Rect();
    s.has_picture = picture.HasPicture();
    s.picture = SameImage(picture.Retained(), SheetOf(d, skin::kResourceSplash));
    s.on_screen = SameImage(d.Screen(picture), SheetOf(d, skin::kResourceSplash));
    s.picture_left = picture.Left();
    s.picture_top = picture.Top();
    seen = s;
  });
  Boot();
  ASSERT_TRUE(seen);
  EXPECT_TRUE(seen->splash_shown);
  EXPECT_FALSE(seen->main_shown);
  EXPECT_TRUE(seen->splash_in_front);
  EXPECT_EQ(seen->caption, "Version 1.0.3");
  EXPECT_EQ(seen->left, 4500);  // Picture1 is scaled in twips
  EXPECT_EQ(seen->top, 1800);
  EXPECT_EQ(seen->rect.x, 300);
  EXPECT_EQ(seen->rect.y, 120);
  EXPECT_EQ(seen->rect.width, 127);
  EXPECT_TRUE(seen->has_picture);
  EXPECT_TRUE(seen->picture);
  EXPECT_TRUE(seen->on_screen) << "refreshed before the main window's load";
  EXPECT_EQ(seen->picture_left, 0);
  EXPECT_EQ(seen->picture_top, 0);

  // Afterwards only the main window is left, in front.
  EXPECT_TRUE(d.boxes().empty());
  EXPECT_TRUE(Splash().Unloaded());
  EXPECT_FALSE(SplashWindowLeft());
  EXPECT_TRUE(d.FormVisible(Main().form()));
  EXPECT_EQ(d.GetForegroundWindow(), Main().form().Handle());
  EXPECT_EQ(plat::LoadedForms(), std::vector<plat::Form*>{&Main().form()});
}

TEST_F(StartupTest, TheSplashGoesOnlyOnceTheMainWindowIsShown) {
  // The third show or hide is the splash's hide as it is unloaded; making it fail
  // opens a box at that moment, which tells what is on the screen then.
  d.Fail(Op::kShowForm, plat::kErrOutOfMemory, 1, 2);
  bool main_shown = false;
  d.AnswerNextBox(plat::kIdOk, 0, [&] { main_shown = d.FormVisible(Main().form()); });
  Boot();
  EXPECT_EQ(BoxHeads(), std::vector<std::string>{kMSP218});
  EXPECT_TRUE(main_shown);
  EXPECT_TRUE(d.FormVisible(Main().form()));
}

TEST_F(StartupTest, WithoutItsPictureTheSplashIsDarkRedWithTheVersion) {
  d.RemoveResource("JPG", skin::kResourceSplash);
  bool dark_red = false;
  std::string caption;
  DuringMainLoad([&] {
    dark_red =
        SameImage(Splash()["Picture1"].Retained(), Filled(491, 265, plat::MakePixel(128, 0, 0)));
    caption = Splash()["lblVersion"].Caption();
  });
  Boot();
  EXPECT_TRUE(dark_red);
  EXPECT_EQ(caption, "Version 1.0.3");
  EXPECT_EQ(BoxHeads(), (std::vector<std::string>{kMRES169, kMRES76}));
  EXPECT_TRUE(d.FormVisible(Main().form()));
  EXPECT_TRUE(Splash().Unloaded());
}

struct StartFault {
  const char* what;
  std::function<void(headless::Desktop&)> arrange;
  std::vector<std::string> boxes;
  bool main_loaded, main_shown;
};

TEST_F(StartupTest, AFailingStepIsReportedAndTheNextStepsStillRun) {
  const auto fail = [](Op op, int times, int after) {
    return [=](headless::Desktop& desk) { desk.Fail(op, plat::kErrOutOfMemory, times, after); };
  };
  const StartFault cases[] = {
      {"splash not created", fail(Op::kCreateForm, 1, 0), {kMSP218}, true, true},
      {"splash not shown", fail(Op::kShowForm, 1, 0), {kMSP218}, true, true},
      {"splash not refreshed", fail(Op::kRepaint, 1, 0), {kMSP218}, true, true},
      // Loading, then showing (which loads again) each give a box.
      {"main window not created", fail(Op::kCreateForm, 5, 1), {kMSP218, kMSP218}, false, false},
      {"main window not shown", fail(Op::kShowForm, 1, 1), {kMSP218}, true, false},
      // The load's own failures stay inside the load.
      {"main picture missing",
       [](headless::Desktop& desk) { desk.RemoveResource("JPG", skin::kResourceMain); },
       {kMRES169, kMRES76},
       true,
       true},
  };
  for (const StartFault& c : cases) {
    SCOPED_TRACE(c.what);
    app::ResetProgram();
    const std::size_t before = d.boxes().size();
    c.arrange(d);
    Boot();
    std::vector<std::string> heads = BoxHeads();
    heads.erase(heads.begin(), heads.begin() + static_cast<std::ptrdiff_t>(before));
    EXPECT_EQ(heads, c.boxes);
    EXPECT_EQ(MainLoaded(), c.main_loaded);
    EXPECT_EQ(d.FormVisible(Main().form()), c.main_shown);
    if (c.main_shown) {
      EXPECT_EQ(d.GetForegroundWindow(), Main().form().Handle());
    }
    EXPECT_FALSE(Splash().Loaded());
    EXPECT_FALSE(SplashWindowLeft());
    EXPECT_FALSE(d.process_ended());
    d.ClearFaults();
    d.RunFor(1000);  // whatever is left runs on without further reports
    EXPECT_EQ(d.boxes().size(), before + c.boxes.size());
  }
}

// ---------------------------------------------------------------- layouts

struct Placed {
  const char* name;
  const char* container;  // null: the window
  int x, y, w, h;         // pixels
};

const Placed kMainPlaces[] = {
    {"picAbout", nullptr, 66, 303, 73, 39},        {"picPicture", nullptr, 32, 384, 120, 137},
    {"picMain", nullptr, 0, 21, 427, 327},         {"picTitlebar", nullptr, 0, -1, 427, 22},
    {"picHelp", "picMain", 18, 251, 73, 39},       {"optRestart", "picMain", 216, 227, 121, 17},
    {"optShutdown", "picMain", 216, 203, 137, 17}, {"lstDrive", "picMain", 16, 120, 153, 121},
    {"chkScanDisk", "picMain", 302, 137, 12, 13},  {"chkDefrag", "picMain", 216, 137, 12, 13},
    {"picExit", "picMain", 347, 288, 57, 25},      {"PicExecute", "picMain", 284, 257, 105, 28},
    {"lblDefrag", "picMain", 232, 137, 39, 13},    {"lblScandisk", "picMain", 318, 137, 53, 13},
    {"picClose", "picTitlebar", 404, 5, 13, 12},
};
const Placed kSplashPlaces[] = {
    {"Picture1", nullptr, 0, 0, 491, 265},
    {"lblVersion", "Picture1", 216, 88, 127, 20},
};
const Placed kAboutPlaces[] = {
    {"picTitlebar", nullptr, 1, 0, 265, 21},   {"picMain", nullptr, 0, 21, 265, 300},
    {"picX", "picTitlebar", 244, 4, 13, 12},   {"picPicture", "picMain", 71, 299, 163, 31},
    {"picClose", "picMain", 182, 230, 74, 38}, {"lblVersion", "picMain", 128, 40, 127, 20},
    {"lblName", "picMain", 8, 137, 248, 17},
};

struct WindowPlaces {
  const plat::FormSpec& (*layout)();
  int client_w, client_h;
  std::span<const Placed> places;
};

TEST_F(StartupTest, EveryControlIsCreatedAtItsPixelRectangle) {
  const WindowPlaces windows[] = {
      {windows::MainLayout, 427, 348, kMainPlaces},
      {windows::SplashLayout, 491, 265, kSplashPlaces},
      {windows::AboutLayout, 265, 320, kAboutPlaces},
  };
  for (const WindowPlaces& w : windows) {
    plat::Form form(w.layout());
    SCOPED_TRACE(form.name());
    EXPECT_EQ(form.client_width(), w.client_w);
    EXPECT_EQ(form.client_height(), w.client_h);
    for (const Placed& p : w.places) {
      SCOPED_TRACE(p.name);
      plat::Control& c = form[p.name];
      const plat::PixelRect r = c.Rect();
      EXPECT_EQ(r.x, p.x);
      EXPECT_EQ(r.y, p.y);
      EXPECT_EQ(r.width, p.w);
      EXPECT_EQ(r.height, p.h);
      if (p.container == nullptr) {
        EXPECT_EQ(c.container(), nullptr);
      } else {
        ASSERT_NE(c.container(), nullptr);
        EXPECT_EQ(c.container()->name(), p.container);
      }
    }
  }
}

TEST_F(StartupTest, TheLoadedMainWindowHasItsSizesStackingAndTimers) {
  Boot();
  plat::Form& form = Main().form();
  EXPECT_EQ(form.client_width(), 427);
  EXPECT_EQ(form.client_height(), 348);
  EXPECT_EQ(C("picMain").InnerWidth(), 425);
  EXPECT_EQ(C("picMain").InnerHeight(), 325);
  EXPECT_EQ(C("picTitlebar").InnerWidth(), 425);
  EXPECT_EQ(C("picTitlebar").InnerHeight(), 20);
  // Top-most first: picAbout lies over the body and takes the mouse there.
  auto windows_of = [&](std::initializer_list<const char*> names) {
    std::vector<plat::WindowId> out;
    for (const char* n : names) out.push_back(d.WindowOf(C(n)));
    return out;
  };
  EXPECT_EQ(d.Children(form.Handle()),
            windows_of({"picAbout", "picPicture", "picMain", "picTitlebar"}));
  EXPECT_EQ(d.Children(d.WindowOf(C("picMain"))),
            windows_of({"picHelp", "optRestart", "optShutdown", "lstDrive", "chkScanDisk",
                        "chkDefrag", "picExit", "PicExecute"}));
  EXPECT_EQ(d.Children(d.WindowOf(C("picTitlebar"))), windows_of({"picClose"}));
  // picAbout covers the lower right corner of picHelp, which sits inside the body's border.
  const plat::PixelRect about = C("picAbout").Rect(), body = C("picMain").Rect();
  plat::PixelRect help = C("picHelp").Rect();
  help.x += body.x + 1;
  help.y += body.y + 1;
  const int overlap_w =
      std::min(about.x + about.width, help.x + help.width) - std::max(about.x, help.x);
  const int overlap_h =
      std::min(about.y + about.height, help.y + help.height) - std::max(about.y, help.y);
  EXPECT_EQ(overlap_w, 26);
  EXPECT_EQ(overlap_h, 9);
  // Only the title bar timer runs from the load.
  EXPECT_EQ(d.TimerDue(C("timActive")), d.Now() + 100);
  for (const char* run_timer : {"timClean", "timScanDisk", "timDefrag"}) {
    EXPECT_FALSE(d.TimerDue(C(run_timer))) << run_timer;
  }
  EXPECT_EQ(d.Caption(form.Handle()), "Brivane");
}

}  // namespace
}  // namespace brivane_test
