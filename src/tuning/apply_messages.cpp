#include "tuning/apply_messages.h"

namespace zephyr {

std::string BackupFailedMessage(std::string_view reason) {
  return "The current settings could not be backed up, so nothing was changed.\r\n\r\n" +
         std::string(reason);
}

std::string FailedWritesMessage(int failedWrites) {
  const std::string count =
      failedWrites == 1 ? "1 value" : std::to_string(failedWrites) + " values";
  return count + " could not be written to the registry. Administrator rights are needed to "
                 "change " + (failedWrites == 1 ? "it" : "them") +
         ": start Zephyrnet as an administrator and apply the settings again.\r\n\r\n"
         "All other values were changed.";
}

std::optional<std::string> ApplyResultMessage(const ApplyResult& result) {
  switch (result.outcome) {
    case ApplyResult::Outcome::kBackupFailed:
      return BackupFailedMessage(result.backupError);
    case ApplyResult::Outcome::kApplied:
      if (result.failedWrites > 0) return FailedWritesMessage(result.failedWrites);
      return std::nullopt;
    case ApplyResult::Outcome::kNotApplied:
      break;
  }
  return std::nullopt;
}

}  // namespace zephyr
