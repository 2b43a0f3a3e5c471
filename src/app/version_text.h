// The program's version as the movie shows it: major.minor.0.build.
#pragma once

#include "version.h"

namespace zephyr {

inline constexpr char kVersionText[] = ZEPHYR_VERSION_TEXT;

}  // namespace zephyr
