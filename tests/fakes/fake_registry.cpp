#include "fakes/fake_registry.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace zephyr::testing {
namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

struct NameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) {
                                          return static_cast<unsigned char>(Upper(x)) <
                                                 static_cast<unsigned char>(Upper(y));
                                        });
  }
};

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return Upper(x) == Upper(y);
         });
}

// Access bits that change a key or what hangs below it.
constexpr std::uint32_t kWriteBits = kKeySetValue | kKeyCreateSubKey | kKeyCreateLink |
                                     0x00010000 /* DELETE */ | 0x00040000 /* WRITE_DAC */ |
                                     0x00080000 /* WRITE_OWNER */;
constexpr std::uint32_t kMaximumAllowed = 0x02000000;

std::vector<std::string_view> SplitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  while (!path.empty()) {
    const auto cut = path.find('\\');
    parts.push_back(path.substr(0, cut));
    if (cut == std::string_view::npos) break;
    path.remove_prefix(cut + 1);
  }
  return parts;
}

}  // namespace

struct FakeRegistry::Node {
  std::string name;
  std::weak_ptr<Node> parent;
  std::map<std::string, std::shared_ptr<Node>, NameLess> subkeys;
  // Values keep the order they were first written in, as the registry does.
  std::vector<std::pair<std::string, StoredValue>> values;
  bool deleted = false;
  bool writesDenied = false;

  bool WritesDenied() const {
    for (const Node* node = this; node; node = node->parent.lock().get()) {
      if (node->writesDenied) return true;
    }
    return false;
  }
  StoredValue* FindValue(std::string_view valueName) {
    for (auto& [stored, value] : values) {
      if (SameName(stored, valueName)) return &value;
    }
    return nullptr;
  }
};

std::string StoredValue::Text() const {
  std::string text(data.begin(), data.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

FakeRegistry::FakeRegistry() {
  for (RegKey hive : {kHKeyCurrentUser, kHKeyLocalMachine}) {
    auto root = std::make_shared<Node>();
    root->name = hive == kHKeyCurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
    hives_[hive] = Handle{std::move(root), kKeyAllAccess};
  }
}

FakeRegistry::~FakeRegistry() = default;

void FakeRegistry::AddHive(RegKey hive, std::string name) {
  auto root = std::make_shared<Node>();
  root->name = std::move(name);
  hives_[hive] = Handle{std::move(root), kKeyAllAccess};
}

const FakeRegistry::Handle* FakeRegistry::Resolve(RegKey key) const {
  const auto& table = IsPredefinedKey(key) ? hives_ : handles_;
  const auto found = table.find(key);
  return found == table.end() ? nullptr : &found->second;
}

RegKey FakeRegistry::Issue(std::shared_ptr<Node> node, std::uint32_t access) {
  const RegKey key = nextHandle_;
  nextHandle_ += 4;
  handles_[key] = Handle{std::move(node), access};
  return key;
}

RegStatus FakeRegistry::Walk(const Handle& from, std::string_view path, bool create,
                             std::uint32_t access, std::shared_ptr<Node>* found) {
  // A path may not start with a backslash; repeated and trailing ones count as one separator.
  if (!path.empty() && path.front() == '\\') return kErrorBadPathname;
  std::shared_ptr<Node> node = from.node;
  for (std::string_view part : SplitPath(path)) {
    if (part.empty()) continue;
    auto next = node->subkeys.find(part);
    if (next == node->subkeys.end()) {
      if (!create) return kErrorFileNotFound;
      if (node->WritesDenied()) return kErrorAccessDenied;
      auto child = std::make_shared<Node>();
      child->name = std::string(part);
      child->parent = node;
      next = node->subkeys.emplace(child->name, child).first;
    }
    node = next->second;
  }
  if ((access & kWriteBits) && node->WritesDenied()) return kErrorAccessDenied;
  *found = std::move(node);
  return kErrorSuccess;
}

RegStatus FakeRegistry::Open(RegKey parent, const std::string& subkey, std::uint32_t access,
                             bool create, RegKey* result) {
  *result = 0;
  const Handle* from = Resolve(parent);
  if (!from) return kErrorInvalidHandle;
  if (from->node->deleted) return kErrorKeyDeleted;
  std::shared_ptr<Node> node;
  if (const RegStatus status = Walk(*from, subkey, create, access, &node);
      status != kErrorSuccess) {
    return status;
  }
  *result = Issue(std::move(node), access);
  return kErrorSuccess;
}

RegStatus FakeRegistry::CreateKeyEx(RegKey parent, const std::string& subkey,
                                    std::uint32_t access, RegKey* result) {
  return Open(parent, subkey, access, true, result);
}

RegStatus FakeRegistry::OpenKeyEx(RegKey parent, const std::string& subkey,
                                  std::uint32_t access, RegKey* result) {
  return Open(parent, subkey, access, false, result);
}

RegStatus FakeRegistry::OpenKey(RegKey parent, const std::string& subkey, RegKey* result) {
  if (subkey.empty()) {
    *result = 0;
    if (!Resolve(parent)) return kErrorInvalidHandle;
    *result = parent;
    return kErrorSuccess;
  }
  // The old call asks for as much access as the key allows.
  RegStatus status = Open(parent, subkey, kKeyAllAccess, false, result);
  if (status == kErrorAccessDenied) status = Open(parent, subkey, kKeyRead, false, result);
  return status;
}

RegStatus FakeRegistry::QueryValueEx(RegKey key, const std::string& name, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* size) {
  const Handle* handle = Resolve(key);
  if (!handle) return kErrorInvalidHandle;
  if (handle->node->deleted) return kErrorKeyDeleted;
  if (!(handle->access & (kKeyQueryValue | kMaximumAllowed))) return kErrorAccessDenied;
  if (data && !size) return kErrorInvalidParameter;
  const StoredValue* value = handle->node->FindValue(name);
  if (!value) return kErrorFileNotFound;
  if (type) *type = value->type;
  if (!size) return kErrorSuccess;
  const auto needed = static_cast<std::uint32_t>(value->data.size());
  if (data && *size < needed) {
    *size = needed;
    return kErrorMoreData;
  }
  if (data && needed) std::memcpy(data, value->data.data(), needed);
  *size = needed;
  return kErrorSuccess;
}

RegStatus FakeRegistry::SetValueEx(RegKey key, const std::string& name, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t size) {
  const Handle* handle = Resolve(key);
  if (!handle) return kErrorInvalidHandle;
  if (handle->node->deleted) return kErrorKeyDeleted;
  if (!(handle->access & kKeySetValue)) return kErrorAccessDenied;
  if (size && !data) return kErrorInvalidParameter;
  if (onChange_) onChange_();
  StoredValue value{type, std::vector<std::uint8_t>(data, data + size)};
  std::string detail;
  if (type == kRegDword && size == 4) {
    detail = "dword " + std::to_string(data[0] | data[1] << 8 | data[2] << 16 |
                                       static_cast<std::uint32_t>(data[3]) << 24);
  } else if (type == kRegSz) {
    detail = "sz \"" + value.Text() + "\"";
  } else {
    detail = "type " + std::to_string(type) + ", " + std::to_string(size) + " bytes";
  }
  Record(*handle->node, "set", name, detail);
  if (StoredValue* existing = handle->node->FindValue(name)) {
    *existing = std::move(value);
  } else {
    handle->node->values.emplace_back(name, std::move(value));
  }
  return kErrorSuccess;
}

RegStatus FakeRegistry::DeleteValue(RegKey key, const std::string& name) {
  const Handle* handle = Resolve(key);
  if (!handle) return kErrorInvalidHandle;
  if (handle->node->deleted) return kErrorKeyDeleted;
  if (!(handle->access & kKeySetValue)) return kErrorAccessDenied;
  if (onChange_) onChange_();
  auto& values = handle->node->values;
  const auto found = std::find_if(values.begin(), values.end(),
                                  [&](const auto& entry) { return SameName(entry.first, name); });
  Record(*handle->node, "delete", name, found == values.end() ? "(missing)" : "");
  if (found == values.end()) return kErrorFileNotFound;
  values.erase(found);
  return kErrorSuccess;
}

void FakeRegistry::Record(const Node& node, std::string_view operation, std::string_view name,
                          std::string_view detail) {
  std::string path;
  const Node* top = &node;
  for (const Node* at = &node; at; at = at->parent.lock().get()) {
    top = at;
    if (at->parent.lock()) path = "\\" + at->name + path;
  }
  const std::string hive = top->name == "HKEY_CURRENT_USER" ? "HKCU" : "HKLM";
  std::string line = std::string(operation) + " " + hive + path + "\\" +
                     (name.empty() ? std::string("(default)") : std::string(name));
  if (!detail.empty()) line += " " + std::string(detail);
  journal_.push_back(std::move(line));
}

RegStatus FakeRegistry::DeleteKey(RegKey key, const std::string& subkey) {
  const Handle* handle = Resolve(key);
  if (!handle) return kErrorInvalidHandle;
  if (handle->node->deleted) return kErrorKeyDeleted;
  std::shared_ptr<Node> target;
  if (const RegStatus status = Walk(*handle, subkey, false, 0x00010000, &target);
      status != kErrorSuccess) {
    return status;
  }
  auto parent = target->parent.lock();
  // A hive root cannot go, and on the NT family neither can a key that still has subkeys.
  if (!parent || !target->subkeys.empty()) return kErrorAccessDenied;
  target->deleted = true;
  parent->subkeys.erase(target->name);
  return kErrorSuccess;
}

RegStatus FakeRegistry::EnumKey(RegKey key, std::uint32_t index, char* name,
                                std::uint32_t capacity) {
  std::uint32_t length = capacity;
  return EnumKeyEx(key, index, name, &length);
}

RegStatus FakeRegistry::EnumKeyEx(RegKey key, std::uint32_t index, char* name,
                                  std::uint32_t* length) {
  const Handle* handle = Resolve(key);
  if (!handle) return kErrorInvalidHandle;
  if (handle->node->deleted) return kErrorKeyDeleted;
  if (!(handle->access & (kKeyEnumerateSubKeys | kMaximumAllowed))) return kErrorAccessDenied;
  const auto& subkeys = handle->node->subkeys;
  if (index >= subkeys.size()) return kErrorNoMoreItems;
  const std::string& found = std::next(subkeys.begin(), index)->second->name;
  if (found.size() + 1 > *length) return kErrorMoreData;
  std::memcpy(name, found.c_str(), found.size() + 1);
  *length = static_cast<std::uint32_t>(found.size());
  return kErrorSuccess;
}

RegStatus FakeRegistry::CloseKey(RegKey key) {
  if (IsPredefinedKey(key)) return hives_.count(key) ? kErrorSuccess : kErrorInvalidHandle;
  return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::Find(RegKey hive, std::string_view path) const {
  const auto root = hives_.find(hive);
  if (root == hives_.end()) return nullptr;
  std::shared_ptr<Node> node = root->second.node;
  for (std::string_view part : SplitPath(path)) {
    if (part.empty()) continue;
    const auto next = node->subkeys.find(part);
    if (next == node->subkeys.end()) return nullptr;
    node = next->second;
  }
  return node;
}

void FakeRegistry::CreatePath(RegKey hive, std::string_view path) {
  std::shared_ptr<Node> node = hives_.at(hive).node;
  for (std::string_view part : SplitPath(path)) {
    if (part.empty()) continue;
    auto next = node->subkeys.find(part);
    if (next == node->subkeys.end()) {
      auto child = std::make_shared<Node>();
      child->name = std::string(part);
      child->parent = node;
      next = node->subkeys.emplace(child->name, child).first;
    }
    node = next->second;
  }
}

void FakeRegistry::Put(RegKey hive, std::string_view path, std::string_view name,
                       std::uint32_t type, std::vector<std::uint8_t> data) {
  CreatePath(hive, path);
  Node& node = *Find(hive, path);
  StoredValue value{type, std::move(data)};
  if (StoredValue* existing = node.FindValue(name)) {
    *existing = std::move(value);
  } else {
    node.values.emplace_back(std::string(name), std::move(value));
  }
}

void FakeRegistry::PutString(RegKey hive, std::string_view path, std::string_view name,
                             std::string_view text) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  Put(hive, path, name, kRegSz, std::move(data));
}

void FakeRegistry::PutDword(RegKey hive, std::string_view path, std::string_view name,
                            std::uint32_t value) {
  Put(hive, path, name, kRegDword,
      {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
       static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)});
}

bool FakeRegistry::HasKey(RegKey hive, std::string_view path) const {
  return Find(hive, path) != nullptr;
}

std::optional<StoredValue> FakeRegistry::Get(RegKey hive, std::string_view path,
                                             std::string_view name) const {
  const auto node = Find(hive, path);
  if (!node) return std::nullopt;
  const StoredValue* value = node->FindValue(name);
  if (!value) return std::nullopt;
  return *value;
}

void FakeRegistry::DenyWrites(RegKey hive, std::string_view path) {
  CreatePath(hive, path);
  Find(hive, path)->writesDenied = true;
}

std::string FakeRegistry::Dump() const {
  std::ostringstream out;
  const auto dumpNode = [&out](const auto& self, const Node& node, const std::string& path) -> void {
    out << '[' << path << "]\n";
    for (const auto& [name, value] : node.values) {
      out << "  \"" << name << "\" type " << value.type << ':';
      for (const std::uint8_t byte : value.data) {
        static constexpr char kHex[] = "0123456789abcdef";
        out << ' ' << kHex[byte >> 4] << kHex[byte & 15];
      }
      out << '\n';
    }
    for (const auto& [name, child] : node.subkeys) self(self, *child, path + '\\' + child->name);
  };
  for (const auto& [hive, handle] : hives_) dumpNode(dumpNode, *handle.node, handle.node->name);
  return out.str();
}

}  // namespace zephyr::testing
