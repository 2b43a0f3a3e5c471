// A notification area in memory. It records every call and keeps the icons the way the shell
// does: an icon is known by its window and identifier, it cannot be added twice, and only an icon
// that is there can be modified or deleted; a modification changes only the fields its flags
// name. Tests can make calls fail, stop the taskbar, or restart it empty.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/notification_area_port.h"

namespace zephyr::testing {

class FakeNotificationArea final : public NotificationAreaPort {
 public:
  struct Call {
    std::uint32_t message;
    NotifyIconData data;
    bool result;
  };
  // An icon as the tray shows it.
  struct Icon {
    std::uint32_t callbackMessage = 0;
    IconHandle icon = 0;
    std::string tip;
  };
  struct Balloon {
    std::string title;
    std::string text;
    std::uint32_t infoFlags;
  };
  struct Conversion {
    std::int16_t pictureType;
    std::uintptr_t picture;
    int size;
    IconHandle icon;  // 0 when it failed
  };

  std::vector<Call> calls;
  std::vector<Balloon> balloons;
  std::vector<Conversion> conversions;
  std::vector<IconHandle> released;

  bool NotifyIcon(std::uint32_t message, const NotifyIconData& data) override;
  IconHandle MakeIcon(std::int16_t pictureType, std::uintptr_t handle, int size) override;
  void ReleaseIcon(IconHandle icon) override;

  // The next `count` calls are refused and change nothing.
  void FailNextCalls(int count = 1) { failNext_ = count; }
  // Without a taskbar every call is refused.
  void SetTaskbarRunning(bool running) { taskbarRunning_ = running; }
  // The taskbar starts afresh: every icon is gone.
  void RestartTaskbar() { icons_.clear(); }
  void FailConversions(bool fail) { failConversions_ = fail; }

  bool HasIcon(WindowHandle hwnd, std::uint32_t id) const;
  // The icon as shown; null when it is not in the tray.
  const Icon* Find(WindowHandle hwnd, std::uint32_t id) const;
  std::size_t IconCount() const { return icons_.size(); }
  // The messages of every call in order.
  std::vector<std::uint32_t> Messages() const;

 private:
  bool Apply(std::uint32_t message, const NotifyIconData& data);

  std::map<std::pair<WindowHandle, std::uint32_t>, Icon> icons_;
  int failNext_ = 0;
  bool taskbarRunning_ = true;
  bool failConversions_ = false;
  IconHandle nextIcon_ = 0x5000;
};

}  // namespace zephyr::testing
