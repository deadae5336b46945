// Baseline JFIF output padded to an exact file length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/artgen/raster.h"

namespace art {

// Encodes at the best quality whose file, with `tail` extra bytes after the end
// marker, still fits in `length`, then fills the difference with comment
// segments placed right after the JFIF header. Throws when no quality fits.
std::vector<std::uint8_t> EncodeJpegExact(const Canvas& canvas, std::size_t length,
                                          std::size_t tail);

}  // namespace art
