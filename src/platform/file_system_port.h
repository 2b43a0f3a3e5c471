// The file-system port: everything the program does with files, with Win32 status codes.
//
// Paths are ANSI text, as the "A" functions of both Windows families take them. FileSystemWin32
// (file_system_win32.h) forwards to kernel32; the tests' implementation works on the machine's
// own files with the same rules, and one contract suite runs against both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zephyr {

// Win32 status codes the file operations return.
using FileStatus = std::uint32_t;
inline constexpr FileStatus kFileOk = 0;
inline constexpr FileStatus kFileNotFound = 2;        // ERROR_FILE_NOT_FOUND
inline constexpr FileStatus kFilePathNotFound = 3;    // ERROR_PATH_NOT_FOUND
inline constexpr FileStatus kFileAccessDenied = 5;    // ERROR_ACCESS_DENIED
inline constexpr FileStatus kFileSharingViolation = 32;
inline constexpr FileStatus kFileExists = 80;         // ERROR_FILE_EXISTS
inline constexpr FileStatus kFileDiskFull = 112;      // ERROR_DISK_FULL
inline constexpr FileStatus kFileAlreadyExists = 183; // ERROR_ALREADY_EXISTS
inline constexpr FileStatus kFileBadType = 222;       // ERROR_BAD_FILE_TYPE: not a disk file
inline constexpr FileStatus kFileTooLarge = 223;      // ERROR_FILE_TOO_LARGE
inline constexpr FileStatus kFileNotAFolder = 267;    // ERROR_DIRECTORY

// One entry of a folder. `modified` is the time of last change in the file system's own ticks
// (100 ns since 1601 on Windows); only equality of two readings means anything.
struct FolderEntry {
  std::string name;
  bool isFolder = false;
  std::uint64_t size = 0;
  std::int64_t modified = 0;
};

// How WriteWholeFile puts the finished file in place.
enum class Publish {
  kReplace,    // over an existing file of that name
  kCreateNew,  // only where no entry of that name exists; otherwise kFileExists
};

class FileSystemPort {
 public:
  virtual ~FileSystemPort() = default;

  // The entries of a folder, without "." and "..", in no particular order. kFilePathNotFound
  // when it does not exist, kFileNotAFolder when it is a file.
  virtual FileStatus ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) = 0;
  // Whether `path` names an existing folder.
  virtual bool IsFolder(const std::string& path) = 0;
  // Creates one folder; its parent must exist. kFileAlreadyExists when an entry has that name.
  virtual FileStatus CreateFolder(const std::string& path) = 0;
  // The whole of a regular file of at most `largest` bytes (kFileTooLarge above that, kFileBadType
  // for a device or pipe, kFileAccessDenied for a folder).
  virtual FileStatus ReadWholeFile(const std::string& path, std::size_t largest,
                                   std::string& contents) = 0;
  // Writes `contents` to "<path>.tmp", flushes it to the disk and closes it, then renames it to
  // `path` as `publish` says. The file at `path` is afterwards either complete or as it was, and
  // the temporary file is gone on every failure.
  virtual FileStatus WriteWholeFile(const std::string& path, std::string_view contents,
                                    Publish publish) = 0;
  // Deletes a file (not a folder). A read-only file is refused, as Windows does.
  virtual FileStatus RemoveFile(const std::string& path) = 0;
};

// "<folder>\<name>", with the separator the folder already uses ('/' for a path of the tests'
// machine, '\' otherwise) and none doubled.
std::string JoinPath(std::string_view folder, std::string_view name);
// The last component of a path: the text after its last '\' or '/'.
std::string_view FileNameOf(std::string_view path);
// The folder part of a path, without its last separator; empty for a bare name.
std::string_view FolderOf(std::string_view path);
// A short reason for a status, for the user's messages ("access is denied").
std::string DescribeFileStatus(FileStatus status);

}  // namespace zephyr
