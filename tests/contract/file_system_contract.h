// The file-system contract: one suite that runs against the tests' own file system natively and
// against the real port under Wine, so the tests' one can be trusted where the program relies on it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "platform/file_system_port.h"

namespace zephyr::testing {

struct FileSystemBackend {
  std::string name;
  std::function<std::unique_ptr<FileSystemPort>()> make;

  friend void PrintTo(const FileSystemBackend& backend, std::ostream* out) {
    *out << backend.name;
  }
};

class FileSystemContract : public ::testing::TestWithParam<FileSystemBackend> {};

}  // namespace zephyr::testing
