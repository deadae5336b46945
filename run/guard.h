// While a run is on, the machine itself must not interrupt it: Disk Defragmenter
// starts over whenever something touches the disk, and a screen saver or a
// standby does. Every call may fail (Windows 95 cannot keep itself awake); the
// run goes on exactly the same either way.
#pragma once

namespace run {

class RunGuard {
 public:
  // Screen saver off for this session only, no idling into standby, and
  // requests to suspend refused.
  void On();
  // All of it undone, the screen saver as On found it.
  void Off();

 private:
  bool on_ = false;
  bool screen_saver_was_on_ = false;
};

}  // namespace run
