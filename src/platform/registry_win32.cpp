#include "platform/registry_win32.h"

#include <windows.h>

namespace zephyr {
namespace {

static_assert(kErrorSuccess == ERROR_SUCCESS && kErrorFileNotFound == ERROR_FILE_NOT_FOUND &&
              kErrorAccessDenied == ERROR_ACCESS_DENIED && kErrorMoreData == ERROR_MORE_DATA &&
              kErrorNoMoreItems == ERROR_NO_MORE_ITEMS && kErrorKeyDeleted == ERROR_KEY_DELETED);
static_assert(kRegSz == REG_SZ && kRegDword == REG_DWORD && kKeyRead == KEY_READ &&
              kKeyAllAccess == KEY_ALL_ACCESS && kKeyWrite == KEY_WRITE);

// Predefined hives are 32-bit values that a 64-bit HKEY carries sign-extended.
HKEY ToHkey(RegKey key) {
  if (IsPredefinedKey(key)) {
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(key)));
  }
  return reinterpret_cast<HKEY>(key);
}

RegKey FromHkey(HKEY key) {
  const auto low = static_cast<RegKey>(static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(key)));
  if (IsPredefinedKey(low) && ToHkey(low) == key) return low;
  return reinterpret_cast<RegKey>(key);
}

// Hands out the key only on success, so a failed call always leaves 0 behind.
RegStatus Deliver(LONG status, HKEY opened, RegKey* result) {
  *result = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
  return status;
}

}  // namespace

RegStatus RegistryWin32::CreateKeyEx(RegKey parent, const std::string& subkey,
                                     std::uint32_t access, RegKey* result) {
  HKEY opened = nullptr;
  DWORD disposition = 0;
  const LONG status = RegCreateKeyExA(ToHkey(parent), subkey.c_str(), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, access, nullptr, &opened,
                                      &disposition);
  return Deliver(status, opened, result);
}

RegStatus RegistryWin32::OpenKeyEx(RegKey parent, const std::string& subkey,
                                   std::uint32_t access, RegKey* result) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(ToHkey(parent), subkey.c_str(), 0, access, &opened);
  return Deliver(status, opened, result);
}

RegStatus RegistryWin32::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyA(ToHkey(parent), subkey.c_str(), &opened);
  return Deliver(status, opened, result);
}

RegStatus RegistryWin32::QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type,
                                      std::uint8_t* data, std::uint32_t* size) {
  DWORD valueType = 0;
  DWORD byteCount = size ? *size : 0;
  const LONG status = RegQueryValueExA(ToHkey(key), name.c_str(), nullptr, &valueType, data,
                                       size ? &byteCount : nullptr);
  if (type) *type = valueType;
  if (size) *size = byteCount;
  return status;
}

RegStatus RegistryWin32::SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                                    const std::uint8_t* data, std::uint32_t size) {
  return RegSetValueExA(ToHkey(key), name.c_str(), 0, type, data, size);
}

RegStatus RegistryWin32::DeleteValue(RegKey key, const std::string& name) {
  return RegDeleteValueA(ToHkey(key), name.c_str());
}

RegStatus RegistryWin32::DeleteKey(RegKey key, const std::string& subkey) {
  return RegDeleteKeyA(ToHkey(key), subkey.c_str());
}

RegStatus RegistryWin32::EnumKey(RegKey key, std::uint32_t index, char* name,
                                 std::uint32_t capacity) {
  return RegEnumKeyA(ToHkey(key), index, name, capacity);
}

RegStatus RegistryWin32::EnumKeyEx(RegKey key, std::uint32_t index, char* name,
                                   std::uint32_t* length) {
  DWORD count = *length;
  const LONG status =
      RegEnumKeyExA(ToHkey(key), index, name, &count, nullptr, nullptr, nullptr, nullptr);
  *length = count;
  return status;
}

RegStatus RegistryWin32::CloseKey(RegKey key) {
  if (IsPredefinedKey(key)) return ERROR_SUCCESS;
  return RegCloseKey(ToHkey(key));
}

}  // namespace zephyr
