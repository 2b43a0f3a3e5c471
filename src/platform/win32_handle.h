// A kernel handle that closes itself; for the Win32 side only.
#pragma once

#include <windows.h>

#include <utility>

namespace zephyr {

class Win32Handle {
 public:
  Win32Handle() = default;
  // Takes a handle as CreateFile, CreateThread or CreateEvent return it; both failure values
  // (null and INVALID_HANDLE_VALUE) make an empty object.
  explicit Win32Handle(HANDLE handle)
      : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  Win32Handle(const Win32Handle&) = delete;
  Win32Handle& operator=(const Win32Handle&) = delete;
  Win32Handle(Win32Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Win32Handle& operator=(Win32Handle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  ~Win32Handle() { Close(); }

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Closes early; const so that a scope's handle can be closed before work that needs it shut.
  void Close() const {
    if (handle_ != nullptr) CloseHandle(std::exchange(handle_, nullptr));
  }

 private:
  mutable HANDLE handle_ = nullptr;
};

}  // namespace zephyr
