// Pieces of the C and C++ runtime that the program takes in a smaller form than
// the libraries' own: each of these replaces a library definition that drags far
// more into the executable than the program uses, with the same behaviour for
// everything the program does.
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <exception>
#include <new>

#include "platform/win32/win_headers.h"

// ---------------------------------------------------------------- terminate

// An exception that escapes every handler ends the process by abort(), as with the
// runtime's own terminate handler. That one first prints the exception's demangled
// type to stderr, which a Windows program without a console has nowhere to show; this
// one leaves the message out, and with it the demangler and the printf it pulls in.
void __gnu_cxx::__verbose_terminate_handler() {
  std::abort();
}

// ---------------------------------------------------------------- library throws

// The throws the C++ library's containers and std::function make when they are
// misused (a string past its maximum length, substr past the end, an empty
// function called). The library's own versions build std::logic_error and its
// kin, whose copy-on-write message strings drag about 90 KB of string code and
// std::random_device into the executable. These throw a small exception of their
// own instead, with the same message: handlers that catch everything, or catch
// std::exception and show what(), see what they saw before. The program never
// catches the specific library types, and none of these throws is expected.

namespace {

class LibraryError : public std::exception {
 public:
  explicit LibraryError(const char* what) : what_(what) {}
  const char* what() const noexcept override { return what_; }

 private:
  const char* what_;
};

// The message of __throw_out_of_range_fmt: its format knows only %s, %zu and %%.
char g_message[256];

void AppendText(std::size_t& at, const char* text) {
  while (*text && at + 1 < sizeof g_message) g_message[at++] = *text++;
}

void AppendNumber(std::size_t& at, std::size_t n) {
  char digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  while (count > 0 && at + 1 < sizeof g_message) g_message[at++] = digits[--count];
}

}  // namespace

namespace std {

void __throw_bad_alloc() {
  throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
  throw std::bad_array_new_length();
}
void __throw_bad_function_call() {
  throw LibraryError("bad_function_call");
}
void __throw_length_error(const char* what) {
  throw LibraryError(what);
}
void __throw_logic_error(const char* what) {
  throw LibraryError(what);
}

void __throw_out_of_range_fmt(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::size_t at = 0;
  for (const char* p = format; *p && at + 1 < sizeof g_message; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      AppendText(at, va_arg(args, const char*));
      ++p;
    } else if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
      AppendNumber(at, va_arg(args, std::size_t));
      p += 2;
    } else if (p[0] == '%' && p[1] == '%') {
      g_message[at++] = '%';
      ++p;
    } else {
      g_message[at++] = *p;
    }
  }
  va_end(args);
  g_message[at] = '\0';
  throw LibraryError(g_message);
}

}  // namespace std
