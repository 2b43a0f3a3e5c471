// The real Task Scheduler port: Task Scheduler 2.0 (taskschd.dll, Windows Vista and later)
// through COM. ole32, oleaut32 and every newer function are looked up when first needed, so the
// program still loads on Windows 95 and NT 4.0, where the port reports the scheduler unavailable.
#pragma once

#include "platform/scheduler_port.h"

namespace zephyr {

class SchedulerWin32 final : public SchedulerPort {
 public:
  bool NeedsLogonTask() override;
  std::string CurrentUser() override;
  TaskResult RegisterLogonTask(const std::string& name, const std::string& user,
                               const std::string& program) override;
  TaskResult DeleteTask(const std::string& name) override;
};

}  // namespace zephyr
