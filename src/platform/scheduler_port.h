// The Task Scheduler, as far as the program needs it: one log-on task per user that starts the
// program with the highest rights the user has. Windows does not start a program that asks for
// elevation from a Run entry at log-on, so where the program runs elevated on Windows Vista or
// later this task is how it starts with Windows; everywhere else the Run entry is.
#pragma once

#include <string>
#include <string_view>

namespace zephyr {

struct TaskResult {
  enum class Outcome {
    kDone,         // registered, or deleted
    kNotFound,     // nothing to delete
    kUnavailable,  // no Task Scheduler 2.0 on this system (before Vista), or it cannot be reached
    kFailed,       // the scheduler refused; `reason` says why
  };
  Outcome outcome = Outcome::kUnavailable;
  std::string reason;
};

class SchedulerPort {
 public:
  virtual ~SchedulerPort() = default;
  // True where a Run entry cannot start this program at log-on: Windows Vista or later, and this
  // process runs elevated.
  virtual bool NeedsLogonTask() = 0;
  // The user the program runs as, as Windows names it for log-on ("DOMAIN\user" or "user").
  virtual std::string CurrentUser() = 0;
  // Creates or replaces the task `name`: at `user`'s log-on, start `program` (a full path, no
  // quotes) with the highest rights the user has.
  virtual TaskResult RegisterLogonTask(const std::string& name, const std::string& user,
                                       const std::string& program) = 0;
  virtual TaskResult DeleteTask(const std::string& name) = 0;
};

// A system without a Task Scheduler 2.0: the Run entry is the way.
class NoTaskScheduler final : public SchedulerPort {
 public:
  bool NeedsLogonTask() override { return false; }
  std::string CurrentUser() override { return {}; }
  TaskResult RegisterLogonTask(const std::string&, const std::string&,
                               const std::string&) override {
    return {};
  }
  TaskResult DeleteTask(const std::string&) override { return {}; }
};

inline SchedulerPort& NoScheduler() {
  static NoTaskScheduler scheduler;
  return scheduler;
}

// "Zephyrnet (user)": one task per user, as the Run entry is per user. The domain is left out and
// the characters a task name cannot hold become '_'. The uninstaller removes every task named so.
std::string LogonTaskName(std::string_view user);

// The task's definition in the Task Scheduler's XML: a log-on trigger for `user`, the interactive
// token with the highest available run level, no time limit, and one action starting `program`.
std::string LogonTaskXml(std::string_view user, std::string_view program);

}  // namespace zephyr
