// The run's waits.
#pragma once

#include <cstdint>

namespace run {

// Blocks the thread; processes no window messages. Never fails.
void Pause(std::int32_t milliseconds);

}  // namespace run
