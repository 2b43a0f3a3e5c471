// What the program relies on from the file system, checked against every file-system backend.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "contract/file_system_contract.h"
#include "fakes/native_file_system.h"
#include "fakes/temp_dir.h"

namespace zephyr::testing {
namespace {

namespace fs = std::filesystem;

// A fresh folder whose read-only files are made writable again before it is removed.
class Scratch {
 public:
  Scratch() : files_(FileSystemContract::GetParam().make()) {}
  ~Scratch() {
    std::error_code ignored;
    for (fs::recursive_directory_iterator it(dir_.path(), ignored), end; !ignored && it != end;
         it.increment(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
  }
  FileSystemPort& files() { return *files_; }
  std::string Path(const std::string& relative) const { return JoinPath(dir_.path().string(), relative); }
  void Write(const std::string& relative, const std::string& text) const { dir_.Write(relative, text); }
  void MakeReadOnly(const std::string& relative) const {
    fs::permissions(dir_.path() / relative, fs::perms::owner_write, fs::perm_options::remove);
  }
  std::string Text(const std::string& relative) const {
    std::ifstream in(dir_.path() / relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::vector<std::string> List() const { return dir_.List(); }

 private:
  std::unique_ptr<FileSystemPort> files_;
  TempDir dir_;
};

bool NamesAnExistingEntry(FileStatus status) {
  return status == kFileExists || status == kFileAlreadyExists;
}

TEST_P(FileSystemContract, ListsEntriesWithTheirKindAndSize) {
  Scratch scratch;
  FileSystemPort& files = scratch.files();
  std::vector<FolderEntry> entries{{"stale"}};
  EXPECT_EQ(files.ListFolder(scratch.Path(""), entries), kFileOk);
  EXPECT_TRUE(entries.empty()) << "an empty folder lists nothing, not even . and ..";

  scratch.Write("five.txt", "12345");
  ASSERT_EQ(files.CreateFolder(scratch.Path("sub")), kFileOk);
  ASSERT_EQ(files.ListFolder(scratch.Path(""), entries), kFileOk);
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "five.txt");
  EXPECT_FALSE(entries[0].isFolder);
  EXPECT_EQ(entries[0].size, 5u);
  EXPECT_EQ(entries[1].name, "sub");
  EXPECT_TRUE(entries[1].isFolder);
  EXPECT_TRUE(files.IsFolder(scratch.Path("sub")));
  EXPECT_FALSE(files.IsFolder(scratch.Path("five.txt")));
  EXPECT_FALSE(files.IsFolder(scratch.Path("missing")));

  EXPECT_EQ(files.ListFolder(scratch.Path("missing"), entries), kFilePathNotFound);
  EXPECT_EQ(files.ListFolder(scratch.Path("five.txt"), entries), kFileNotAFolder);
}

TEST_P(FileSystemContract, ReadsRegularFilesWholeAndRefusesEverythingElse) {
  Scratch scratch;
  FileSystemPort& files = scratch.files();
  const std::string text("line\r\n\0binary\xFF", 14);
  scratch.Write("file.bin", text);
  scratch.MakeReadOnly("file.bin");
  std::string read;
  EXPECT_EQ(files.ReadWholeFile(scratch.Path("file.bin"), 14, read), kFileOk) << "read-only reads";
  EXPECT_EQ(read, text);
  EXPECT_EQ(files.ReadWholeFile(scratch.Path("file.bin"), 13, read), kFileTooLarge);
  EXPECT_TRUE(read.empty());
  scratch.Write("empty", "");
  EXPECT_EQ(files.ReadWholeFile(scratch.Path("empty"), 10, read), kFileOk);

  EXPECT_EQ(files.ReadWholeFile(scratch.Path("missing"), 10, read), kFileNotFound);
  EXPECT_EQ(files.ReadWholeFile(JoinPath(scratch.Path("missing"), "x"), 10, read),
            kFilePathNotFound);
  ASSERT_EQ(files.CreateFolder(scratch.Path("folder")), kFileOk);
  EXPECT_EQ(files.ReadWholeFile(scratch.Path("folder"), 10, read), kFileAccessDenied);
}

TEST_P(FileSystemContract, WritesAppearWholeAndNeverLeaveTheTemporaryFile) {
  Scratch scratch;
  FileSystemPort& files = scratch.files();
  EXPECT_EQ(files.WriteWholeFile(scratch.Path("a.txt"), "first", Publish::kCreateNew), kFileOk);
  EXPECT_EQ(files.WriteWholeFile(scratch.Path("a.txt"), "second", Publish::kReplace), kFileOk);
  EXPECT_EQ(scratch.Text("a.txt"), "second");

  // Each refused publish keeps what was there and takes its temporary file away again.
  EXPECT_TRUE(NamesAnExistingEntry(
      files.WriteWholeFile(scratch.Path("a.txt"), "third", Publish::kCreateNew)));
  ASSERT_EQ(files.CreateFolder(scratch.Path("dir")), kFileOk);
  EXPECT_TRUE(NamesAnExistingEntry(
      files.WriteWholeFile(scratch.Path("dir"), "x", Publish::kCreateNew)));
  EXPECT_NE(files.WriteWholeFile(scratch.Path("dir"), "x", Publish::kReplace), kFileOk);
  scratch.Write("locked.txt", "kept");
  scratch.MakeReadOnly("locked.txt");
  EXPECT_EQ(files.WriteWholeFile(scratch.Path("locked.txt"), "lost", Publish::kReplace),
            kFileAccessDenied);
  EXPECT_EQ(scratch.Text("a.txt"), "second");
  EXPECT_EQ(scratch.Text("locked.txt"), "kept");
  EXPECT_EQ(scratch.List(), (std::vector<std::string>{"a.txt", "dir", "locked.txt"}));

  EXPECT_EQ(files.WriteWholeFile(JoinPath(scratch.Path("missing"), "b.txt"), "x", Publish::kReplace),
            kFilePathNotFound);
}

TEST_P(FileSystemContract, CreatesFoldersAndRemovesOnlyWritableFiles) {
  Scratch scratch;
  FileSystemPort& files = scratch.files();
  EXPECT_EQ(files.CreateFolder(scratch.Path("new")), kFileOk);
  EXPECT_EQ(files.CreateFolder(scratch.Path("new")), kFileAlreadyExists);
  EXPECT_EQ(files.CreateFolder(JoinPath(scratch.Path("missing"), "deeper")), kFilePathNotFound);

  scratch.Write("gone.txt", "x");
  EXPECT_EQ(files.RemoveFile(scratch.Path("gone.txt")), kFileOk);
  EXPECT_EQ(files.RemoveFile(scratch.Path("gone.txt")), kFileNotFound);
  scratch.Write("kept.txt", "x");
  scratch.MakeReadOnly("kept.txt");
  EXPECT_EQ(files.RemoveFile(scratch.Path("kept.txt")), kFileAccessDenied);
  EXPECT_EQ(files.RemoveFile(scratch.Path("new")), kFileAccessDenied);
  EXPECT_EQ(scratch.List(), (std::vector<std::string>{"kept.txt", "new"}));
}

FileSystemBackend NativeBackend() {
  return {"Native", [] { return std::make_unique<NativeFileSystem>(); }};
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Native, FileSystemContract, ::testing::Values(NativeBackend()),
                         [](const auto& test) { return test.param.name; });

}  // namespace zephyr::testing
