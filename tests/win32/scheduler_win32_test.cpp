// The real Task Scheduler port on this system: under Wine (which reports itself as Windows 7 by
// default) a log-on task is registered, replaced and deleted through taskschd.dll's ITaskService.
// Registering the same task twice replaces it; deleting it twice tells that it is gone.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>

#include "platform/scheduler_win32.h"

namespace zephyr {
namespace {

// Where the scheduler keeps a task's definition, as Windows and Wine both do. A 32-bit program on
// 64-bit Windows sees SysWOW64 under the name System32; the real one is then called Sysnative.
std::string TaskFile(const std::string& name) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string native = std::string(windows) + "\\Sysnative";
  const DWORD attributes = GetFileAttributesA(native.c_str());
  const bool redirected = sizeof(void*) == 4 && attributes != INVALID_FILE_ATTRIBUTES &&
                          (attributes & FILE_ATTRIBUTE_DIRECTORY);
  return (redirected ? native : std::string(windows) + "\\System32") + "\\Tasks\\" + name;
}

TEST(SchedulerWin32, ALogonTaskIsRegisteredReplacedAndDeleted) {
  SchedulerWin32 scheduler;
  const std::string user = scheduler.CurrentUser();
  ASSERT_FALSE(user.empty());
  const std::string name = LogonTaskName(user) + " test";
  const TaskResult first =
      scheduler.RegisterLogonTask(name, user, "C:\\Program Files\\Old\\zephyrnet.exe");
  if (first.outcome == TaskResult::Outcome::kUnavailable) {
    GTEST_SKIP() << "no Task Scheduler 2.0 on this system";
  }
  ASSERT_EQ(first.outcome, TaskResult::Outcome::kDone) << first.reason;
  const TaskResult second =
      scheduler.RegisterLogonTask(name, user, "C:\\Program Files\\R&D\\zephyrnet.exe");
  ASSERT_EQ(second.outcome, TaskResult::Outcome::kDone) << second.reason;
  // Wine keeps the task's settings but drops its trigger, principal and command (Wine 8), so
  // only the task itself is checked here, not what it would start.
  EXPECT_TRUE(std::ifstream(TaskFile(name)).good());
  const TaskResult deleted = scheduler.DeleteTask(name);
  EXPECT_EQ(deleted.outcome, TaskResult::Outcome::kDone) << deleted.reason;
  const TaskResult again = scheduler.DeleteTask(name);
  EXPECT_EQ(again.outcome, TaskResult::Outcome::kNotFound) << again.reason;
  EXPECT_FALSE(std::ifstream(TaskFile(name)).good());
}

}  // namespace
}  // namespace zephyr
