#include "platform/headless/message_boxes.h"

#include <algorithm>
#include <utility>

namespace headless {
namespace {

struct BoxButton {
  const char* caption;
  int id;
};

std::vector<BoxButton> ButtonsOf(int style) {
  switch (style & 0xF) {
    case plat::kMbOkCancel:
      return {{"OK", plat::kIdOk}, {"Cancel", plat::kIdCancel}};
    case 2:
      return {{"&Abort", 3}, {"&Retry", 4}, {"&Ignore", 5}};
    case 3:
      return {{"&Yes", plat::kIdYes}, {"&No", plat::kIdNo}, {"Cancel", plat::kIdCancel}};
    case plat::kMbYesNo:
      return {{"&Yes", plat::kIdYes}, {"&No", plat::kIdNo}};
    case 5:
      return {{"&Retry", 4}, {"Cancel", plat::kIdCancel}};
    default:
      return {{"OK", plat::kIdOk}};
  }
}

// Runs a clean-up when the scope is left, also by an exception.
template <typename F>
class Finally {
 public:
  explicit Finally(F f) : f_(std::move(f)) {}
  ~Finally() { f_(); }
  Finally(const Finally&) = delete;
  Finally& operator=(const Finally&) = delete;

 private:
  F f_;
};

}  // namespace

void MessageBoxes::AnswerNextBox(int answer, std::uint32_t after_ms,
                                 std::function<void()> while_open) {
  script_.push_back({answer, after_ms, std::move(while_open)});
}

int MessageBoxes::Ask(const std::string& text, const std::string& caption, int style) {
  journal_.Record("MessageBox", {caption, text, std::to_string(style)});
  const std::vector<BoxButton> buttons = ButtonsOf(style);

  BoxAnswer script;
  if (!script_.empty()) {
    script = std::move(script_.front());
    script_.pop_front();
  } else if (unscripted_ == UnscriptedBoxes::kFail) {
    journal_.ScriptFailed("unscripted message box \"" + caption + "\": " + text);
  } else {
    script.answer = buttons.front().id;
  }
  if (std::none_of(buttons.begin(), buttons.end(),
                   [&](const BoxButton& b) { return b.id == script.answer; })) {
    journal_.ScriptFailed("answer " + std::to_string(script.answer) + " is no button of box \"" +
                          caption + "\" (style " + std::to_string(style) + ")");
  }

  const WindowId previous = windows_.Foreground();
  WindowOptions o;
  o.process = 0;
  o.activate = true;
  const WindowId box = windows_.CreateWindow("#32770", caption, o);
  windows_.KeepOpenOnClose(box);
  WindowOptions co;
  co.parent = box;
  co.process = 0;
  windows_.CreateWindow("Static", text, co);
  for (const BoxButton& b : buttons) windows_.CreateWindow("Button", b.caption, co);
  open_.push_back(box);
  const std::size_t record = boxes_.size();
  boxes_.push_back({clock_.Now(), caption, text, style, script.answer});
  Finally close([this, box, previous] {
    std::erase(open_, box);
    windows_.DestroyWindow(box);
    if (windows_.WindowExists(previous) && windows_.Visible(previous)) {
      windows_.SetForeground(previous);
    }
  });

  clock_.Paint();
  if (script.while_open) script.while_open();
  if (script.after_ms > 0) clock_.RunFor(script.after_ms);  // a modal loop: timers keep ticking
  return boxes_[record].answer;
}

}  // namespace headless
