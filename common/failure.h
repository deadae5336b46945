// The four ways a procedure handles a runtime failure. Each procedure states its
// style in one line by calling one of these.
#pragma once

#include <concepts>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/errors.h"

namespace common {

class Statement;

// What a statement can be: anything called with no arguments (in practice a lambda).
template <class F>
concept StatementBody = std::invocable<F&> && !std::is_same_v<std::remove_cvref_t<F>, Statement>;

// A statement handed to the failure handling below, by reference: the handling
// is compiled once, not once per statement, and the statement is not copied. It
// must outlive the call it is passed to (a lambda written at the call does).
class Statement {
 public:
  template <StatementBody F>
  Statement(F&& body)  // implicit: a lambda converts at the call
      : body_(const_cast<void*>(static_cast<const void*>(std::addressof(body)))),
        run_([](void* b) { (*static_cast<std::remove_reference_t<F>*>(b))(); }) {}
  void operator()() const { run_(body_); }

 private:
  void* body_;
  void (*run_)(void*);
};

// Runs `body`; returns false and fills `error` when it failed.
bool Attempt(Statement body, plat::RuntimeError* error = nullptr);

// Report through ShowError with `code`, then end the application.
void OnErrorReportAndEnd(std::string_view code, Statement body);

// Report through ShowError with `code`, then fall back: returns false after a
// failure so the caller can take its fallback path.
bool OnErrorReportAndReturn(std::string_view code, Statement body);

// Report a failed statement through ShowError with `code` and carry on with the
// next statement: every statement goes through operator().
class OnErrorReportAndResume {
 public:
  explicit OnErrorReportAndResume(std::string_view code) : code_(code) {}
  void operator()(Statement statement) const { OnErrorReportAndReturn(code_, statement); }

 private:
  std::string code_;
};

// Ignore a failed statement silently and carry on with the next one.
struct OnErrorResumeNext {
  void operator()(Statement statement) const { Attempt(statement); }
};

}  // namespace common
