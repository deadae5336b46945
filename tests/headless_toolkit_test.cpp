// The toolkit's rules as they play out on the headless desktop where no program
// test pins them down: timers, modal boxes, deferred unloads and value ranges.
#include <gtest/gtest.h>

#include <vector>

#include "platform/errors.h"
#include "platform/headless/testing.h"
#include "platform/platform.h"
#include "platform/toolkit.h"

namespace {

using plat::Kind;

const plat::ControlLayout kControls[] = {
    {.name = "picBox", .kind = Kind::kPictureBox, .width = 1500, .height = 1500},
    {.name = "chk", .kind = Kind::kCheckBox, .left = 1800, .width = 180, .height = 195, .value = 1},
    {.name = "lst", .kind = Kind::kListBox, .left = 2000, .width = 900, .height = 900},
    {.name = "timA", .kind = Kind::kTimer, .interval = 100},
    {.name = "timB", .kind = Kind::kTimer, .interval = 100, .enabled = false},
};
const plat::FormLayout kForm{
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

  plat::Form form{kForm};
};

TEST_F(ToolkitTest, TimersTickEveryIntervalFromTheirStartAndADisabledOneNever) {
  std::vector<std::uint64_t> ticks;
  int b_ticks = 0;
  form["timB"].SetEnabled(true);  // due at 100 like timA, but started after it
  form["timB"].on_timer = [&] { ++b_ticks; };
  form["timA"].on_timer = [&] {
    ticks.push_back(d.Now());
    form["timB"].SetEnabled(false);
  };
  d.RunFor(350);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{100, 200, 300}));
  EXPECT_EQ(b_ticks, 0);
  EXPECT_FALSE(d.TimerDue(form["timB"]));
  form["timA"].SetInterval(1000);  // a new interval starts counting now
  d.RunFor(1000);
  EXPECT_EQ(ticks.back(), 1350u);
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
  d.AnswerNextBox(plat::kIdNo, 500, [&] {
    d.Click(form["picBox"]);
    d.Toggle(form["chk"]);
  });
  EXPECT_EQ(plat::MsgBox("Sure?", plat::kMbYesNo | plat::kMbQuestion), plat::kIdNo);
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(form["chk"].Value(), 1);
  EXPECT_EQ(ticks, 5);
  EXPECT_EQ(d.FindWindow("#32770", nullptr), 0u);
  EXPECT_EQ(d.GetForegroundWindow(), form.Handle());  // back to the form
  EXPECT_TRUE(headless::EventsMatch(d.log().Of("MessageBox"),
                                    {{"MessageBox", {"Brivane", "Sure?", "36"}, 0}}));
  d.Click(form["picBox"]);
  EXPECT_EQ(clicks, 1);
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
}

TEST_F(ToolkitTest, ValuesOutsideTheirRangeAreError380) {
  const struct {
    const char* control;
    int value;
    bool valid;
  } rows[] = {
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
      c.kind() == Kind::kListBox ? c.SetListIndex(rows[i].value) : c.SetValue(rows[i].value);
    } catch (const plat::RuntimeError& e) {
      number = e.number();
    }
    EXPECT_EQ(number, rows[i].valid ? 0 : plat::kErrInvalidProperty);
  }
}

TEST_F(ToolkitTest, CloseRequestUnloadsUnlessHandled) {
  const plat::WindowId top = form.Handle();
  d.SendMessage(top, plat::kWmClose, 0, 0);
  EXPECT_FALSE(form.Loaded());
  EXPECT_FALSE(d.WindowExists(top));
}

}  // namespace
