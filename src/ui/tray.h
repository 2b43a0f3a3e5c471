// The tray icon control: one icon in the taskbar notification area with its tooltip, a balloon
// notice on request, and the mouse clicks on the icon turned into events of the host.
//
// Everything here is portable. The host gives the control its window (the one the shell sends
// the callback message to), forwards that message to HandleCallback and the shell's
// "TaskbarCreated" broadcast to TaskbarCreated; TrayWin32 (tray_win32.h) is that host on Windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/notification_area_port.h"
#include "ui/controls.h"
#include "ui/form_model.h"

namespace zephyr::ui {

// The fixed values of every notification the control sends.
inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr std::uint32_t kTrayCallbackMessage = 512;  // WM_MOUSEMOVE; lParam holds the click
inline constexpr std::uint32_t kTrayShowFlags = kNifMessage | kNifIcon | kNifTip;
inline constexpr std::uint32_t kTrayBalloonFlags = kTrayShowFlags | kNifInfo;
inline constexpr int kTrayClickLatchMs = 15;
// The size a bitmap or metafile picture is converted to.
inline constexpr int kTrayIconSize = 32;

// The mouse messages the callback carries.
inline constexpr std::uint32_t kWmLButtonDown = 513;
inline constexpr std::uint32_t kWmRButtonDown = 516;

// MouseClick's Button.
inline constexpr std::int16_t kTrayLeftButton = 1;
inline constexpr std::int16_t kTrayRightButton = 2;

// The keys the host stores the properties under, and the names PropertyChanged reports.
inline constexpr std::string_view kTrayImageKey = "TrayImage";
inline constexpr std::string_view kTrayToolTipKey = "TrayToolTip";
inline constexpr std::string_view kTrayBalloonTipKey = "BalloonTip";
inline constexpr std::string_view kTrayEventModeKey = "EventMode";

// The property descriptions a property browser shows.
inline constexpr std::string_view kTrayImageHelp =
    "Returns/sets a graphic to be displayed  on the system Tray. (Bitmaps and Cursors are "
    "converted to type Icon)";
inline constexpr std::string_view kTrayToolTipHelp =
    "Sets/Returns text displayed when mouse over tray icon.";
inline constexpr std::string_view kTrayEventModeHelp =
    "Sets whether Mouse clicks are combined in a single MouseClick Event or are separated into "
    "RightClick / LeftClick Events.";
inline constexpr std::string_view kTrayIsVisibleHelp =
    "Flags whether icon is loaded and visible in Tray -- or NOT.";

// A picture as the host hands it over: its type (kPicType*) and handle.
struct Picture {
  std::int16_t type = kPicTypeNone;
  std::uintptr_t handle = 0;
  friend bool operator==(const Picture&, const Picture&) = default;
};

// The stored properties (a new instance has these defaults) and the control's window.
struct TrayArgs {
  WindowHandle hwnd = 0;
  Picture trayImage{};
  std::string trayToolTip = "Program notification";
  std::string trayBalloonToolTip = "The Program Still Running Here";
  std::int32_t eventMode = 0;
};

class Tray {
 public:
  // The port and the scheduler must outlive the control.
  Tray(NotificationAreaPort& shell, TimerScheduler& timers, TrayArgs args = {});
  // Takes the icon out of the tray if it is still there, so no dead icon is left behind.
  ~Tray();
  Tray(const Tray&) = delete;
  Tray& operator=(const Tray&) = delete;

  WindowHandle hwnd() const { return record_.hWnd; }

  // Always an icon or no picture: other pictures are converted when they are set.
  const Picture& TrayImage() const { return trayImage_; }
  // An icon is used as given and stays the host's. A bitmap or metafile becomes a 32 × 32 icon
  // that the control owns; if it cannot be converted the old picture stays and false comes back.
  bool SetTrayImage(Picture picture);
  const std::string& TrayToolTip() const { return trayToolTip_; }
  void SetTrayToolTip(std::string text);
  const std::string& TrayBalloonToolTip() const { return trayBalloonToolTip_; }
  void SetTrayBalloonToolTip(std::string text);
  std::int32_t EventMode() const { return eventMode_; }
  // Kept to 0 (separate LeftClick / RightClick) or 1 (one MouseClick).
  void SetEventMode(std::int32_t mode);
  // True while the shell holds the icon.
  bool IsVisible() const { return isVisible_; }

  // True puts the icon with the current picture and tooltip into the tray, or updates it there;
  // false takes it out. Returns false when the shell refused.
  bool Show(bool UpDateData);
  // True shows the balloon over the icon, which must be in the tray already; false does nothing.
  // Returns false when the shell refused.
  bool showBalloonoolTip(bool UpDateData);

  // The control's window received the callback message; `mouseMessage` is its lParam. An event
  // handler must not destroy the control.
  void HandleCallback(std::uint32_t mouseMessage);
  // The taskbar was (re)created and holds none of the old icons: puts the icon back if the host
  // wants it shown.
  void TaskbarCreated();

  // The record every call fills in and sends, kept for the control's whole life.
  const NotifyIconData& Record() const { return record_; }

  Event<> LeftClick;
  Event<> RightClick;
  Event<std::int16_t> MouseClick;
  // A property was set through its setter; the argument is its storage key.
  Event<std::string_view> PropertyChanged;

 private:
  void FillCommon(std::uint32_t flags);
  void FillToolTip();
  bool Send(std::uint32_t message);
  void ReleaseOwnedIcon();
  void Timer1_Timer();

  NotificationAreaPort& shell_;
  NotifyIconData record_{};
  Picture trayImage_{};
  bool ownsIcon_ = false;
  std::string trayToolTip_;
  std::string trayBalloonToolTip_;
  std::int32_t eventMode_ = 0;
  bool isVisible_ = false;
  bool wanted_ = false;  // the host's last Show asked for the icon
  bool clickLatch_ = false;

  // The control's own form holds its click-latch timer, so the timer runs on the host's
  // scheduler as every other timer of the program does.
  Form form_{{.name = "Tray"}};
  Timer Timer1{form_, {.name = "Timer1", .interval = 0}};
};

}  // namespace zephyr::ui
