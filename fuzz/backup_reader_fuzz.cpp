// Feeds arbitrary bytes to the backup reader. Every input must be either refused with a reason or
// read into a backup that writes out and reads back unchanged; the restore's layout check must
// answer for every backup the reader takes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "backup/backup_file.h"
#include "backup/restore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zephyr;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const BackupReadResult read = ParseBackup(text);
  if (!read.ok()) {
    if (read.error.empty()) __builtin_trap();
    return 0;
  }
  const BackupReadResult again = ParseBackup(SerializeBackup(*read.backup));
  if (!again.ok() || !(*again.backup == *read.backup)) __builtin_trap();
  static_cast<void>(CheckBackupLayout(*read.backup, read.backup->osCode));
  return 0;
}
