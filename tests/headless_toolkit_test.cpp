// The toolkit's rules as they play out on the headless desktop: timers, modal
// boxes, deferred unloads, control values, scales, and what the screen shows.
#include <gtest/gtest.h>

#include <vector>

#include "platform/errors.h"
#include "platform/headless/testing.h"
#include "platform/platform.h"
#include "platform/toolkit.h"

namespace {

using plat::Kind;
using plat::Scale;

const plat::ControlSpec kControls[] = {
    {.name = "picBox",
     .kind = Kind::kPictureBox,
     .left = 150,
     .top = 150,
     .width = 1500,
     .height = 1500,
     .scale = Scale::kPixels,
     .back = plat::Rgb(128, 0, 0)},
    {.name = "picInner",
     .kind = Kind::kPictureBox,
     .container = "picBox",
     .left = 150,
     .top = 300,
     .width = 300,
     .height = 300},
    {.name = "chk",
     .kind = Kind::kCheckBox,
     .left = 1800,
     .width = 180,
     .height = 195,
     .caption = "&Check",
     .value = 1},
    {.name = "opt1",
     .kind = Kind::kOptionButton,
     .container = "picBox",
     .caption = "&One",
     .value = 1},
    {.name = "opt2", .kind = Kind::kOptionButton, .container = "picBox", .caption = "&Two"},
    {.name = "opt3", .kind = Kind::kOptionButton, .caption = "T&hree", .value = 1},
    {.name = "lst", .kind = Kind::kListBox, .left = 2000, .width = 900, .height = 900},
    {.name = "lbl",
     .kind = Kind::kLabel,
     .container = "picBox",
     .left = 450,
     .top = 600,
     .width = 600,
     .height = 195,
     .caption = "&Label"},
    {.name = "timA", .kind = Kind::kTimer, .interval = 100},
    {.name = "timB", .kind = Kind::kTimer, .interval = 100, .enabled = false},
};
const plat::FormSpec kForm{
    .name = "frmTest", .caption = "Test", .width = 3000, .height = 2000, .controls = kControls};

class ToolkitTest : public headless::DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    form.Show();
  }
  void TearDown() override {
    form.Unload();
    DesktopTest::TearDown();
  }
  plat::Control& operator()(const char* name) { return form[name]; }

  plat::Form form{kForm};
};

TEST_F(ToolkitTest, TimerTicksEveryIntervalFromItsStart) {
  std::vector<std::uint64_t> ticks;
  form["timA"].on_timer = [&] { ticks.push_back(d.Now()); };
  d.RunFor(350);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{100, 200, 300}));
  form["timA"].SetInterval(1000);  // a new interval starts counting now
  d.RunFor(1000);
  EXPECT_EQ(ticks.back(), 1350u);
}

TEST_F(ToolkitTest, DisabledTimerNeverTicksEvenWhenDue) {
  int b_ticks = 0;
  form["timB"].SetEnabled(true);  // due at 100 like timA, but started after it
  form["timB"].on_timer = [&] { ++b_ticks; };
  form["timA"].on_timer = [&] { form["timB"].SetEnabled(false); };
  d.RunFor(1000);
  EXPECT_EQ(b_ticks, 0);
  EXPECT_FALSE(d.TimerDue(form["timB"]));
}

TEST_F(ToolkitTest, TimerDueDuringABlockingCallTicksOnceAfterwards) {
  std::vector<std::uint64_t> ticks;
  form["timA"].on_timer = [&] {
    ticks.push_back(d.Now());
    if (ticks.size() == 1) plat::Sys().Sleep(1000);
  };
  d.RunFor(1250);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{100, 1100, 1200}));
}

TEST_F(ToolkitTest, NoTickNestsInItselfButOtherTimersTickInsideDoEvents) {
  int a_ticks = 0, b_ticks = 0, b_nested = 0;
  form["timB"].SetEnabled(true);
  form["timB"].on_timer = [&] {
    ++b_ticks;
    if (plat::Dispatch::depth() > 1) ++b_nested;
  };
  form["timA"].on_timer = [&] {
    ++a_ticks;
    plat::Sys().Sleep(500);
    plat::DoEvents();  // timA itself is due again, and must not re-enter
    EXPECT_EQ(a_ticks, 1);
  };
  d.RunFor(100);
  EXPECT_EQ(a_ticks, 1);
  EXPECT_EQ(b_nested, 1);
  EXPECT_EQ(b_ticks, 1);
}

TEST_F(ToolkitTest, UnloadInsideAHandlerDestroysTheWindowAfterIt) {
  const plat::WindowId handle = form.Handle();
  bool alive_inside = false;
  form["chk"].on_click = [&] {
    form.Unload();
    alive_inside = d.WindowExists(handle);
    form["chk"].SetValue(0);  // ignored: the form is unloaded
  };
  ASSERT_TRUE(d.Click(form["chk"]));
  EXPECT_TRUE(alive_inside);
  EXPECT_FALSE(d.WindowExists(handle));
  EXPECT_TRUE(form.Unloaded());
  EXPECT_EQ(form["chk"].Value(), 1);
  EXPECT_FALSE(d.TimerDue(form["timA"]));
}

TEST_F(ToolkitTest, MessageBoxBlocksInputWhileTimersTick) {
  int clicks = 0, ticks = 0;
  form["picBox"].on_click = [&] { ++clicks; };
  form["timA"].on_timer = [&] { ++ticks; };
  plat::WindowId box = 0;
  d.AnswerNextBox(plat::kIdNo, 500, [&] {
    box = d.OpenBox();
    d.Click(form["picBox"]);
    d.Toggle(form["chk"]);
  });
  EXPECT_EQ(plat::MsgBox("Sure?", plat::kMbYesNo | plat::kMbQuestion), plat::kIdNo);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(form["chk"].Value(), 1);
  EXPECT_EQ(ticks, 5);
  EXPECT_FALSE(d.WindowExists(box));
  EXPECT_EQ(d.GetForegroundWindow(), form.Handle());  // back to the form
  EXPECT_TRUE(headless::EventsMatch(d.log().Of("MessageBox"),
                                    {{"MessageBox", {"Brivane", "Sure?", "36"}, 0}}));
  d.Click(form["picBox"]);
  EXPECT_EQ(clicks, 1);
}

TEST_F(ToolkitTest, OpenMessageBoxIsAnOwnForegroundDialog) {
  d.AnswerNextBox(plat::kIdOk, 0, [&] {
    plat::WindowId box = d.FindWindow("#32770", "Brivane");
    ASSERT_NE(box, 0u);
    EXPECT_EQ(d.GetForegroundWindow(), box);
    EXPECT_TRUE(d.IsOwnWindow(box));
    EXPECT_NE(d.FindChild(box, "OK"), 0u);
    EXPECT_NE(d.FindChild(box, "Text"), 0u);
  });
  plat::MsgBox("Text");
  EXPECT_EQ(d.PendingBoxAnswers(), 0u);
}

TEST(HeadlessBoxes, UnscriptedBoxesAnswerTheFirstButtonOrFail) {
  headless::Desktop d;
  d.Install();
  EXPECT_EQ(plat::MsgBox("a", plat::kMbYesNo), plat::kIdYes);
  EXPECT_EQ(plat::MsgBox("b", plat::kMbOkCancel), plat::kIdOk);
  d.AnswerNextBox(plat::kIdYes);  // not a button of an OK box
  EXPECT_THROW(plat::MsgBox("c"), headless::ScriptError);
  d.SetUnscriptedBoxes(headless::UnscriptedBoxes::kFail);
  EXPECT_THROW(plat::MsgBox("d"), headless::ScriptError);
  EXPECT_EQ(d.script_errors().size(), 2u);
  EXPECT_EQ(d.FindWindow("#32770", nullptr), 0u);
}

TEST_F(ToolkitTest, OptionButtonsAreExclusiveWithinTheirContainer) {
  ASSERT_TRUE(d.Toggle(form["opt2"]));
  EXPECT_EQ(form["opt1"].Value(), plat::kFalse);
  EXPECT_EQ(form["opt2"].Value(), plat::kTrue);
  EXPECT_EQ(form["opt3"].Value(), plat::kTrue);  // another container, another group
}

TEST_F(ToolkitTest, ValuesOutsideTheirRangeAreError380) {
  struct Row {
    const char* control;
    int value;
    bool valid;
  };
  const Row rows[] = {
      {"chk", -1, false}, {"chk", 0, true},  {"chk", 1, true},
      {"chk", 2, true},   {"chk", 3, false},  // 5
      {"lst", -2, false}, {"lst", -1, true}, {"lst", 0, true},
      {"lst", 1, true},   {"lst", 2, false},
  };
  form["lst"].AddItem("C:\\");
  form["lst"].AddItem("D:\\");
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    plat::Control& c = form[rows[i].control];
    int number = 0;
    try {
      if (c.kind() == Kind::kListBox) {
        c.SetListIndex(rows[i].value);
      } else {
        c.SetValue(rows[i].value);
      }
    } catch (const plat::RuntimeError& e) {
      number = e.number();
    }
    EXPECT_EQ(number, rows[i].valid ? 0 : plat::kErrInvalidProperty);
  }
}

TEST_F(ToolkitTest, ContainerScaleSetsUnitsOfPositionsAndMouse) {
  plat::Control& inner = form["picInner"];  // twips-scaled, inside a pixel-scaled box
  EXPECT_DOUBLE_EQ(inner.Left(), 10);
  EXPECT_DOUBLE_EQ(inner.Top(), 20);
  EXPECT_DOUBLE_EQ(form["picBox"].Left(), 150);
  double ix = 0, iy = 0, bx = 0, by = 0;
  inner.on_mouse_down = [&](int, int, double x, double y) { ix = x, iy = y; };
  form["picBox"].on_mouse_down = [&](int, int, double x, double y) { bx = x, by = y; };
  d.MouseDown(inner, 2, 3);
  d.MouseDown(form["picBox"], 2, 3);
  EXPECT_EQ(ix, 30);
  EXPECT_EQ(iy, 45);
  EXPECT_EQ(bx, 2);
  EXPECT_EQ(by, 3);
}

TEST_F(ToolkitTest, ClickOnALabelGoesToTheLabel) {
  int label_clicks = 0, box_clicks = 0;
  form["lbl"].on_click = [&] { ++label_clicks; };
  form["picBox"].on_click = [&] { ++box_clicks; };
  EXPECT_EQ(d.ClickAt(form, &form["picBox"], 31, 41), &form["lbl"]);
  EXPECT_EQ(d.ClickAt(form, &form["picBox"], 5, 5), nullptr);
  EXPECT_EQ(label_clicks, 1);
  EXPECT_EQ(box_clicks, 1);
}

TEST_F(ToolkitTest, FormIsATopLevelWindowWithItsWindowedControls) {
  const plat::WindowId top = form.Handle();
  EXPECT_EQ(d.ClassOf(top), "BrivaneForm");
  EXPECT_EQ(d.Caption(top), "Test");
  EXPECT_EQ(d.GetForegroundWindow(), top);
  EXPECT_EQ(d.TopLevelWindows().front(), top);
  std::vector<std::string> seen;
  d.EnumChildWindows(top, [&](plat::WindowId w) {
    seen.push_back(d.ClassOf(w) + ":" + d.Caption(w));
    return true;
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"BrivanePicture:", "BrivanePicture:", "Button:&One",
                                            "Button:&Two", "Button:&Check", "Button:T&hree",
                                            "ListBox:"}));
  EXPECT_EQ(d.Parent(d.WindowOf(form["picInner"])), d.WindowOf(form["picBox"]));
  EXPECT_TRUE(d.IsOwnWindow(d.WindowOf(form["lst"])));
  EXPECT_EQ(d.WindowOf(form["lbl"]), 0u);
  form["opt1"].SetCaption("&Uno");
  EXPECT_EQ(d.Caption(d.WindowOf(form["opt1"])), "&Uno");
  form.Hide();
  EXPECT_FALSE(d.Visible(top));
  EXPECT_NE(d.GetForegroundWindow(), top);
}

TEST_F(ToolkitTest, ScreenShowsTheRetainedImageAfterRefreshOrExposure) {
  plat::Control& box = form["picBox"];
  d.DoEvents();  // the form was shown: its boxes paint from their retained images
  ASSERT_EQ(d.Screen(box).width, box.InnerWidth());
  EXPECT_EQ(d.Screen(box).at(0, 0), plat::MakePixel(128, 0, 0));
  EXPECT_EQ(d.RepaintCount(box), 0);
  box.Retained().pixels[0] = plat::MakePixel(1, 2, 3);
  EXPECT_EQ(d.Screen(box).at(0, 0), plat::MakePixel(128, 0, 0));  // not yet on screen
  box.Refresh();
  EXPECT_EQ(d.Screen(box).at(0, 0), plat::MakePixel(1, 2, 3));
  EXPECT_EQ(d.RepaintCount(box), 1);
}

TEST_F(ToolkitTest, TextMetricIsDeterministic) {
  int w = 0, h = 0;
  d.MeasureText({.points = 8.25, .bold = true}, "&Defrag", &w, &h);
  EXPECT_EQ(w, 42);
  EXPECT_EQ(h, 13);
  d.MeasureText({.points = 8.25}, "a&&b", &w, &h);
  EXPECT_EQ(w, 18);
}

TEST_F(ToolkitTest, CloseRequestUnloadsUnlessHandled) {
  const plat::WindowId top = form.Handle();
  d.SendMessage(top, plat::kWmClose, 0, 0);
  EXPECT_FALSE(form.Loaded());
  EXPECT_FALSE(d.WindowExists(top));
}

TEST_F(ToolkitTest, EndProcessThrowsProcessEnded) {
  EXPECT_THROW(d.EndProcess(), headless::ProcessEnded);
  EXPECT_TRUE(d.process_ended());
}

}  // namespace
