// The program's message boxes: each one is logged, shown as an own "#32770"
// top-level window with the box's caption (foreground while open, with a
// "Static" child holding the text and one "Button" child per button), and
// answered by the next entry of a queue the test fills (AnswerNextBox). An entry
// may run a callback while the box is open and let virtual time pass with timers
// ticking, as a real modal loop does. A box with nothing queued answers its first
// button (OK or Yes) unless SetUnscriptedBoxes(kFail) is set; that, and an answer
// that is not one of the box's buttons, is a ScriptError.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/headless/clock.h"
#include "platform/headless/journal.h"
#include "platform/headless/window_table.h"
#include "platform/toolkit.h"

namespace headless {

enum class UnscriptedBoxes { kAnswerFirstButton, kFail };

// One entry of the message box script.
struct BoxAnswer {
  int answer = plat::kIdOk;
  std::uint32_t after_ms = 0;             // virtual time the box stays open, timers ticking
  std::function<void()> while_open = {};  // runs first, while the box is open
};

// A message box as it was shown.
struct BoxRecord {
  std::uint64_t time = 0;
  std::string caption, text;
  int style = 0;
  int answer = 0;
};

class MessageBoxes {
 public:
  MessageBoxes(WindowTable& windows, Clock& clock, Journal& journal)
      : windows_(windows), clock_(clock), journal_(journal) {}

  void AnswerNextBox(int answer, std::uint32_t after_ms = 0, std::function<void()> while_open = {});
  void AnswerNextBox(BoxAnswer answer) { script_.push_back(std::move(answer)); }
  void SetUnscriptedBoxes(UnscriptedBoxes policy) { unscripted_ = policy; }
  std::size_t PendingBoxAnswers() const { return script_.size(); }
  const std::vector<BoxRecord>& boxes() const { return boxes_; }
  // The box open now (innermost), 0 when none.
  WindowId OpenBox() const { return open_.empty() ? 0 : open_.back(); }

  // ---- for the desktop's own parts
  // MessageBoxA: shows the box until its scripted answer, which it returns.
  int Ask(const std::string& text, const std::string& caption, int style);
  void PowerOff() { open_.clear(); }

 private:
  WindowTable& windows_;
  Clock& clock_;
  Journal& journal_;
  std::deque<BoxAnswer> script_;
  UnscriptedBoxes unscripted_ = UnscriptedBoxes::kAnswerFirstButton;
  std::vector<BoxRecord> boxes_;
  std::vector<WindowId> open_;
};

}  // namespace headless
