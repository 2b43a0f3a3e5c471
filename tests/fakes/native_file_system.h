// The file-system port on the test machine's own files, with the rules of the Windows one: a
// read-only file cannot be deleted or replaced (even by root), a folder is not read as a file, a
// new file never replaces an entry. The file-system contract checks it against the real port.
#pragma once

#include "platform/file_system_port.h"

namespace zephyr::testing {

class NativeFileSystem final : public FileSystemPort {
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

}  // namespace zephyr::testing
