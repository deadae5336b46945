// Ends the program in order: every window hidden and unloaded; the process ends
// once the running handler has returned and no window is left.
#pragma once

namespace common {

void EndApplication();
void UnloadAllForms();

}  // namespace common
