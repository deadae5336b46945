// The fixed layouts of the three windows, one row per control.
#pragma once

#include "platform/toolkit.h"

namespace windows {

const plat::FormSpec& MainLayout();
const plat::FormSpec& SplashLayout();
const plat::FormSpec& AboutLayout();

}  // namespace windows
