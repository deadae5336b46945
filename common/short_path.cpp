#include "common/short_path.h"

#include <vector>

#include "common/error_codes.h"
#include "common/failure.h"
#include "platform/errors.h"
#include "platform/platform.h"

namespace common {
namespace {

// GetShortPathNameA answers the size it needs when the buffer is too small.
std::string QueryShortPath(const std::string& long_path) {
  std::vector<char> buffer(long_path.size() + 1, '\0');
  auto size = static_cast<std::uint32_t>(buffer.size());
  std::uint32_t n = plat::Sys().GetShortPathName(long_path.c_str(), buffer.data(), size);
  if (n >= size) {
    buffer.assign(n + 1, '\0');
    size = static_cast<std::uint32_t>(buffer.size());
    n = plat::Sys().GetShortPathName(long_path.c_str(), buffer.data(), size);
  }
  if (n == 0 || n >= size) plat::Raise(plat::kErrPathNotFound);
  return std::string(buffer.data(), n);
}

}  // namespace

std::string GetShortName(const std::string& long_path) {
  std::string result;
  OnErrorReportAndReturn(codes::kShortPath, [&] { result = QueryShortPath(long_path); });
  return result;
}

std::string ShortPathOrEmpty(const std::string& long_path) {
  std::string result;
  Attempt([&] { result = QueryShortPath(long_path); });
  return result;
}

}  // namespace common
