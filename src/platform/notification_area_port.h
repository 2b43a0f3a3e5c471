// The notification-area port: Shell_NotifyIconA, and turning a picture into an icon for it.
//
// NotifyIconData is the program's own copy of NOTIFYICONDATAA with the fields the tray control
// fills; the real port (notification_area_win32.h) copies it into the platform's record with the
// size the running shell understands. FakeNotificationArea (tests/fakes) keeps the icons in memory
// and follows the shell's rules for adding, modifying and deleting them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zephyr {

// Handles as the platform passes them.
using WindowHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;

// Shell_NotifyIconA messages.
inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimModify = 1;
inline constexpr std::uint32_t kNimDelete = 2;

// The fields a call carries (uFlags).
inline constexpr std::uint32_t kNifMessage = 0x01;
inline constexpr std::uint32_t kNifIcon = 0x02;
inline constexpr std::uint32_t kNifTip = 0x04;
inline constexpr std::uint32_t kNifState = 0x08;
inline constexpr std::uint32_t kNifInfo = 0x10;

// Balloon icons (dwInfoFlags).
inline constexpr std::uint32_t kNiifNone = 0;
inline constexpr std::uint32_t kNiifInfo = 1;

// NOTIFYICONDATAA as far as the balloon fields (the shell 5 layout) on a 32-bit system.
inline constexpr std::uint32_t kNotifyIconDataSize = 488;

// Field sizes in characters, the terminating NUL included.
inline constexpr std::size_t kNotifyTipChars = 128;
inline constexpr std::size_t kNotifyInfoChars = 256;
inline constexpr std::size_t kNotifyInfoTitleChars = 64;

struct NotifyIconData {
  std::uint32_t cbSize = 0;
  WindowHandle hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  IconHandle hIcon = 0;
  char szTip[kNotifyTipChars] = {};
  std::uint32_t dwState = 0;
  std::uint32_t dwStateMask = 0;
  char szInfo[kNotifyInfoChars] = {};
  std::uint32_t uTimeout = 0;
  char szInfoTitle[kNotifyInfoTitleChars] = {};
  std::uint32_t dwInfoFlags = 0;
};

// Writes `text` into a fixed character field the way a fixed-length string is assigned: what fits
// before the last slot, then a NUL, then `pad` up to the end. A text that does not fit is cut, so
// the field is always terminated within its size.
template <std::size_t N>
void FillTextField(char (&field)[N], std::string_view text, char pad = ' ') {
  static_assert(N > 0);
  const std::size_t kept = std::min(text.size(), N - 1);
  std::copy_n(text.data(), kept, field);
  field[kept] = '\0';
  std::fill(field + kept + 1, field + N, pad);
}

// The text of a field up to its NUL (or the whole field if it has none).
template <std::size_t N>
std::string_view TextOfField(const char (&field)[N]) {
  return std::string_view(field, std::find(field, field + N, '\0') - field);
}

// Picture types, with the values of the picture objects a host hands over.
inline constexpr std::int16_t kPicTypeNone = 0;
inline constexpr std::int16_t kPicTypeBitmap = 1;
inline constexpr std::int16_t kPicTypeMetafile = 2;
inline constexpr std::int16_t kPicTypeIcon = 3;
inline constexpr std::int16_t kPicTypeEnhMetafile = 4;

class NotificationAreaPort {
 public:
  virtual ~NotificationAreaPort() = default;

  // Shell_NotifyIconA: true when the shell took the message. The shell refuses to add an icon
  // that is already there, and to modify or delete one that is not.
  virtual bool NotifyIcon(std::uint32_t message, const NotifyIconData& data) = 0;

  // A new `size` × `size` icon drawn from a bitmap or metafile picture (`handle` stays the
  // caller's); 0 when it cannot be made. The caller releases the icon with ReleaseIcon.
  virtual IconHandle MakeIcon(std::int16_t pictureType, std::uintptr_t handle, int size) = 0;
  virtual void ReleaseIcon(IconHandle icon) = 0;
};

}  // namespace zephyr
