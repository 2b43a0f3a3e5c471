// The registry as the end-to-end tests see it: values read and written with the platform's own
// calls, never through the program's port, in the registry view of the program beside the
// driver; and the guard that puts back what a test changed.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zephyr::automation {

// The folder of the running driver, where the build puts the program and its files.
inline std::string DriverFolder() {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, length);
  return path.substr(0, path.find_last_of("\\/"));
}

// The registry view of the program beside the driver: a 64-bit driver of the shipped 32-bit exe
// (as on a machine that emulates 32-bit code) must look where a 32-bit program writes
// HKLM\\Software. Every other pairing sees the same view without asking.
inline REGSAM ProgramView() {
  static const REGSAM view = [] {
    if (sizeof(void*) == 4) return REGSAM{0};
    const std::string exe = DriverFolder() + "\\zephyrnet.exe";
    HANDLE file = CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return REGSAM{0};
    IMAGE_DOS_HEADER dos{};
    IMAGE_FILE_HEADER header{};
    DWORD signature = 0;
    DWORD read = 0;
    bool i386 = false;
    if (ReadFile(file, &dos, sizeof dos, &read, nullptr) && read == sizeof dos &&
        SetFilePointer(file, dos.e_lfanew, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
        ReadFile(file, &signature, sizeof signature, &read, nullptr) &&
        ReadFile(file, &header, sizeof header, &read, nullptr) && read == sizeof header) {
      i386 = signature == IMAGE_NT_SIGNATURE && header.Machine == IMAGE_FILE_MACHINE_I386;
    }
    CloseHandle(file);
    return i386 ? REGSAM{KEY_WOW64_32KEY} : REGSAM{0};
  }();
  return view;
}

// One value as stored: its type and its bytes; absent values are not present (and REG_NONE).
struct Stored {
  bool present = false;
  DWORD type = REG_NONE;
  std::string data;
  friend bool operator==(const Stored&, const Stored&) = default;
};

// A string value as the program writes one: the text and its terminating zero.
inline Stored SzValue(const std::string& text) { return {true, REG_SZ, text + '\0'}; }

// The value whole, however long it is: a guard that read only part of a long value would put
// back less than was there.
inline Stored ReadReal(HKEY hive, const std::string& path, const std::string& name,
                       REGSAM view = ProgramView()) {
  Stored stored;
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return stored;
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::string data(size, '\0');
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(data.data()), &size) == ERROR_SUCCESS) {
      data.resize(size);
      stored = {true, type, std::move(data)};
    }
  }
  RegCloseKey(key);
  return stored;
}

// Writes the value, or removes it when `value` is not present; the key is made if it is missing.
inline bool WriteReal(HKEY hive, const std::string& path, const std::string& name,
                      const Stored& value, REGSAM view = ProgramView()) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(hive, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      value.present ? RegSetValueExA(key, name.c_str(), 0, value.type,
                                     reinterpret_cast<const BYTE*>(value.data.data()),
                                     static_cast<DWORD>(value.data.size()))
                    : RegDeleteValueA(key, name.c_str());
  RegCloseKey(key);
  return status == ERROR_SUCCESS || (!value.present && status == ERROR_FILE_NOT_FOUND);
}

// A string value's text, "(no key)" or "(no value)", for a message that says what was found.
inline std::string ReadRealText(HKEY hive, const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ | ProgramView(), &key) != ERROR_SUCCESS) {
    return "(no key)";
  }
  RegCloseKey(key);
  const Stored stored = ReadReal(hive, path, name);
  if (!stored.present) return "(no value)";
  return std::string(stored.data.c_str());
}

inline bool KeyExists(HKEY hive, const std::string& path, REGSAM view = ProgramView()) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

inline std::vector<std::string> Subkeys(HKEY hive, const std::string& path,
                                        REGSAM view = ProgramView()) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return names;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, size);
  }
  RegCloseKey(key);
  return names;
}

// Every value of a key, by name.
inline std::map<std::string, Stored> AllValues(HKEY hive, const std::string& path,
                                               REGSAM view = ProgramView()) {
  std::map<std::string, Stored> values;
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return values;
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[512];
    DWORD nameSize = sizeof name;
    if (RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, nameSize);
  }
  RegCloseKey(key);
  for (const std::string& name : names) values[name] = ReadReal(hive, path, name, view);
  return values;
}

// Registry values a test may change, read when it starts and put back as they were (or removed,
// if they were missing) when it ends.
class SavedRegistryValues {
 public:
  struct Value {
    HKEY hive;
    std::string path;
    std::string name;
  };
  explicit SavedRegistryValues(std::vector<Value> values) : values_(std::move(values)) {
    for (const Value& value : values_) saved_.push_back(ReadReal(value.hive, value.path, value.name));
  }
  SavedRegistryValues(const SavedRegistryValues&) = delete;
  SavedRegistryValues& operator=(const SavedRegistryValues&) = delete;
  ~SavedRegistryValues() {
    for (std::size_t i = 0; i < values_.size(); ++i) {
      WriteReal(values_[i].hive, values_[i].path, values_[i].name, saved_[i]);
    }
  }

 private:
  std::vector<Value> values_;
  std::vector<Stored> saved_;
};

}  // namespace zephyr::automation
