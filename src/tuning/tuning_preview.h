// What an apply will change, worked out before anything is written: every write and removal of
// the tuning set's layout whose value differs from what the registry holds now. The apply writes
// exactly this list, so what the user saw is what happens.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "backup/value_changes.h"
#include "tuning/tuning_params.h"

namespace zephyr {

struct TuningChange {
  TuningWrite write;
  ValueChange change;  // the value now and as the write leaves it
};

struct TuningPreview {
  OsCode osCode = 0;
  std::vector<TuningChange> changes;  // in the apply's order
  int unchanged = 0;                  // writes left out: the registry holds their value already
  int skippedAdapters = 0;            // network adapters the apply leaves alone
};

// The registry value a write leaves behind.
EarlierValue StateAfter(const TuningWrite& write);

// Reads the values the writes of `params` touch and keeps the writes that change one. For an OS
// code outside 1 to 7 the preview is empty.
TuningPreview PreviewTuningSet(const TuningParams& params, RegistryPort& registry, OsCode osCode);

// Backs up the values now in the registry, then makes exactly the preview's writes. When the
// backup cannot be written nothing is written at all.
ApplyResult ApplyTuningChanges(const TuningPreview& preview, const TuningTarget& target);

// The values of the layout that Windows Vista and later no longer read (receive-window
// auto-tuning and the built-in SYN attack protection replace them), among those `preview` writes.
std::vector<std::string> ValuesNotReadOnVista(const TuningPreview& preview);
// The one line that says so, or nothing when there are none.
std::string NotReadOnVistaLine(const std::vector<std::string>& names);

}  // namespace zephyr
