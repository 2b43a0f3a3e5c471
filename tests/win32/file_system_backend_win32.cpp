// Runs the file-system contract against the real port, in a temporary folder of the private Wine
// prefix (or of the Windows user running the tests).
#include <gtest/gtest.h>

#include "contract/file_system_contract.h"
#include "platform/file_system_win32.h"

namespace zephyr::testing {

INSTANTIATE_TEST_SUITE_P(
    Win32, FileSystemContract,
    ::testing::Values(FileSystemBackend{"Win32", [] { return std::make_unique<FileSystemWin32>(); }}),
    [](const auto& test) { return test.param.name; });

}  // namespace zephyr::testing
