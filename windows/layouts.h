// The fixed layouts of the three windows, one row per control.
#pragma once

#include "platform/toolkit.h"

namespace windows {

const plat::FormLayout& MainLayout();
const plat::FormLayout& SplashLayout();
const plat::FormLayout& AboutLayout();

}  // namespace windows
