// The registry port: the raw ANSI registry calls the program makes, with Win32 status codes.
//
// The core never sees <windows.h>; the constants below carry the Win32 values the program's
// behaviour depends on. RegistryWin32 (registry_win32.h) forwards to advapi32; FakeRegistry
// (tests/fakes) keeps an in-memory tree that follows the same rules.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace zephyr {

// A key handle as the platform passes it. The predefined hives are the handle values Windows
// gives them; an opened key is whatever the port hands out.
using RegKey = std::uintptr_t;

inline constexpr RegKey kHKeyCurrentUser = 0x80000001;
inline constexpr RegKey kHKeyLocalMachine = 0x80000002;

// Win32 status codes (LONG) the program tells apart.
using RegStatus = std::int32_t;
inline constexpr RegStatus kErrorSuccess = 0;
inline constexpr RegStatus kErrorFileNotFound = 2;
inline constexpr RegStatus kErrorAccessDenied = 5;
inline constexpr RegStatus kErrorInvalidHandle = 6;
inline constexpr RegStatus kErrorInvalidParameter = 87;
inline constexpr RegStatus kErrorBadPathname = 161;
inline constexpr RegStatus kErrorMoreData = 234;
inline constexpr RegStatus kErrorNoMoreItems = 259;
inline constexpr RegStatus kErrorKeyDeleted = 1018;

// Value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// Access masks.
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
inline constexpr std::uint32_t kKeyNotify = 0x0010;
inline constexpr std::uint32_t kKeyCreateLink = 0x0020;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
// Query, set, create subkey, enumerate subkeys, notify, create link: the mask of SetRegistryValue.
inline constexpr std::uint32_t kKeyWriteAndRead = 0x3F;

class RegistryPort {
 public:
  virtual ~RegistryPort() = default;

  // RegCreateKeyExA: non-volatile key, created with its missing parents, or opened if it exists.
  virtual RegStatus CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                                RegKey* result) = 0;
  // RegOpenKeyExA.
  virtual RegStatus OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                              RegKey* result) = 0;
  // RegOpenKeyA: the old call, full access; an empty subkey hands back `parent` itself.
  virtual RegStatus OpenKey(RegKey parent, const std::string& subkey, RegKey* result) = 0;
  // RegQueryValueExA. With `data` null only the size is asked for. A buffer that is too small
  // gives kErrorMoreData with the needed size in *size.
  virtual RegStatus QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type,
                                 std::uint8_t* data, std::uint32_t* size) = 0;
  // RegSetValueExA; the bytes are stored as given (a REG_SZ caller includes the NUL).
  virtual RegStatus SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size) = 0;
  // RegDeleteValueA.
  virtual RegStatus DeleteValue(RegKey key, const std::string& name) = 0;
  // RegDeleteKeyA, with the NT rule: a key that still has subkeys is not deleted.
  virtual RegStatus DeleteKey(RegKey key, const std::string& subkey) = 0;
  // RegEnumKeyA: the name of the subkey at `index` into a buffer of `capacity` characters,
  // NUL-terminated; kErrorNoMoreItems past the last one.
  virtual RegStatus EnumKey(RegKey key, std::uint32_t index, char* name,
                            std::uint32_t capacity) = 0;
  // RegEnumKeyExA: as EnumKey, *length in: the capacity, out: the name's length without NUL.
  virtual RegStatus EnumKeyEx(RegKey key, std::uint32_t index, char* name,
                              std::uint32_t* length) = 0;
  // RegCloseKey. Closing a predefined hive succeeds and does nothing.
  virtual RegStatus CloseKey(RegKey key) = 0;
};

inline bool IsPredefinedKey(RegKey key) {
  return key >= 0x80000000u && key <= 0x800000FFu;
}

// Closes a key on every path out of the scope that opened it.
class ScopedRegKey {
 public:
  explicit ScopedRegKey(RegistryPort& port) : port_(&port) {}
  ScopedRegKey(const ScopedRegKey&) = delete;
  ScopedRegKey& operator=(const ScopedRegKey&) = delete;
  ScopedRegKey(ScopedRegKey&& other) noexcept
      : port_(other.port_), key_(std::exchange(other.key_, 0)) {}
  ScopedRegKey& operator=(ScopedRegKey&& other) noexcept {
    if (this != &other) {
      Close();
      port_ = other.port_;
      key_ = std::exchange(other.key_, 0);
    }
    return *this;
  }
  ~ScopedRegKey() { Close(); }

  // The slot an Open or Create call fills.
  RegKey* Receive() {
    Close();
    return &key_;
  }
  RegKey get() const { return key_; }
  explicit operator bool() const { return key_ != 0; }

  // Gives up the key without closing it.
  RegKey Release() { return std::exchange(key_, 0); }

  void Close() {
    if (key_ != 0) {
      port_->CloseKey(key_);
      key_ = 0;
    }
  }

 private:
  RegistryPort* port_;
  RegKey key_ = 0;
};

}  // namespace zephyr
