// What the memory panel needs of the program: its settings, the memory status and the freeing
// pass's ports, the alarm's sound, and the status panel's processor figure and freed-memory
// report, which it reaches only through the program.
#pragma once

#include <cstdint>
#include <string>

#include "memory/free_ram.h"
#include "platform/dialog_port.h"
#include "platform/message_pump_port.h"
#include "platform/registry_port.h"
#include "platform/shell_port.h"
#include "platform/sound_port.h"
#include "platform/system_port.h"

namespace zephyr {

class RamConfigurationServices {
 public:
  virtual RegistryPort& Registry() = 0;
  virtual SystemPort& System() = 0;
  virtual ShellPort& Shell() = 0;
  virtual MessagePumpPort& Pump() = 0;
  virtual SoundPort& Sound() = 0;
  // The application folder, where the sounds are.
  virtual const std::string& AppFolder() const = 0;
  virtual int Message(const std::string& text, std::uint32_t flags = kMbOk) = 0;
  // The processor's busy share in percent as the status panel's sampler reads it; -1 without one.
  virtual std::int32_t ProcessorBusy() = 0;
  // Tells the status panel that a freeing pass began with `beforeBytes` free.
  virtual void ReportFreeing(FreeingKind kind, std::uint64_t beforeBytes) = 0;

 protected:
  ~RamConfigurationServices() = default;
};

}  // namespace zephyr
