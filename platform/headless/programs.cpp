#include "platform/headless/programs.h"

#include <utility>

#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/platform.h"

namespace headless {

// ================================================================ SimProcess

WindowId SimProcess::CreateWindow(const std::string& class_name, const std::string& caption) {
  WindowOptions o;
  o.process = id;
  o.visible = show_state != 0;
  o.activate = show_state == plat::kShowNormalFocus;
  return programs.windows_.CreateWindow(class_name, caption, o);
}

WindowId SimProcess::CreateDialog(const std::string& caption, std::vector<std::string> buttons,
                                  std::function<void(const std::string&)> on_press) {
  return programs.windows_.CreateDialog(caption, buttons, id, std::move(on_press));
}

WindowId SimProcess::CreateDialogWithIds(const std::string& caption,
                                         const std::vector<std::pair<std::string, int>>& buttons,
                                         std::function<void(const std::string& pressed)> on_press) {
  std::vector<std::string> captions;
  for (const auto& b : buttons) captions.push_back(b.first);
  WindowTable& windows = programs.windows_;
  const WindowId dialog = windows.CreateDialog(caption, captions, id, std::move(on_press));
  for (const auto& b : buttons) windows.SetControlId(windows.FindChild(dialog, b.first), b.second);
  return dialog;
}

void SimProcess::After(std::uint32_t ms, std::function<void()> fn) {
  Programs* p = &programs;
  ProcessId pid = id;
  programs.clock_.After(ms, [p, pid, fn = std::move(fn)] {
    if (!p->HasEnded(pid)) fn();  // an ended process does nothing more
  });
}

void SimProcess::End() {
  programs.EndProgram(id);
}

bool SimProcess::ended() const {
  return programs.HasEnded(id);
}

// ================================================================ Programs

void Programs::AddProgram(const std::string& prefix, std::function<void(SimProcess&)> behaviour) {
  std::string p = plat::LowerAscii(prefix);
  AddProgram([p](const std::string& cmd) { return plat::LowerAscii(cmd).rfind(p, 0) == 0; },
             std::move(behaviour));
}

void Programs::AddProgram(std::function<bool(const std::string&)> matches,
                          std::function<void(SimProcess&)> behaviour) {
  rules_.push_back({std::move(matches), std::move(behaviour)});
}

SimProcess* Programs::Process(ProcessId id) {
  auto it = processes_.find(id);
  return it == processes_.end() ? nullptr : it->second.get();
}

bool Programs::HasEnded(ProcessId id) const {
  auto it = ended_.find(id);
  return it == ended_.end() || it->second;
}

void Programs::EndProgram(ProcessId id) {
  auto it = ended_.find(id);
  if (it == ended_.end() || it->second) return;
  it->second = true;
  std::vector<WindowId> tops;
  for (WindowId w : windows_.TopLevelWindows()) {
    if (windows_.ProcessOf(w) == id) tops.push_back(w);
  }
  for (WindowId w : tops) windows_.DestroyWindow(w);
}

ProcessId Programs::Start(const std::string& command_line, int show_state) {
  if (command_line.find_first_not_of(' ') == std::string::npos) plat::Raise(plat::kErrInvalidCall);
  const Rule* rule = nullptr;
  for (const Rule& r : rules_) {
    if (r.matches(command_line)) {
      rule = &r;
      break;
    }
  }
  if (rule == nullptr) {
    journal_.Record("StartFailed", {command_line, std::to_string(show_state)});
    plat::Raise(plat::kErrFileNotFound);
  }
  ProcessId pid = next_process_;
  next_process_ += 0x34;
  processes_[pid] = std::make_unique<SimProcess>(SimProcess{*this, pid, command_line, show_state});
  ended_[pid] = false;
  order_.push_back(pid);
  // The program comes to life once time passes: the start is asynchronous.
  std::function<void(SimProcess&)> behaviour = rule->behaviour;
  clock_.After(0, [this, pid, behaviour] {
    SimProcess* p = Process(pid);
    if (p != nullptr && !p->ended() && behaviour) behaviour(*p);
  });
  journal_.Wrote("StartProgram", {command_line, std::to_string(show_state)});
  return pid;
}

void Programs::PowerOff() {
  for (auto& [pid, ended] : ended_) ended = true;
}

}  // namespace headless
