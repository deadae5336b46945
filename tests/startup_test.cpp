// Start-up: the splash over the main window's load, failures on the way, and
// the windows' layouts as they are created.
#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "windows/layouts.h"
#include "windows/splash_window.h"

namespace brivane_test {
namespace {

using headless::Op;

constexpr const char* kMSP218 = "Program Spacific Error Code: MSP218";

class StartupTest : public ProgramTest {
 protected:
  plat::Form& Splash() { return app::TheProgram().splash->form(); }
  // Runs `fn` while the main window's picture is being loaded, splash on screen.
  void DuringMainLoad(std::function<void()> fn) {
    d.SetWriteObserver([this, fn](const headless::Event& e) {
      if (e.kind == "WriteFile" && e.args[0] == kTempJpgFull && e.args[1] == "136292") fn();
    });
  }
  bool SplashWindowLeft() { return d.FindWindow("BrivaneForm", "") != 0; }
};

TEST_F(StartupTest, TheSplashShowsTheVersionOverItsPictureWhileTheMainWindowLoads) {
  bool seen = false;
  DuringMainLoad([&] {
    seen = true;
    plat::Control& label = Splash()["lblVersion"];
    plat::Control& picture = Splash()["Picture1"];
    EXPECT_TRUE(d.FormVisible(Splash()));
    EXPECT_FALSE(d.FormVisible(Main().form()));
    EXPECT_EQ(d.GetForegroundWindow(), Splash().Handle());
    EXPECT_EQ(label.Caption(), "Version 1.0.3");
    EXPECT_EQ(label.Left(), 4500);  // Picture1 is scaled in twips
    EXPECT_EQ(label.Top(), 1800);
    EXPECT_EQ(label.Rect().x, 300);
    EXPECT_EQ(label.Rect().y, 120);
    EXPECT_EQ(label.Rect().width, 127);
    EXPECT_EQ(picture.Left(), 0);
    EXPECT_EQ(picture.Top(), 0);
    EXPECT_TRUE(SameImage(picture.Retained(), SheetOf(d, skin::kResourceSplash)));
    EXPECT_TRUE(SameImage(d.Screen(picture), SheetOf(d, skin::kResourceSplash)))
        << "refreshed before the main window's load";
  });
  Boot();
  EXPECT_TRUE(seen);
  // Afterwards only the main window is left, in front.
  EXPECT_TRUE(d.boxes().empty());
  EXPECT_TRUE(Splash().Unloaded());
  EXPECT_FALSE(SplashWindowLeft());
  EXPECT_TRUE(d.FormVisible(Main().form()));
  EXPECT_EQ(d.GetForegroundWindow(), MainHandle());
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
  EXPECT_EQ(BoxHeads(), (std::vector<std::string>{"Program Spacific Error Code: MRES169",
                                                  "Program Spacific Error Code: MRES76"}));
  EXPECT_TRUE(d.FormVisible(Main().form()));
}

TEST_F(StartupTest, AFailingStepIsReportedAndTheNextStepsStillRun) {
  const struct {
    const char* what;
    Op op;
    int times, after;
    std::size_t boxes;
    bool main_loaded, main_shown;
  } cases[] = {
      {"splash not created", Op::kCreateForm, 1, 0, 1, true, true},
      {"splash not shown", Op::kShowForm, 1, 0, 1, true, true},
      {"splash not refreshed", Op::kRepaint, 1, 0, 1, true, true},
      // Loading, then showing (which loads again) each give a box.
      {"main window not created", Op::kCreateForm, 5, 1, 2, false, false},
      {"main window not shown", Op::kShowForm, 1, 1, 1, true, false},  // 5
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::size_t before = d.boxes().size();
    d.Fail(c.op, plat::kErrOutOfMemory, c.times, c.after);
    Boot(true);
    const std::vector<std::string> heads = BoxHeads();
    EXPECT_EQ(
        std::vector<std::string>(heads.begin() + static_cast<std::ptrdiff_t>(before), heads.end()),
        std::vector<std::string>(c.boxes, kMSP218));
    EXPECT_EQ(MainLoaded(), c.main_loaded);
    EXPECT_EQ(d.FormVisible(Main().form()), c.main_shown);
    if (c.main_shown) {
      EXPECT_EQ(d.GetForegroundWindow(), MainHandle());
    }
    EXPECT_FALSE(Splash().Loaded());
    EXPECT_FALSE(SplashWindowLeft());
    EXPECT_FALSE(d.process_ended());
    d.ClearFaults();
    d.RunFor(1000);  // whatever is left runs on without further reports
    EXPECT_EQ(d.boxes().size(), before + c.boxes);
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

TEST_F(StartupTest, EveryControlIsCreatedAtItsPixelRectangle) {
  const struct {
    const plat::FormLayout& (*layout)();
    int client_w, client_h;
    std::span<const Placed> places;
  } layouts[] = {
      {windows::MainLayout, 427, 348, kMainPlaces},
      {windows::SplashLayout, 491, 265, kSplashPlaces},
      {windows::AboutLayout, 265, 320, kAboutPlaces},
  };
  for (const auto& w : layouts) {
    plat::Form form(w.layout());
    SCOPED_TRACE(form.name());
    EXPECT_EQ(form.client_width(), w.client_w);
    EXPECT_EQ(form.client_height(), w.client_h);
    for (const Placed& p : w.places) {
      SCOPED_TRACE(p.name);
      plat::Control& c = form[p.name];
      const plat::PixelRect r = c.Rect();
      EXPECT_EQ((std::vector<int>{r.x, r.y, r.width, r.height}),
                (std::vector<int>{p.x, p.y, p.w, p.h}));
      EXPECT_EQ(c.container() ? c.container()->name() : "", p.container ? p.container : "");
    }
  }
  // The about window's owner line is centred in yellow.
  plat::Form about(windows::AboutLayout());
  EXPECT_EQ(about["lblName"].layout().align, plat::Align::kCenter);
  EXPECT_EQ(about["lblName"].ForeColor(), plat::Rgb(255, 255, 0));
}

TEST_F(StartupTest, TheLoadedMainWindowHasItsStackingAndTimers) {
  Boot();
  plat::Form& form = Main().form();
  EXPECT_EQ(d.Caption(form.Handle()), "Brivane");
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
  // Only the title bar timer runs from the load.
  EXPECT_EQ(d.TimerDue(C("timActive")), d.Now() + 100);
  for (const char* run_timer : {"timClean", "timScanDisk", "timDefrag"}) {
    EXPECT_FALSE(d.TimerDue(C(run_timer))) << run_timer;
  }
}

}  // namespace
}  // namespace brivane_test
