// modFreeRam and FreeRAM: the memory status, freeing physical memory by writing and dropping a
// large block, and the unit conversions the memory panels show their figures in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/message_pump_port.h"
#include "platform/shell_port.h"
#include "platform/system_port.h"

// <windows.h>, where it is included first, makes ExitWindows a macro; here it is FreeRAM's own.
#ifdef ExitWindows
#undef ExitWindows
#endif

namespace zephyr {

// Which freeing a report is about: the status panel's button or the alarm's automatic pass.
enum class FreeingKind { kOptimizeNow, kAutomatic };

inline constexpr double kBytesPerMegabyte = 1048576.0;

// Kilobytes = bytes / 1024 and megabytes = kilobytes / 1024: each division in double precision,
// each result rounded to the nearest whole number, ties to even (so each step rounds, not the
// product: 1 572 352 bytes are 1536 KB and 2 MB).
std::int64_t RoundToEven(double value);
std::int64_t KilobytesOf(std::uint64_t bytes);
std::int64_t MegabytesOf(std::int64_t kilobytes);
// Megabytes for a comparison, not rounded.
inline double MegabytesUnrounded(std::uint64_t bytes) {
  return static_cast<double>(bytes) / kBytesPerMegabyte;
}

// A text the memory panels accept as a number: optional blanks and sign, digits with at most one
// decimal point (at least one digit), nothing else.
std::optional<double> NumberOf(std::string_view text);
// A figure as the panels show it: up to 15 significant digits, no trailing zeros, no decimal
// point when whole.
std::string FormatNumber(double value);

// A block of two-byte spaces, committed and written in full, held until the pointer goes; null
// when the memory could not be had.
using SpaceBlock = std::shared_ptr<void>;
using SpaceBlockWriter = std::function<SpaceBlock(std::uint64_t characters)>;
// The real writer: malloc, then every character written.
SpaceBlock WriteSpaceBlock(std::uint64_t characters);

class FreeRAM {
 public:
  FreeRAM(SystemPort& system, MessagePumpPort& pump, ShellPort& shell,
          SpaceBlockWriter writer = WriteSpaceBlock);

  // One memory status query each, no caching between calls; bytes or percent.
  std::uint64_t GetFreePhysical();
  std::uint64_t GetTotalPhysical();
  std::uint32_t GetMemoryLoad();
  std::uint64_t GetFreeVirtual();
  std::uint64_t GetTotalVirtual();

  // Makes the system trim other processes' working sets: lets pending events run 5 times, writes
  // a block of `characters` two-byte spaces (2 bytes each), lets events run 5 more times while it
  // is held, and drops it. Returns the count written. A count above what the process could
  // address is first cut to that; when the block cannot be had, half the count (rounded, ties to
  // even) is tried once, and when that fails too nothing is held and 0 comes back.
  std::int64_t FreeUpMemory(std::int64_t characters);

  // "shutdown", "reboot" or "logoff" in any letter case: ExitWindowsEx with flag 1, 2 or 0;
  // whether the system accepted. Any other word does nothing and returns false.
  bool ExitWindows(std::string_view action);
  // Opens the address with its default program (maximised); the ShellExecute result.
  std::intptr_t GoToURL(const std::string& url);
  // Opens a new mail to the address; the ShellExecute result.
  std::intptr_t eMail(const std::string& address);

 private:
  void LetEventsRun(int times);

  SystemPort& system_;
  MessagePumpPort& pump_;
  ShellPort& shell_;
  SpaceBlockWriter writer_;
};

// True on the NT family (platform id 2), false on Windows 9x and Win32s.
bool IsNTPlatform(SystemPort& system);

}  // namespace zephyr
