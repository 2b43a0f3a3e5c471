// The tuning set: one record of TCP/IP and browser values, and the apply that writes it into the
// registry of either Windows family, always after a backup of the values it replaces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock_port.h"
#include "platform/file_system_port.h"
#include "platform/os_version.h"
#include "platform/registry_port.h"

namespace zephyr {

struct TuningParams {
  std::int32_t MSS = 0;                   // maximum segment size, bytes
  std::int32_t MTU = 0;                   // maximum transmission unit; -1 removes MTU and MSS
  std::int32_t RWIN = 0;                  // receive window, bytes; -1 removes it
  std::int32_t TTL = 0;                   // default time to live
  std::int32_t KeepAliveTime = 0;         // ms before the first keep-alive
  std::int32_t KeepAliveInterval = 0;     // ms between keep-alive retransmissions
  std::int16_t SYNAttackProtect = 0;      // 0 typical, 1 better, 2 best
  std::int32_t NDICacheSize = 0;
  bool PMTUDiscovery = false;
  bool PMTUBlackHoleDetect = false;
  std::int32_t MaxConnectionsPer1_0Server = 0;  // browser, per HTTP 1.0 server
  std::int32_t MaxConnectionsPerServer = 0;     // browser, per HTTP 1.1 server
  bool ICMPRedirects = false;

  friend bool operator==(const TuningParams&, const TuningParams&) = default;
};

// A Boolean as the registry keeps it.
inline int BoolToFlag(bool flag) { return flag ? 1 : 0; }

// One registry write of an apply, in the order the apply makes them.
struct TuningWrite {
  RegKey hive = 0;
  std::string keyPath;
  std::string valueName;
  std::uint32_t type = 0;  // REG_SZ on the 9x family, REG_DWORD on the NT family
  std::int64_t value = 0;
  bool remove = false;

  friend bool operator==(const TuningWrite&, const TuningWrite&) = default;
};

// The writes of the layout for `osCode`, given the transport (9x) or interface (NT) subkeys found
// in the registry; empty for an OS code outside 1 to 7.
std::vector<TuningWrite> PlanTuningWrites(const TuningParams& params, OsCode osCode,
                                          const std::vector<std::string>& perAdapterSubkeys);

// Where an apply goes: the registry, the clock that dates the backup, the Windows family and the
// backup folder.
struct TuningTarget {
  RegistryPort& registry;
  ClockPort& clock;
  FileSystemPort& files;
  OsCode osCode = 0;
  std::string backupFolder;
  // Folders whose backups share the numbering (the backup folder itself may be among them).
  std::vector<std::string> numberedWith;
};

struct ApplyResult {
  enum class Outcome {
    kApplied,       // backed up, then written (some writes may have failed)
    kNotApplied,    // an OS code outside 1 to 7: nothing done, not even a backup
    kBackupFailed,  // no backup could be written, so nothing was changed
  };
  Outcome outcome = Outcome::kNotApplied;
  std::string backupFile;            // the backup this apply wrote
  std::string backupError;           // why no backup could be written
  int writes = 0;                    // registry writes and removals attempted
  int failedWrites = 0;              // of those, the ones the registry refused
  // Network adapters left untouched, because their names could not be read or a backup could not
  // carry them; each is a failure the user is told of.
  int skippedAdapters = 0;

  bool Changed() const { return outcome == Outcome::kApplied; }
};

// Backs up the values now in the registry, then writes `params` in the layout of the target's
// family: the writes of its preview (tuning_preview.h), so a value the registry holds already is
// left as it is. Writes the registry refuses are skipped and counted. When the backup cannot be
// written, nothing is written at all.
ApplyResult ApplyTuningSet(const TuningParams& params, const TuningTarget& target);

}  // namespace zephyr
