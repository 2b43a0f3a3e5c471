// The backup manager's index of the backup folder.
//
// For each backup file it keeps what reading the file found (the date and time the backup was
// taken, or that the file is empty or damaged) together with the file's size and time of last
// change when it was read. Listing a folder of hundreds of backups then reads only the files that
// changed since the last listing; opening a file costs far more than asking for its size and time.
//
// The index lives in the backup folder as "BackupList.idx" (not a backup name, so it is never
// listed or counted), a text file of one line per file:
//   Zephyrnet backup list index 1
//   001.BCK|2583|1733667909000000000|2026-12-07|14:05:09
//   002.BCK|0|1733667912000000000||                        an empty or damaged file
// It is only a cache: one that is missing or damaged in any way is ignored whole and written
// anew, and a folder that cannot take it is listed all the same. The restore never uses it; it
// reads and checks the file itself.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "platform/clock_port.h"
#include "platform/file_system_port.h"

namespace zephyr {

inline constexpr std::string_view kBackupIndexFileName = "BackupList.idx";

// What identifies one state of a file: its size and its time of last change, in the file
// system's own ticks.
struct BackupFileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  friend bool operator==(const BackupFileStamp&, const BackupFileStamp&) = default;
};

// The stamp of a folder entry as the listing reports it.
BackupFileStamp StampOf(const FolderEntry& entry);

struct IndexedBackup {
  BackupFileStamp stamp;
  std::optional<LocalDateTime> taken;  // nothing: the file is empty or damaged
  friend bool operator==(const IndexedBackup&, const IndexedBackup&) = default;
};

class BackupListIndex {
 public:
  // The index of `folder`; empty when there is none or it cannot be read or trusted.
  static BackupListIndex Load(FileSystemPort& files, const std::string& folder);
  // The index a text holds, or nothing when any part of it is not as written by Serialize.
  static std::optional<BackupListIndex> Parse(std::string_view text);
  std::string Serialize() const;

  // What the index knows of the file `name`, when it was read in exactly this state.
  const IndexedBackup* Find(const std::string& name, const BackupFileStamp& stamp) const;
  void Put(const std::string& name, const IndexedBackup& entry);
  // Forgets the files that are no longer in the folder.
  void KeepOnly(const std::set<std::string>& names);
  std::size_t size() const { return entries_.size(); }

  // Writes the index into `folder` when it changed since it was loaded, whole or not at all.
  // False when that failed; the folder's backups are untouched either way.
  bool SaveIfChanged(FileSystemPort& files, const std::string& folder);

 private:
  std::map<std::string, IndexedBackup> entries_;
  bool changed_ = false;
};

}  // namespace zephyr
