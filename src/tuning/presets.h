// The eight optimisation modes of the wizard, each a complete tuning set.
#pragma once

#include <array>
#include <string_view>

#include "tuning/tuning_params.h"

namespace zephyr {

inline constexpr std::size_t kPresetCount = 8;

// By option index: "Automatic-A" to "Automatic-G", then "Windows default".
inline constexpr std::array<std::string_view, kPresetCount> kPresetCaptions = {
    "Automatic-A", "Automatic-B", "Automatic-C", "Automatic-D",
    "Automatic-E", "Automatic-F", "Automatic-G", "Windows default"};

using Presets = std::array<TuningParams, kPresetCount>;

// The preset records, filled once at start-up and never changed afterwards.
Presets InitPresets();

}  // namespace zephyr
