#include "platform/errors.h"

#include <utility>

namespace plat {

std::string ErrorDescription(int number) {
  switch (number) {
    case 0:
      return "";
    case kErrInvalidCall:
      return "Invalid procedure call or argument";
    case kErrOverflow:
      return "Overflow";
    case kErrOutOfMemory:
      return "Out of memory";
    case kErrSubscript:
      return "Subscript out of range";
    case kErrTypeMismatch:
      return "Type mismatch";
    case kErrFileNotFound:
      return "File not found";
    case kErrFileAlreadyOpen:
      return "File already open";
    case kErrDeviceIO:
      return "Device I/O error";
    case kErrPermissionDenied:
      return "Permission denied";
    case kErrPathFileAccess:
      return "Path/File access error";
    case kErrPathNotFound:
      return "Path not found";
    case kErrObjectNotSet:
      return "Object variable or With block variable not set";
    case kErrResourceNotFound:
      return "Resource not found";
    case kErrObjectUnloaded:
      return "Object was unloaded";
    case kErrInvalidProperty:
      return "Invalid property value";
    case kErrInvalidPicture:
      return "Invalid picture";
    case kErrControlNotFound:
      return "Control not found";
    default:
      return "Application-defined or object-defined error";
  }
}

RuntimeError::RuntimeError(int number) : number_(number), description_(ErrorDescription(number)) {}

RuntimeError::RuntimeError(int number, std::string description)
    : number_(number), description_(std::move(description)) {}

void Raise(int number) {
  throw RuntimeError(number);
}
void Raise(int number, std::string description) {
  throw RuntimeError(number, std::move(description));
}

}  // namespace plat
