// The three skin pictures, every piece at the rectangle the windows copy it from.
#pragma once

#include "tools/artgen/icon.h"
#include "tools/artgen/raster.h"
#include "tools/artgen/style.h"

namespace art {

Canvas MainSheet(const Fonts& fonts, const Icon& icon);      // 425 x 605, resource 102
Canvas AboutSheet(const Fonts& fonts, const Icon& icon);     // 265 x 477, resource 101
Canvas SplashPicture(const Fonts& fonts, const Icon& icon);  // 491 x 265, resource 104

}  // namespace art
