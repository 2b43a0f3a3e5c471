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

std::string SkippedAdaptersMessage(int skippedAdapters) {
  const bool one = skippedAdapters == 1;
  return (one ? std::string("1 network adapter was") : std::to_string(skippedAdapters) +
                                                             " network adapters were") +
         " left as " + (one ? "it is: its name" : "they are: their names") +
         " in the registry could not be read or cannot be kept in a backup file, so " +
         (one ? "its" : "their") + " MTU and MSS were not changed.";
}

std::optional<std::string> ApplyResultMessage(const ApplyResult& result) {
  switch (result.outcome) {
    case ApplyResult::Outcome::kBackupFailed:
      return BackupFailedMessage(result.backupError);
    case ApplyResult::Outcome::kApplied: {
      std::string message;
      if (result.failedWrites > 0) message = FailedWritesMessage(result.failedWrites);
      if (result.skippedAdapters > 0) {
        if (!message.empty()) message += "\r\n\r\n";
        message += SkippedAdaptersMessage(result.skippedAdapters);
      }
      if (message.empty()) return std::nullopt;
      return message;
    }
    case ApplyResult::Outcome::kNotApplied:
      break;
  }
  return std::nullopt;
}

}  // namespace zephyr
