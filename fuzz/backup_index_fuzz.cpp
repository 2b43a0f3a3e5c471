// Feeds arbitrary bytes to the backup manager's index reader. Every input must be either ignored
// whole or read into an index that writes out and reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "backup/backup_list_index.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zephyr;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<BackupListIndex> index = BackupListIndex::Parse(text);
  if (!index) return 0;
  const std::string written = index->Serialize();
  const std::optional<BackupListIndex> again = BackupListIndex::Parse(written);
  if (!again || again->size() != index->size() || again->Serialize() != written) {
    __builtin_trap();
  }
  return 0;
}
