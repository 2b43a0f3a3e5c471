// An in-memory registry that follows the Windows rules the program relies on, checked by the
// same contract suite that runs against the real registry under Wine:
//  - HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are separate hives; other hives are invalid handles;
//  - key and value names compare without regard to ASCII case and keep the case they were made in;
//  - subkeys enumerate in a stable order (by name, case folded to upper case, as Windows sorts);
//  - creating a key creates its missing parents; "" names a key's default value;
//  - a handle allows what it was opened for; a key that still has subkeys is not deleted;
//  - values keep their bytes exactly as written (a REG_SZ writer includes the NUL).
// Tests can also seed and inspect values, deny writes below a key (a user without administrator
// rights) and count open handles, so a leaked key shows up.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_port.h"

namespace zephyr::testing {

struct StoredValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;

  // The data of a REG_SZ without its terminating NUL.
  std::string Text() const;
  friend bool operator==(const StoredValue&, const StoredValue&) = default;
};

class FakeRegistry final : public RegistryPort {
 public:
  FakeRegistry();
  ~FakeRegistry() override;

  RegStatus CreateKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                        RegKey* result) override;
  RegStatus OpenKeyEx(RegKey parent, const std::string& subkey, std::uint32_t access,
                      RegKey* result) override;
  RegStatus OpenKey(RegKey parent, const std::string& subkey, RegKey* result) override;
  RegStatus QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type,
                         std::uint8_t* data, std::uint32_t* size) override;
  RegStatus SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                       const std::uint8_t* data, std::uint32_t size) override;
  RegStatus DeleteValue(RegKey key, const std::string& name) override;
  RegStatus DeleteKey(RegKey key, const std::string& subkey) override;
  RegStatus EnumKey(RegKey key, std::uint32_t index, char* name, std::uint32_t capacity) override;
  RegStatus EnumKeyEx(RegKey key, std::uint32_t index, char* name,
                      std::uint32_t* length) override;
  RegStatus CloseKey(RegKey key) override;

  // A hive beyond HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, which are always there (Windows 9x
  // has HKEY_DYN_DATA; without this call it is missing, as under Wine).
  void AddHive(RegKey hive, std::string name);
  // Seeding, creating the key path as needed.
  void Put(RegKey hive, std::string_view path, std::string_view name, std::uint32_t type,
           std::vector<std::uint8_t> data);
  void PutString(RegKey hive, std::string_view path, std::string_view name, std::string_view text);
  void PutDword(RegKey hive, std::string_view path, std::string_view name, std::uint32_t value);
  void CreatePath(RegKey hive, std::string_view path);

  // Inspection.
  bool HasKey(RegKey hive, std::string_view path) const;
  std::optional<StoredValue> Get(RegKey hive, std::string_view path, std::string_view name) const;
  // Every key and value of both hives as text, for comparing whole states.
  std::string Dump() const;
  std::size_t OpenHandleCount() const { return handles_.size(); }

  // Every value write and removal, in order, as one line each:
  //   set HKLM\path\to\key\Name dword 8192      set HKCU\path\Name sz "64"
  //   delete HKLM\path\Name                     (removals that found nothing end in " (missing)")
  // The key path is spelt as the key was created; a default value's name shows as "(default)".
  const std::vector<std::string>& Journal() const { return journal_; }
  void ClearJournal() { journal_.clear(); }
  // Called before every value write or removal, e.g. to check what exists at that moment.
  void OnChange(std::function<void()> hook) { onChange_ = std::move(hook); }

  // From now on, opening this key or one beneath it for writing, or creating one there, fails with
  // ERROR_ACCESS_DENIED, as HKEY_LOCAL_MACHINE does for a user without administrator rights.
  void DenyWrites(RegKey hive, std::string_view path);

 private:
  struct Node;
  struct Handle {
    std::shared_ptr<Node> node;
    std::uint32_t access;
  };

  // The node a handle or predefined hive stands for, with the access it allows; null if invalid.
  const Handle* Resolve(RegKey key) const;
  RegStatus Walk(const Handle& from, std::string_view path, bool create, std::uint32_t access,
                 std::shared_ptr<Node>* found);
  std::shared_ptr<Node> Find(RegKey hive, std::string_view path) const;
  RegKey Issue(std::shared_ptr<Node> node, std::uint32_t access);
  RegStatus Open(RegKey parent, const std::string& subkey, std::uint32_t access, bool create,
                 RegKey* result);

  void Record(const Node& node, std::string_view operation, std::string_view name,
              std::string_view detail);

  std::map<RegKey, Handle> hives_;
  std::vector<std::string> journal_;
  std::function<void()> onChange_;
  std::map<RegKey, Handle> handles_;
  RegKey nextHandle_ = 0x1000;
};

}  // namespace zephyr::testing
