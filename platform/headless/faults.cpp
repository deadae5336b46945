#include "platform/headless/faults.h"

#include "platform/errors.h"

namespace headless {

void Faults::Fail(Op op, int error_number, int times, int after) {
  faults_.push_back({op, error_number, times, after});
}

bool Faults::Faulted(Op op, int* error) {
  ++calls_[static_cast<std::size_t>(op)];
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->op != op) continue;
    if (it->after > 0) {
      --it->after;
      return false;
    }
    *error = it->error;
    if (--it->times <= 0) faults_.erase(it);
    return true;
  }
  return false;
}

void Faults::ThrowIfFaulted(Op op) {
  int error = 0;
  if (Faulted(op, &error)) plat::Raise(error);
}

}  // namespace headless
