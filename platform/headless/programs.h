// The other programs on the desktop: the ones the test installs (by how their
// command line begins), the ones started, and their simulated behaviour.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/clock.h"
#include "platform/headless/journal.h"
#include "platform/headless/window_table.h"

namespace headless {

class Programs;

// What the simulated program's behaviour sees and can do.
struct SimProcess {
  Programs& programs;
  ProcessId id = 0;
  std::string command_line;
  int show_state = 0;

  // A top-level window of this process, visible; it takes the foreground when
  // the process was started activated (show state 1).
  WindowId CreateWindow(const std::string& class_name, const std::string& caption);
  // A "#32770" dialog with "Button" children (see WindowTable::CreateDialog).
  WindowId CreateDialog(const std::string& caption, std::vector<std::string> buttons,
                        std::function<void(const std::string& pressed)> on_press = {});
  // The same with each button's control ID, as a message box has them
  // ({"&Ja", 6}, {"&Nein", 7}).
  WindowId CreateDialogWithIds(const std::string& caption,
                               const std::vector<std::pair<std::string, int>>& buttons,
                               std::function<void(const std::string& pressed)> on_press = {});
  // Runs `fn` `ms` of virtual time from now.
  void After(std::uint32_t ms, std::function<void()> fn);
  // Ends the process: its windows are destroyed, ProgramHasEnded turns true.
  void End();
  bool ended() const;
};

class Programs {
 public:
  Programs(WindowTable& windows, Clock& clock, Journal& journal)
      : windows_(windows), clock_(clock), journal_(journal) {}

  // A program started by a command line that begins with `prefix` (ASCII case
  // ignored), or that `matches` accepts. The first registered match wins. The
  // behaviour runs when time next passes after the start (the start itself is
  // asynchronous).
  void AddProgram(const std::string& prefix, std::function<void(SimProcess&)> behaviour);
  void AddProgram(std::function<bool(const std::string&)> matches,
                  std::function<void(SimProcess&)> behaviour);
  SimProcess* Process(ProcessId id);
  // The processes started so far, in start order.
  std::vector<ProcessId> Processes() const { return order_; }
  void EndProgram(ProcessId id);

  // ---- for the desktop's own parts
  // StartProgram: throws 5 for an empty command line, 53 when no program matches.
  ProcessId Start(const std::string& command_line, int show_state);
  // True once ended, and for an id never handed out.
  bool HasEnded(ProcessId id) const;
  // Power cycle: every program counts as ended.
  void PowerOff();

 private:
  friend struct SimProcess;
  struct Rule {
    std::function<bool(const std::string&)> matches;
    std::function<void(SimProcess&)> behaviour;
  };

  WindowTable& windows_;
  Clock& clock_;
  Journal& journal_;
  std::vector<Rule> rules_;
  std::map<ProcessId, std::unique_ptr<SimProcess>> processes_;
  std::map<ProcessId, bool> ended_;
  std::vector<ProcessId> order_;
  ProcessId next_process_ = 0xFFF1A2B0;
};

}  // namespace headless
