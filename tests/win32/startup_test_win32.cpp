// Starts the real zephyrnet.exe as a user would, finds its window by the automation contract,
// reads its version resource and manifest, and closes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "win32/automation_win32.h"
#include "win32/program_under_test_win32.h"

namespace zephyr::testing {
namespace {

std::string ProgramPath() {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, length);
  return path.substr(0, path.find_last_of("\\/") + 1) + ZEPHYR_EXE_PATH;
}

std::string VersionString(const std::string& file, const char* field) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
  if (!size) return {};
  std::string block(size, '\0');
  if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())) return {};
  char* text = nullptr;
  UINT length = 0;
  const std::string query = std::string("\\StringFileInfo\\040904B0\\") + field;
  if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) ||
      length == 0) {
    return {};
  }
  return std::string(text);
}

TEST(Startup, TheProgramCarriesItsVersionAndManifest) {
  const std::string program = ProgramPath();
  EXPECT_EQ(VersionString(program, "ProductName"), "Zephyrnet");
  const std::string version = VersionString(program, "FileVersion");
  EXPECT_EQ(version.rfind("1.0.0.", 0), 0u) << version;

  HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(module);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_TRUE(found) << "no application manifest";
  const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
  const std::string manifest(data, SizeofResource(module, found));
  FreeLibrary(module);
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("<dpiAware>true</dpiAware>"), std::string::npos);
}

TEST(Startup, TheWindowOpensCaptionedZephyrnetAndClosesCleanly) {
  // The window shows at start only while "start in the tray" is off. In the test prefix the run
  // turns it off and puts the setting back as it was afterwards.
  constexpr char kMainSettings[] = "SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\MainSettings";
  std::optional<automation::SavedRegistryValues> startInTray;
  if (std::getenv("ZEPHYR_DISPOSABLE_REGISTRY")) {
    startInTray.emplace(std::vector<automation::SavedRegistryValues::Value>{
        {HKEY_LOCAL_MACHINE, kMainSettings, "chkRunProgramMini"}});
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kMainSettings, 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "chkRunProgramMini", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
    RegCloseKey(key);
  }
  std::string commandLine = "\"" + ProgramPath() + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process))
      << "cannot start " << commandLine;

  const HWND window = automation::WaitFor(
      [&]() -> HWND {
        const HWND found = automation::FindTop(process.dwProcessId, "frmMain");
        return found && IsWindowVisible(found) ? found : nullptr;
      },
      20000);
  if (window) {
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Zephyrnet");
    PostMessageA(window, WM_CLOSE, 0, 0);
  } else {
    ADD_FAILURE() << "no window named frmMain appeared within 20 s";
    TerminateProcess(process.hProcess, 99);
  }

  EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace
}  // namespace zephyr::testing
