// The real notification area: Shell_NotifyIconA, and icons drawn from pictures with GDI.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/notification_area_port.h"

namespace zephyr {

class NotificationAreaWin32 final : public NotificationAreaPort {
 public:
  // Asks the shell once which record it understands.
  NotificationAreaWin32();

  bool NotifyIcon(std::uint32_t message, const NotifyIconData& data) override;
  IconHandle MakeIcon(std::int16_t pictureType, std::uintptr_t handle, int size) override;
  void ReleaseIcon(IconHandle icon) override;

  // The record size handed to the shell: the balloon layout from shell 5 on (Windows 2000, ME,
  // and 95, 98 and NT 4 with a newer shell), the original one before.
  std::uint32_t RecordSize() const { return recordSize_; }
  // The tooltip characters that shell shows, the NUL included.
  std::size_t TipChars() const { return tipChars_; }

 private:
  std::uint32_t recordSize_;
  std::size_t tipChars_;
};

}  // namespace zephyr
