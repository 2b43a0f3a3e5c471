// What the status panel needs of the program: the system's counters (and, on the 9x family, the
// registry's statistics), the freeing pass's ports, the tray icon whose tooltip shows free
// memory, and whether the memory panel asks for that figure in percent.
#pragma once

#include "platform/message_pump_port.h"
#include "platform/registry_port.h"
#include "platform/shell_port.h"
#include "platform/system_port.h"
#include "ui/tray.h"

namespace zephyr {

class SystemStatusServices {
 public:
  virtual SystemPort& System() = 0;
  virtual RegistryPort& Registry() = 0;
  virtual ShellPort& Shell() = 0;
  virtual MessagePumpPort& Pump() = 0;
  // The tray icon, when one is attached.
  virtual ui::Tray* tray() = 0;
  // True when the memory panel's "percent" option is chosen.
  virtual bool MemoryTipInPercent() = 0;

 protected:
  ~SystemStatusServices() = default;
};

}  // namespace zephyr
