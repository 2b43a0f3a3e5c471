// What the main settings panel needs of the program: its settings and the Run key in the
// registry, the log-on task, message boxes, and the program's own path.
#pragma once

#include <cstdint>
#include <string>

#include "platform/dialog_port.h"
#include "platform/registry_port.h"
#include "platform/scheduler_port.h"

namespace zephyr {

class MainSettingsServices {
 public:
  virtual RegistryPort& Registry() = 0;
  virtual SchedulerPort& Scheduler() = 0;
  virtual int Message(const std::string& text, std::uint32_t flags = kMbOk) = 0;
  // The Run-key entry that starts the program at log-on, and the program's own file.
  virtual std::string RunEntry() const = 0;
  virtual std::string ExePath() const = 0;

 protected:
  ~MainSettingsServices() = default;
};

}  // namespace zephyr
