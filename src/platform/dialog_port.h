// The message-box port: the platform's standard message box, which every message of the program
// goes through with the program's title.
#pragma once

#include <cstdint>
#include <string>

namespace zephyr {

// MessageBox flags and results the program uses.
inline constexpr std::uint32_t kMbOk = 0x00000000;
inline constexpr std::uint32_t kMbYesNo = 0x00000004;
inline constexpr std::uint32_t kMbIconError = 0x00000010;
inline constexpr std::uint32_t kMbIconQuestion = 0x00000020;
inline constexpr std::uint32_t kMbIconWarning = 0x00000030;
inline constexpr std::uint32_t kMbIconInformation = 0x00000040;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

class DialogPort {
 public:
  virtual ~DialogPort() = default;
  // MessageBoxA: modal to `owner` (a window handle value, 0 for none); returns the button chosen.
  virtual int ShowMessage(std::uintptr_t owner, const std::string& text, const std::string& title,
                          std::uint32_t flags) = 0;
};

}  // namespace zephyr
