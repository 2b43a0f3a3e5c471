#include "fakes/fake_notification_area.h"

namespace zephyr::testing {

bool FakeNotificationArea::NotifyIcon(std::uint32_t message, const NotifyIconData& data) {
  bool result = false;
  if (failNext_ > 0) {
    --failNext_;
  } else if (taskbarRunning_) {
    result = Apply(message, data);
  }
  calls.push_back({message, data, result});
  return result;
}

bool FakeNotificationArea::Apply(std::uint32_t message, const NotifyIconData& data) {
  // The shell reads no further than the size the caller declares.
  if (data.cbSize != kNotifyIconDataSize || data.hWnd == 0) return false;
  const auto key = std::make_pair(data.hWnd, data.uID);
  const auto found = icons_.find(key);
  switch (message) {
    case kNimAdd:
      if (found != icons_.end()) return false;
      icons_[key] = {};
      break;
    case kNimModify:
      if (found == icons_.end()) return false;
      break;
    case kNimDelete:
      if (found == icons_.end()) return false;
      icons_.erase(found);
      return true;
    default:
      return false;
  }
  Icon& icon = icons_[key];
  if (data.uFlags & kNifMessage) icon.callbackMessage = data.uCallbackMessage;
  if (data.uFlags & kNifIcon) icon.icon = data.hIcon;
  if (data.uFlags & kNifTip) icon.tip = std::string(TextOfField(data.szTip));
  if ((data.uFlags & kNifInfo) && data.szInfo[0] != '\0') {
    balloons.push_back({std::string(TextOfField(data.szInfoTitle)),
                        std::string(TextOfField(data.szInfo)), data.dwInfoFlags});
  }
  return true;
}

IconHandle FakeNotificationArea::MakeIcon(std::int16_t pictureType, std::uintptr_t handle,
                                          int size) {
  IconHandle icon = 0;
  const bool convertible = pictureType == kPicTypeBitmap || pictureType == kPicTypeMetafile ||
                           pictureType == kPicTypeEnhMetafile;
  if (!failConversions_ && convertible && handle != 0 && size > 0) icon = ++nextIcon_;
  conversions.push_back({pictureType, handle, size, icon});
  return icon;
}

void FakeNotificationArea::ReleaseIcon(IconHandle icon) { released.push_back(icon); }

bool FakeNotificationArea::HasIcon(WindowHandle hwnd, std::uint32_t id) const {
  return Find(hwnd, id) != nullptr;
}

const FakeNotificationArea::Icon* FakeNotificationArea::Find(WindowHandle hwnd,
                                                             std::uint32_t id) const {
  const auto found = icons_.find({hwnd, id});
  return found == icons_.end() ? nullptr : &found->second;
}

std::vector<std::uint32_t> FakeNotificationArea::Messages() const {
  std::vector<std::uint32_t> messages;
  for (const Call& call : calls) messages.push_back(call.message);
  return messages;
}

}  // namespace zephyr::testing
