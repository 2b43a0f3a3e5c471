#include "platform/file_system_port.h"

namespace zephyr {

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (joined.empty()) return std::string(name);
  const bool slashes =
      joined.find('/') != std::string::npos && joined.find('\\') == std::string::npos;
  if (joined.back() != '\\' && joined.back() != '/') joined += slashes ? '/' : '\\';
  joined += name;
  return joined;
}

std::string_view FileNameOf(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string_view FolderOf(std::string_view path) {
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string_view::npos ? std::string_view{} : path.substr(0, separator);
}

std::string DescribeFileStatus(FileStatus status) {
  switch (status) {
    case kFileOk:
      return "no error";
    case kFileNotFound:
      return "the file does not exist";
    case kFilePathNotFound:
      return "the folder does not exist";
    case kFileAccessDenied:
      return "access is denied";
    case kFileSharingViolation:
    case 33:  // ERROR_LOCK_VIOLATION
      return "another program is using the file";
    case kFileExists:
    case kFileAlreadyExists:
      return "a file of that name exists already";
    case kFileDiskFull:
    case 39:  // ERROR_HANDLE_DISK_FULL
      return "the disk is full";
    case kFileBadType:
      return "it is not a file";
    case kFileTooLarge:
      return "the file is far too large";
    case kFileNotAFolder:
      return "it is not a folder";
    case 19:  // ERROR_WRITE_PROTECT
      return "the disk is write-protected";
    case 123:  // ERROR_INVALID_NAME
    case 161:  // ERROR_BAD_PATHNAME
      return "the name is not valid";
    default:
      return "Windows error " + std::to_string(status);
  }
}

}  // namespace zephyr
