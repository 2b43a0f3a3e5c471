#include "fakes/native_file_system.h"

#include <filesystem>
#include <fstream>

namespace zephyr::testing {
namespace {

namespace fs = std::filesystem;

fs::file_status StatusOf(const std::string& path) {
  std::error_code error;
  return fs::status(fs::path(path), error);
}

bool ReadOnly(const fs::file_status& status) {
  return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

// What Windows answers for a name that does not exist: the file, or the folder above it.
FileStatus Missing(const std::string& path) {
  const std::string_view folder = FolderOf(path);
  return folder.empty() || fs::is_directory(StatusOf(std::string(folder))) ? kFileNotFound
                                                                           : kFilePathNotFound;
}

}  // namespace

FileStatus NativeFileSystem::ListFolder(const std::string& folder,
                                        std::vector<FolderEntry>& entries) {
  entries.clear();
  const fs::file_status status = StatusOf(folder);
  if (!fs::exists(status)) return kFilePathNotFound;
  if (!fs::is_directory(status)) return kFileNotAFolder;
  std::error_code error;
  for (fs::directory_iterator it(fs::path(folder), error), end; !error && it != end;
       it.increment(error)) {
    std::error_code ignored;
    FolderEntry entry;
    entry.name = it->path().filename().string();
    entry.isFolder = it->is_directory(ignored);
    if (!entry.isFolder) entry.size = it->file_size(ignored);
    entry.modified =
        static_cast<std::int64_t>(it->last_write_time(ignored).time_since_epoch().count());
    entries.push_back(std::move(entry));
  }
  return error ? kFileAccessDenied : kFileOk;
}

bool NativeFileSystem::IsFolder(const std::string& path) {
  return fs::is_directory(StatusOf(path));
}

FileStatus NativeFileSystem::CreateFolder(const std::string& path) {
  if (fs::exists(StatusOf(path))) return kFileAlreadyExists;
  std::error_code error;
  if (fs::create_directory(fs::path(path), error)) return kFileOk;
  return Missing(path) == kFilePathNotFound ? kFilePathNotFound : kFileAccessDenied;
}

FileStatus NativeFileSystem::ReadWholeFile(const std::string& path, std::size_t largest,
                                           std::string& contents) {
  contents.clear();
  const fs::file_status status = StatusOf(path);
  if (!fs::exists(status)) return Missing(path);
  if (fs::is_directory(status)) return kFileAccessDenied;
  if (!fs::is_regular_file(status)) return kFileBadType;
  std::error_code error;
  if (fs::file_size(fs::path(path), error) > largest) return kFileTooLarge;
  std::ifstream in(fs::path(path), std::ios::binary);
  if (!in) return kFileAccessDenied;
  char chunk[16384];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    contents.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (contents.size() > largest) {
      contents.clear();
      return kFileTooLarge;
    }
  }
  return in.bad() ? kFileAccessDenied : kFileOk;
}

FileStatus NativeFileSystem::WriteWholeFile(const std::string& path, std::string_view contents,
                                            Publish publish) {
  const std::string temporary = path + ".tmp";
  std::error_code ignored;
  {
    std::ofstream out(fs::path(temporary), std::ios::binary | std::ios::trunc);
    if (!out) return Missing(temporary) == kFilePathNotFound ? kFilePathNotFound : kFileAccessDenied;
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) {
      fs::remove(fs::path(temporary), ignored);
      return kFileDiskFull;
    }
  }
  const fs::file_status target = StatusOf(path);
  FileStatus status = kFileOk;
  if (publish == Publish::kCreateNew && fs::exists(target)) {
    status = kFileAlreadyExists;
  } else if (fs::is_directory(target) || (fs::exists(target) && ReadOnly(target))) {
    status = kFileAccessDenied;
  } else {
    std::error_code error;
    fs::rename(fs::path(temporary), fs::path(path), error);
    if (error) status = kFileAccessDenied;
  }
  if (status != kFileOk) fs::remove(fs::path(temporary), ignored);
  return status;
}

FileStatus NativeFileSystem::RemoveFile(const std::string& path) {
  const fs::file_status status = StatusOf(path);
  if (!fs::exists(status)) return Missing(path);
  if (fs::is_directory(status) || ReadOnly(status)) return kFileAccessDenied;
  std::error_code error;
  return fs::remove(fs::path(path), error) ? kFileOk : kFileAccessDenied;
}

}  // namespace zephyr::testing
