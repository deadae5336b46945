// Loading a skin picture out of the executable, through a temporary file.
#pragma once

#include <string>

#include "platform/toolkit.h"

namespace skin {

// Copies JPG resource `resource_id` to "temp.jpg" in the program folder, decodes
// it into `target` (which sizes itself to it) and deletes the file.
void LoadSkinPicture(int resource_id, plat::Control& target);
// Writes the resource's bytes to `file_name`; returns it, or "" after a failure.
std::string ExtractResource(const std::string& file_name, int resource_id,
                            const std::string& resource_type);

}  // namespace skin
