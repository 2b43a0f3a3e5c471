#include "platform/file_system_win32.h"

#include <windows.h>

#include "platform/win32_handle.h"

namespace zephyr {
namespace {

FileStatus LastStatus() {
  const DWORD error = GetLastError();
  // A failure that sets no code still must not read as success.
  return error != ERROR_SUCCESS ? static_cast<FileStatus>(error) : ERROR_GEN_FAILURE;
}

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                   time.dwLowDateTime);
}

// MoveFileExA is NT only: Windows 95, 98 and ME have no such export, so it is looked up.
using MoveFileExFunction = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
MoveFileExFunction MoveFileExIfPresent() {
  static const auto function = reinterpret_cast<MoveFileExFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
  return function;
}

FileStatus WriteAll(HANDLE file, std::string_view contents) {
  while (!contents.empty()) {
    const DWORD chunk = contents.size() > 0x100000 ? 0x100000 : static_cast<DWORD>(contents.size());
    DWORD written = 0;
    if (!WriteFile(file, contents.data(), chunk, &written, nullptr)) return LastStatus();
    if (written == 0) return ERROR_WRITE_FAULT;
    contents.remove_prefix(written);
  }
  return kFileOk;
}

// Puts the finished temporary file in place over an existing one.
FileStatus Replace(const std::string& temporary, const std::string& path) {
  // Windows refuses to replace a read-only file; not every implementation of MoveFileEx does.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return kFileAccessDenied;
  }
  if (const MoveFileExFunction moveFileEx = MoveFileExIfPresent()) {
    if (moveFileEx(temporary.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return kFileOk;
    }
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return LastStatus();
  }
  // Windows 95, 98 and ME cannot rename over a file. The old file is deleted first; should the
  // machine stop between the two steps, the new contents are complete and flushed under the
  // temporary name, and the only file the program replaces (the backup list's index) is a cache
  // that is rebuilt when it is missing. A read-only file refuses the delete, and so the replace.
  if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) return LastStatus();
  if (!MoveFileA(temporary.c_str(), path.c_str())) return LastStatus();
  return kFileOk;
}

}  // namespace

FileStatus FileSystemWin32::ListFolder(const std::string& folder,
                                       std::vector<FolderEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    const FileStatus status = LastStatus();
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return kFilePathNotFound;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return kFileNotAFolder;
    // The root of an empty drive has not even "." and "..".
    return status == ERROR_FILE_NOT_FOUND || status == ERROR_NO_MORE_FILES ? kFileOk : status;
  }
  FileStatus status = kFileOk;
  do {
    const std::string_view name = found.cFileName;
    if (name == "." || name == "..") continue;
    entries.push_back({std::string(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                       (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                       Ticks(found.ftLastWriteTime)});
  } while (FindNextFileA(search, &found));
  if (GetLastError() != ERROR_NO_MORE_FILES) status = LastStatus();
  FindClose(search);
  return status;
}

bool FileSystemWin32::IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

FileStatus FileSystemWin32::CreateFolder(const std::string& path) {
  return CreateDirectoryA(path.c_str(), nullptr) ? kFileOk : LastStatus();
}

FileStatus FileSystemWin32::ReadWholeFile(const std::string& path, std::size_t largest,
                                          std::string& contents) {
  contents.clear();
  const Win32Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return LastStatus();
  // A device or a pipe could block a read for ever.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return kFileBadType;
  DWORD high = 0;
  const DWORD low = GetFileSize(file.get(), &high);
  if (low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR) {
    const std::uint64_t size = (static_cast<std::uint64_t>(high) << 32) | low;
    if (size > largest) return kFileTooLarge;
    contents.reserve(static_cast<std::size_t>(size));
  }
  // The size is only a hint: the file may grow while it is read.
  char chunk[16384];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) {
      const FileStatus status = LastStatus();
      contents.clear();
      return status;
    }
    if (read == 0) return kFileOk;
    contents.append(chunk, read);
    if (contents.size() > largest) {
      contents.clear();
      return kFileTooLarge;
    }
  }
}

FileStatus FileSystemWin32::WriteWholeFile(const std::string& path, std::string_view contents,
                                           Publish publish) {
  const std::string temporary = path + ".tmp";
  {
    const Win32Handle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastStatus();
    FileStatus status = WriteAll(file.get(), contents);
    // On the disk before it gets its name: a power loss must not leave a named, empty file.
    if (status == kFileOk && !FlushFileBuffers(file.get())) status = LastStatus();
    if (status != kFileOk) {
      file.Close();
      DeleteFileA(temporary.c_str());
      return status;
    }
  }
  FileStatus status = kFileOk;
  if (publish == Publish::kCreateNew) {
    // MoveFileA never replaces: it fails when any entry of the new name exists, on both families.
    if (!MoveFileA(temporary.c_str(), path.c_str())) status = LastStatus();
  } else {
    status = Replace(temporary, path);
  }
  if (status != kFileOk) DeleteFileA(temporary.c_str());
  return status;
}

FileStatus FileSystemWin32::RemoveFile(const std::string& path) {
  return DeleteFileA(path.c_str()) ? kFileOk : LastStatus();
}

}  // namespace zephyr
