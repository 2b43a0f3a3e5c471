#include "ui/tray.h"

#include <algorithm>
#include <utility>

namespace zephyr::ui {

Tray::Tray(NotificationAreaPort& shell, TimerScheduler& timers, TrayArgs args)
    : shell_(shell),
      trayToolTip_(std::move(args.trayToolTip)),
      trayBalloonToolTip_(std::move(args.trayBalloonToolTip)),
      eventMode_(std::clamp(args.eventMode, 0, 1)) {
  record_.hWnd = args.hwnd;
  SetTrayImage(args.trayImage);
  Timer1.Tick.Connect(this, &Tray::Timer1_Timer);
  form_.Load(timers);
}

Tray::~Tray() {
  if (isVisible_) Send(kNimDelete);
  ReleaseOwnedIcon();
}

bool Tray::SetTrayImage(Picture picture) {
  if (picture.handle == 0 || picture.type == kPicTypeNone) {
    ReleaseOwnedIcon();
    trayImage_ = {};
  } else if (picture.type == kPicTypeIcon) {
    ReleaseOwnedIcon();
    trayImage_ = picture;
  } else {
    const IconHandle icon = shell_.MakeIcon(picture.type, picture.handle, kTrayIconSize);
    if (icon == 0) return false;
    // The tray keeps its own copy of the icon it shows, so the old one can go now.
    ReleaseOwnedIcon();
    trayImage_ = {kPicTypeIcon, icon};
    ownsIcon_ = true;
  }
  PropertyChanged.Raise(kTrayImageKey);
  return true;
}

void Tray::SetTrayToolTip(std::string text) {
  trayToolTip_ = std::move(text);
  PropertyChanged.Raise(kTrayToolTipKey);
}

void Tray::SetTrayBalloonToolTip(std::string text) {
  trayBalloonToolTip_ = std::move(text);
  PropertyChanged.Raise(kTrayBalloonTipKey);
}

void Tray::SetEventMode(std::int32_t mode) {
  eventMode_ = std::clamp(mode, 0, 1);
  PropertyChanged.Raise(kTrayEventModeKey);
}

bool Tray::Show(bool UpDateData) {
  if (!UpDateData) {
    wanted_ = false;
    if (!isVisible_) return true;
    // Whatever the shell answers, the icon is not there any more: it was either removed now or
    // had already gone with the shell.
    isVisible_ = false;
    return Send(kNimDelete);
  }
  wanted_ = true;
  FillCommon(kTrayShowFlags);
  FillToolTip();
  // The shell may have lost the icon (a restarted taskbar) or still hold it (an add that was
  // refused because it was there already), so the other message is tried when the expected one
  // is refused. IsVisible then says what the shell really holds, and the next Show(true) retries.
  const std::uint32_t expected = isVisible_ ? kNimModify : kNimAdd;
  const std::uint32_t other = isVisible_ ? kNimAdd : kNimModify;
  isVisible_ = Send(expected) || Send(other);
  return isVisible_;
}

bool Tray::showBalloonoolTip(bool UpDateData) {
  if (!UpDateData) return true;
  FillCommon(kTrayBalloonFlags);
  record_.dwState = 0;
  record_.dwStateMask = 0;
  FillTextField(record_.szInfo, trayBalloonToolTip_);
  FillTextField(record_.szInfoTitle, trayToolTip_);
  record_.dwInfoFlags = kNiifInfo;
  record_.uTimeout = 1;
  FillToolTip();
  return Send(kNimModify);
}

// Only a button going down counts; moves, button-ups and double clicks are ignored. The latch is
// set before the event runs, so a handler that lets messages through cannot report a second
// click, and the 15 ms start once it has returned.
void Tray::HandleCallback(std::uint32_t mouseMessage) {
  if (clickLatch_) return;
  std::int16_t button = 0;
  if (mouseMessage == kWmLButtonDown) {
    button = kTrayLeftButton;
  } else if (mouseMessage == kWmRButtonDown) {
    button = kTrayRightButton;
  } else {
    return;
  }
  clickLatch_ = true;
  if (eventMode_ == 1) {
    MouseClick.Raise(button);
  } else if (button == kTrayLeftButton) {
    LeftClick.Raise();
  } else {
    RightClick.Raise();
  }
  Timer1.SetInterval(kTrayClickLatchMs);
}

void Tray::TaskbarCreated() {
  if (!wanted_) return;
  isVisible_ = false;
  Show(true);
}

void Tray::FillCommon(std::uint32_t flags) {
  record_.cbSize = kNotifyIconDataSize;
  record_.uID = kTrayIconId;
  record_.uFlags = flags;
  record_.uCallbackMessage = kTrayCallbackMessage;
  record_.hIcon = trayImage_.handle;
}

// The tooltip is framed by one space on each side; an empty tooltip is an empty field.
void Tray::FillToolTip() {
  if (trayToolTip_.empty()) {
    FillTextField(record_.szTip, "");
  } else {
    FillTextField(record_.szTip, " " + trayToolTip_ + " ");
  }
}

bool Tray::Send(std::uint32_t message) { return shell_.NotifyIcon(message, record_); }

void Tray::ReleaseOwnedIcon() {
  if (ownsIcon_) shell_.ReleaseIcon(trayImage_.handle);
  ownsIcon_ = false;
}

void Tray::Timer1_Timer() {
  Timer1.SetInterval(0);
  clickLatch_ = false;
}

}  // namespace zephyr::ui
