// The platform a contract table runs on: the headless desktop natively, the
// real API under Wine. The tables call plat::System; the target gives them what
// they need besides: windows to search, clean-up of test keys, the last error.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/system.h"

namespace contract {

class Target {
 public:
  virtual ~Target() = default;
  virtual plat::System& Sys() = 0;
  // True for the real API: the tables' "real" column applies where the two differ.
  virtual bool Real() const = 0;

  // A window of this program with a class and a caption: top-level when
  // `parent` is 0, shown or hidden. Destroyed with the target.
  virtual plat::WindowId MakeWindow(const char* class_name, const char* caption,
                                    plat::WindowId parent, bool visible) = 0;
  // A window of another program.
  virtual plat::WindowId ForeignWindow() = 0;

  // Removes a key and everything below it.
  virtual void DeleteKey(plat::RegKey root, const char* path) = 0;

  // The thread's last error, set to a sentinel before each call of the real
  // API and read after it; the headless desktop keeps none (the program never
  // reads it), so there it is always nullopt.
  virtual void SetLastErrorSentinel() = 0;
  virtual std::optional<std::uint32_t> LastError() = 0;
};

inline constexpr std::uint32_t kLastErrorSentinel = 0xDEADBEEF;

std::unique_ptr<Target> MakeTarget();

// The strtod the settings load called before the program had a conversion of its
// own: the C library's natively (glibc), MSVCRT.DLL's on Windows; and its name.
double ReferenceStrtod(const char* text, char** end);
extern const char* const kReferenceStrtodName;

}  // namespace contract
