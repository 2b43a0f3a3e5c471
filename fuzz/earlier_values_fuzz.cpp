// Feeds arbitrary bytes to the reader of a backup's record of earlier values. The input is the
// record; the backup file it must fingerprint is the fixed text below, so inputs made from a real
// record of that text reach every line kind. Every input is either refused whole or read into
// values that write out to exactly the input again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "backup/earlier_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zephyr;
  constexpr std::string_view kBackup = "#2026-12-09#\r\n#02:00:00#\r\n7\r\n";
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto values = ParseEarlierValues(text, kBackup);
  if (!values) return 0;
  if (SerializeEarlierValues(*values, kBackup) != text) __builtin_trap();
  return 0;
}
