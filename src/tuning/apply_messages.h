// What the user is told after an apply, in one place. Every message box of the program carries
// the title kProgramTitle.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tuning/tuning_params.h"

namespace zephyr {

inline constexpr std::string_view kProgramTitle = "Zephyrnet";

// No backup could be written, so the apply changed nothing.
std::string BackupFailedMessage(std::string_view reason);
// Some values could not be written; the others were.
std::string FailedWritesMessage(int failedWrites);
// Some network adapters were left as they are.
std::string SkippedAdaptersMessage(int skippedAdapters);

// The message an apply calls for, if any.
std::optional<std::string> ApplyResultMessage(const ApplyResult& result);

}  // namespace zephyr
