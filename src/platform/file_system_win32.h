// The real file-system port: kernel32's ANSI file functions, which work on both Windows families.
#pragma once

#include "platform/file_system_port.h"

namespace zephyr {

class FileSystemWin32 final : public FileSystemPort {
 public:
  FileStatus ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override;
  bool IsFolder(const std::string& path) override;
  FileStatus CreateFolder(const std::string& path) override;
  FileStatus ReadWholeFile(const std::string& path, std::size_t largest,
                           std::string& contents) override;
  FileStatus WriteWholeFile(const std::string& path, std::string_view contents,
                            Publish publish) override;
  FileStatus RemoveFile(const std::string& path) override;
};

}  // namespace zephyr
