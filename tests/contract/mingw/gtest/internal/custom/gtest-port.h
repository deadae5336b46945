// GoogleTest's hook for a custom port, found before its own empty one: MinGW's
// win32 thread model has no std::mutex or std::condition_variable, which the
// stock Notification is made of, so it is made of a Win32 event instead.
#pragma once

#include "platform/win32/win_headers.h"

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() { CloseHandle(event_); }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace testing::internal
