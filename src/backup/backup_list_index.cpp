#include "backup/backup_list_index.h"

#include <charconv>
#include <vector>

#include "backup/backup_file.h"

namespace zephyr {
namespace {

constexpr std::string_view kHeader = "Zephyrnet backup list index 1";
constexpr char kSeparator = '|';
// Some 50 bytes a file: room for many thousands of files, and a wrong file is ignored at once.
constexpr std::size_t kLargestIndex = 4u << 20;

template <class Number>
bool ParseWhole(std::string_view text, Number& number) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t separator = line.find(kSeparator);
    fields.push_back(line.substr(0, separator));
    if (separator == std::string_view::npos) return fields;
    line.remove_prefix(separator + 1);
  }
}

// A name the index can carry and the listing would show: a backup name on one line, without
// the separator.
bool IsIndexableName(std::string_view name) {
  if (name.empty() || name.find(kSeparator) != std::string_view::npos) return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  return IsBackupFileName(name);
}

}  // namespace

BackupFileStamp StampOf(const FolderEntry& entry) { return {entry.size, entry.modified}; }

BackupListIndex BackupListIndex::Load(FileSystemPort& files, const std::string& folder) {
  std::string text;
  if (files.ReadWholeFile(JoinPath(folder, kBackupIndexFileName), kLargestIndex, text) != kFileOk) {
    return {};
  }
  std::optional<BackupListIndex> index = Parse(text);
  return index ? std::move(*index) : BackupListIndex{};
}

std::optional<BackupListIndex> BackupListIndex::Parse(std::string_view text) {
  BackupListIndex index;
  bool first = true;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;  // cut off in the middle of a line
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      if (line != kHeader) return std::nullopt;
      first = false;
      continue;
    }
    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() != 5 || !IsIndexableName(fields[0])) return std::nullopt;
    IndexedBackup entry;
    if (!ParseWhole(fields[1], entry.stamp.size) || !ParseWhole(fields[2], entry.stamp.modified)) {
      return std::nullopt;
    }
    if (!fields[3].empty() || !fields[4].empty()) {
      LocalDateTime taken;
      if (!ParseBackupDate(fields[3], taken) || !ParseBackupTime(fields[4], taken)) {
        return std::nullopt;
      }
      entry.taken = taken;
    }
    if (!index.entries_.emplace(std::string(fields[0]), entry).second) return std::nullopt;
  }
  if (first) return std::nullopt;  // not even the header
  return index;
}

std::string BackupListIndex::Serialize() const {
  std::string text(kHeader);
  text += "\r\n";
  for (const auto& [name, entry] : entries_) {
    text += name;
    text += kSeparator;
    text += std::to_string(entry.stamp.size);
    text += kSeparator;
    text += std::to_string(entry.stamp.modified);
    text += kSeparator;
    if (entry.taken) text += FormatBackupDate(*entry.taken);
    text += kSeparator;
    if (entry.taken) text += FormatBackupTime(*entry.taken);
    text += "\r\n";
  }
  return text;
}

const IndexedBackup* BackupListIndex::Find(const std::string& name,
                                           const BackupFileStamp& stamp) const {
  const auto found = entries_.find(name);
  return found != entries_.end() && found->second.stamp == stamp ? &found->second : nullptr;
}

void BackupListIndex::Put(const std::string& name, const IndexedBackup& entry) {
  if (!IsIndexableName(name)) return;
  entries_.insert_or_assign(name, entry);
  changed_ = true;
}

void BackupListIndex::KeepOnly(const std::set<std::string>& names) {
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (names.count(it->first) == 0) {
      it = entries_.erase(it);
      changed_ = true;
    } else {
      ++it;
    }
  }
}

bool BackupListIndex::SaveIfChanged(FileSystemPort& files, const std::string& folder) {
  if (!changed_) return true;
  if (files.WriteWholeFile(JoinPath(folder, kBackupIndexFileName), Serialize(), Publish::kReplace) !=
      kFileOk) {
    return false;
  }
  changed_ = false;
  return true;
}

}  // namespace zephyr
