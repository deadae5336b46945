// Runtime errors: every failure the program handles is one of these, carrying the
// number and description the rest of the program (and its users) expect.
#pragma once

#include <exception>
#include <string>

namespace plat {

enum ErrorNumber : int {
  kErrInvalidCall = 5,         // "Invalid procedure call or argument"
  kErrOverflow = 6,            // "Overflow"
  kErrOutOfMemory = 7,         // "Out of memory"
  kErrSubscript = 9,           // "Subscript out of range"
  kErrTypeMismatch = 13,       // "Type mismatch"
  kErrFileNotFound = 53,       // "File not found"
  kErrFileAlreadyOpen = 55,    // "File already open"
  kErrDeviceIO = 57,           // "Device I/O error"
  kErrPermissionDenied = 70,   // "Permission denied"
  kErrPathFileAccess = 75,     // "Path/File access error"
  kErrPathNotFound = 76,       // "Path not found"
  kErrObjectNotSet = 91,       // "Object variable or With block variable not set"
  kErrResourceNotFound = 326,  // "Resource with identifier '...' not found"
  kErrObjectUnloaded = 364,    // "Object was unloaded"
  kErrInvalidProperty = 380,   // "Invalid property value"
  kErrInvalidPicture = 481,    // "Invalid picture"
  kErrControlNotFound = 730,   // "Control not found"
};

// The runtime's description for an error number ("Application-defined or
// object-defined error" for numbers it does not know).
std::string ErrorDescription(int number);

class RuntimeError : public std::exception {
 public:
  explicit RuntimeError(int number);
  RuntimeError(int number, std::string description);
  int number() const { return number_; }
  const std::string& description() const { return description_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int number_;
  std::string description_;
};

[[noreturn]] void Raise(int number);
[[noreturn]] void Raise(int number, std::string description);

}  // namespace plat
