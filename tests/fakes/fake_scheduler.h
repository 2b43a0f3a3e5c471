// A Task Scheduler that keeps its tasks in a map, as a Vista-or-later system with the program
// elevated (or not, or refusing) would.
#pragma once

#include <map>
#include <string>

#include "platform/scheduler_port.h"

namespace zephyr::testing {

class FakeScheduler final : public SchedulerPort {
 public:
  struct Task {
    std::string user, program;
  };
  std::map<std::string, Task> tasks;
  bool elevatedOnVista = false;
  std::string user = "CORP\\alice";
  // When set, registering and deleting fail with this reason.
  std::string refuse;

  bool NeedsLogonTask() override { return elevatedOnVista; }
  std::string CurrentUser() override { return user; }
  TaskResult RegisterLogonTask(const std::string& name, const std::string& taskUser,
                               const std::string& program) override {
    if (!refuse.empty()) return {TaskResult::Outcome::kFailed, refuse};
    tasks[name] = {taskUser, program};
    return {TaskResult::Outcome::kDone, {}};
  }
  TaskResult DeleteTask(const std::string& name) override {
    if (!refuse.empty()) return {TaskResult::Outcome::kFailed, refuse};
    return {tasks.erase(name) ? TaskResult::Outcome::kDone : TaskResult::Outcome::kNotFound, {}};
  }
};

}  // namespace zephyr::testing
