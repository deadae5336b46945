#include "common/failure.h"

#include <new>

#include "common/error_report.h"
#include "common/termination.h"

namespace common {

bool Attempt(Statement body, plat::RuntimeError* error) {
  try {
    body();
    return true;
  } catch (const plat::RuntimeError& e) {
    if (error) *error = e;
  } catch (const std::bad_alloc&) {
    if (error) *error = plat::RuntimeError(plat::kErrOutOfMemory);
  }
  return false;
}

void OnErrorReportAndEnd(std::string_view code, Statement body) {
  if (!OnErrorReportAndReturn(code, body)) EndApplication();
}

bool OnErrorReportAndReturn(std::string_view code, Statement body) {
  plat::RuntimeError error(0);
  if (Attempt(body, &error)) return true;
  ShowError(error.number(), error.description(), code);
  return false;
}

}  // namespace common
