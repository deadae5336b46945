// The four ways a procedure handles a runtime failure. Each procedure states its
// style in one line by calling one of these.
#pragma once

#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "platform/errors.h"

namespace common {

// Runs `body`; returns false and fills `error` when it failed.
template <class F>
bool Attempt(F&& body, plat::RuntimeError* error = nullptr) {
  try {
    std::forward<F>(body)();
    return true;
  } catch (const plat::RuntimeError& e) {
    if (error) *error = e;
  } catch (const std::bad_alloc&) {
    if (error) *error = plat::RuntimeError(plat::kErrOutOfMemory);
  }
  return false;
}

void ReportFailure(const plat::RuntimeError& error, std::string_view code);
void EndAfterFailure();

// Report through ShowError with `code`, then end the application.
template <class F>
void OnErrorReportAndEnd(std::string_view code, F&& body) {
  plat::RuntimeError error(0);
  if (!Attempt(std::forward<F>(body), &error)) {
    ReportFailure(error, code);
    EndAfterFailure();
  }
}

// Report through ShowError with `code`, then fall back: returns false after a
// failure so the caller can take its fallback path.
template <class F>
bool OnErrorReportAndReturn(std::string_view code, F&& body) {
  plat::RuntimeError error(0);
  if (Attempt(std::forward<F>(body), &error)) return true;
  ReportFailure(error, code);
  return false;
}

// Report a failed statement through ShowError with `code` and carry on with the
// next statement: every statement goes through operator().
class OnErrorReportAndResume {
 public:
  explicit OnErrorReportAndResume(std::string_view code) : code_(code) {}
  template <class F>
  void operator()(F&& statement) const {
    plat::RuntimeError error(0);
    if (!Attempt(std::forward<F>(statement), &error)) ReportFailure(error, code_);
  }

 private:
  std::string code_;
};

// Ignore a failed statement silently and carry on with the next one.
struct OnErrorResumeNext {
  template <class F>
  void operator()(F&& statement) const {
    Attempt(std::forward<F>(statement));
  }
};

}  // namespace common
