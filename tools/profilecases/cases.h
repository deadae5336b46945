// The profile-file cases and the platform they run on.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/system.h"

namespace profilecases {

struct Step {
  enum Kind { kRead, kWrite } kind = kRead;
  const char* section = nullptr;
  const char* key = nullptr;
  const char* text = nullptr;  // the default of a read, the value of a write
  std::uint32_t size = 64;     // reads: the buffer size
};

struct Case {
  const char* title;
  const char* content;  // the file before the steps; null: no file
  std::vector<Step> steps;
  bool bare_name = false;  // name the file without a folder (found in the Windows folder)
};

const std::vector<Case>& Cases();

// The platform under test: the headless desktop or the real Win32 one.
std::unique_ptr<plat::System> MakeSystem();

}  // namespace profilecases
