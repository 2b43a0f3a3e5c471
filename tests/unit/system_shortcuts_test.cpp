#include <gtest/gtest.h>

#include "app/system_shortcuts.h"
#include "fakes/fake_shell.h"

namespace zephyr::testing {
namespace {

TEST(SystemShortcuts, EachPageStartsItsControlPanelCommandShown) {
  FakeShell shell;
  EXPECT_EQ(OpenInternetProperties(shell), 1001u);
  OpenModemSettings(shell);
  OpenSystemProperties(shell);
  ASSERT_EQ(shell.started.size(), 3u);
  EXPECT_EQ(shell.started[0].commandLine,
            "rundll32.exe shell32.dll,Control_RunDLL inetcpl.cpl,,0");
  EXPECT_EQ(shell.started[1].commandLine, "rundll32.exe shell32.dll,Control_RunDLL modem.cpl");
  EXPECT_EQ(shell.started[2].commandLine,
            "rundll32.exe shell32.dll,Control_RunDLL sysdm.cpl,,0");
  for (const auto& started : shell.started) EXPECT_EQ(started.showCommand, 5);
}

TEST(SystemShortcuts, TheNetworkPageFollowsTheWindowsFamily) {
  const struct {
    OsCode code;
    const char* command;
  } cases[] = {
      {kOsWindows32, "rundll32.exe shell32.dll,Control_RunDLL netcpl.cpl"},
      {kOsWindows98, "rundll32.exe shell32.dll,Control_RunDLL netcpl.cpl"},
      {kOsWindowsMe, "rundll32.exe shell32.dll,Control_RunDLL netcpl.cpl"},
      {kOsWindowsNt, "rundll32.exe shell32.dll,Control_RunDLL ncpa.cpl"},
      {kOsWindows2000, "rundll32.exe shell32.dll,Control_RunDLL ncpa.cpl"},
      {kOsWindowsXp, "rundll32.exe shell32.dll,Control_RunDLL ncpa.cpl"},
  };
  for (const auto& c : cases) {
    FakeShell shell;
    OpenNetworkSettings(shell, c.code);
    ASSERT_EQ(shell.started.size(), 1u) << c.code;
    EXPECT_EQ(shell.started[0].commandLine, c.command) << c.code;
  }
  FakeShell shell;
  EXPECT_EQ(OpenNetworkSettings(shell, 0), 0u);
  EXPECT_EQ(OpenNetworkSettings(shell, 8), 0u);
  EXPECT_TRUE(shell.calls.empty());
}

TEST(SystemShortcuts, RestartAsksForARebootWithThePrivilegeEnabledFirst) {
  FakeShell shell;
  EXPECT_TRUE(RestartWindows(shell));
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"privilege", "exit 2 4294967295"}));
}

}  // namespace
}  // namespace zephyr::testing
