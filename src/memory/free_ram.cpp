#include "memory/free_ram.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace zephyr {

std::int64_t RoundToEven(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLimit = 9.2e18;
  // The default rounding mode is to nearest, ties to even.
  return static_cast<std::int64_t>(std::nearbyint(std::clamp(value, -kLimit, kLimit)));
}

std::int64_t KilobytesOf(std::uint64_t bytes) {
  return RoundToEven(static_cast<double>(bytes) / 1024.0);
}

std::int64_t MegabytesOf(std::int64_t kilobytes) {
  return RoundToEven(static_cast<double>(kilobytes) / 1024.0);
}

std::optional<double> NumberOf(std::string_view text) {
  std::size_t at = 0;
  const auto blanks = [&] {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  };
  blanks();
  const std::size_t start = at;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  int digits = 0;
  bool point = false;
  for (; at < text.size(); ++at) {
    if (std::isdigit(static_cast<unsigned char>(text[at]))) {
      ++digits;
    } else if (text[at] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  const std::size_t end = at;
  blanks();
  if (digits == 0 || at != text.size()) return std::nullopt;
  return std::strtod(std::string(text.substr(start, end - start)).c_str(), nullptr);
}

std::string FormatNumber(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

SpaceBlock WriteSpaceBlock(std::uint64_t characters) {
  if (characters > std::numeric_limits<std::size_t>::max() / 2) return nullptr;
  const std::size_t count = static_cast<std::size_t>(characters);
  void* memory = std::malloc(std::max<std::size_t>(count * 2, 1));
  if (memory == nullptr) return nullptr;
  // Every page is written: a block that is only reserved makes the system trim nothing.
  std::fill_n(static_cast<std::uint16_t*>(memory), count, std::uint16_t{0x0020});
  return SpaceBlock(memory, std::free);
}

FreeRAM::FreeRAM(SystemPort& system, MessagePumpPort& pump, ShellPort& shell,
                 SpaceBlockWriter writer)
    : system_(system), pump_(pump), shell_(shell), writer_(std::move(writer)) {}

std::uint64_t FreeRAM::GetFreePhysical() { return system_.GetMemoryStatus().availPhys; }
std::uint64_t FreeRAM::GetTotalPhysical() { return system_.GetMemoryStatus().totalPhys; }
std::uint32_t FreeRAM::GetMemoryLoad() { return system_.GetMemoryStatus().memoryLoad; }
std::uint64_t FreeRAM::GetFreeVirtual() { return system_.GetMemoryStatus().availVirtual; }
std::uint64_t FreeRAM::GetTotalVirtual() { return system_.GetMemoryStatus().totalVirtual; }

void FreeRAM::LetEventsRun(int times) {
  for (int i = 0; i < times; ++i) pump_.DoEvents();
}

std::int64_t FreeRAM::FreeUpMemory(std::int64_t characters) {
  LetEventsRun(5);
  // No block larger than the free address space of the process can be had; asking for it only
  // costs the halving.
  const std::uint64_t addressable = GetFreeVirtual() / 2;
  std::int64_t count = std::max<std::int64_t>(characters, 0);
  if (static_cast<std::uint64_t>(count) > addressable) count = static_cast<std::int64_t>(addressable);
  SpaceBlock block = writer_(static_cast<std::uint64_t>(count));
  if (!block) {
    // One halving, held and dropped at once; nothing is left pending when it fails too.
    count = RoundToEven(static_cast<double>(count) / 2.0);
    block = writer_(static_cast<std::uint64_t>(count));
    return block ? count : 0;
  }
  LetEventsRun(5);
  return count;
}

bool FreeRAM::ExitWindows(std::string_view action) {
  std::string word(action);
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::uint32_t flags = 0;
  if (word == "shutdown") {
    flags = 1;
  } else if (word == "reboot") {
    flags = 2;
  } else if (word != "logoff") {
    return false;
  }
  return shell_.EndWindowsSession(flags, 0);
}

std::intptr_t FreeRAM::GoToURL(const std::string& url) {
  // The default action of an address is to open it.
  return shell_.OpenDocument(0, url, "", "", 3);
}

std::intptr_t FreeRAM::eMail(const std::string& address) {
  return shell_.OpenDocument(0, "mailto:" + address, "", "", 9);
}

bool IsNTPlatform(SystemPort& system) {
  OsVersionInfo info{};
  info.dwOSVersionInfoSize = sizeof info;
  return system.GetVersionRecord(&info) && info.dwPlatformId == kVerPlatformWin32Nt;
}

}  // namespace zephyr
