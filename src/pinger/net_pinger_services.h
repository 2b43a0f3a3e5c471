// What the pinger panel needs of the program: its settings in the registry, the network and the
// threads a ping waits on, the clock and the user's time format for the last-ping line, the
// ping's sound beside the program, and the advanced mode to offer a measured MTU to.
#pragma once

#include <cstdint>
#include <string>

#include "platform/background_port.h"
#include "platform/clock_port.h"
#include "platform/dialog_port.h"
#include "platform/locale_port.h"
#include "platform/network_port.h"
#include "platform/registry_port.h"
#include "platform/sound_port.h"

namespace zephyr {

class NetPingerServices {
 public:
  virtual RegistryPort& Registry() = 0;
  virtual NetworkPort& Network() = 0;
  virtual BackgroundPort& Background() = 0;
  virtual ClockPort& Clock() = 0;
  virtual LocalePort& Locale() = 0;
  virtual SoundPort& Sound() = 0;
  // The application folder, where the sounds are.
  virtual const std::string& AppFolder() const = 0;
  virtual int Message(const std::string& text, std::uint32_t flags = kMbOk) = 0;
  // Opens the advanced mode on its MTU page with `mtu` in the MTU box.
  virtual void OfferMTUInAdvancedMode(std::int32_t mtu) = 0;

 protected:
  ~NetPingerServices() = default;
};

}  // namespace zephyr
