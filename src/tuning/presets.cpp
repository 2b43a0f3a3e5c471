#include "tuning/presets.h"

namespace zephyr {

Presets InitPresets() {
  // MTU, MSS and RWIN of -1 remove those values from the registry.
  auto preset = [](std::int32_t mtu, std::int32_t mss, std::int32_t rwin, std::int32_t ttl,
                   std::int32_t keepAliveTime, std::int32_t http10, std::int32_t http11) {
    TuningParams p;
    p.MTU = mtu;
    p.MSS = mss;
    p.RWIN = rwin;
    p.TTL = ttl;
    p.KeepAliveTime = keepAliveTime;
    p.KeepAliveInterval = 1000;
    p.SYNAttackProtect = 2;
    p.NDICacheSize = 0;
    p.PMTUDiscovery = true;
    p.PMTUBlackHoleDetect = false;
    p.MaxConnectionsPer1_0Server = http10;
    p.MaxConnectionsPerServer = http11;
    p.ICMPRedirects = false;
    return p;
  };
  return {
      preset(576, 536, 4288, 128, 600000, 16, 8),        // Automatic-A
      preset(576, 536, -1, 128, 600000, 16, 8),          // Automatic-B
      preset(-1, -1, -1, 128, 600000, 16, 8),            // Automatic-C
      preset(576, 536, 5432, 64, 7200000, 20, 20),       // Automatic-D
      preset(1500, 1460, 256960, 64, 7200000, 20, 20),   // Automatic-E
      preset(1492, 1452, 255552, 64, 7200000, 20, 20),   // Automatic-F
      preset(1500, 1460, 256960, 32, 6400000, 20, 20),   // Automatic-G
      preset(1500, 1500, 8192, 32, 3600000, 2, 4),       // Windows default
  };
}

}  // namespace zephyr
