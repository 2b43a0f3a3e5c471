// The real Task Scheduler port on this system: under Wine (which reports itself as Windows 7 by
// default) a log-on task is registered, replaced and deleted through taskschd.dll's ITaskService.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/scheduler_win32.h"

namespace zephyr {
namespace {

// Where the scheduler keeps a task's definition, as Windows and Wine both do.
std::string TaskFile(const std::string& name) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return std::string(windows) + "\\System32\\Tasks\\" + name;
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
  std::ifstream file(TaskFile(name), std::ios::binary);
  if (file) {
    // The definition is UTF-16; its ASCII letters are every other byte.
    std::stringstream bytes;
    bytes << file.rdbuf();
    std::string text;
    for (const char c : bytes.str()) {
      if (c != '\0') text += c;
    }
    EXPECT_NE(text.find("R&amp;D\\zephyrnet.exe"), std::string::npos) << text;
    EXPECT_EQ(text.find("Old\\zephyrnet.exe"), std::string::npos);
  }
  EXPECT_EQ(scheduler.DeleteTask(name).outcome, TaskResult::Outcome::kDone);
  EXPECT_EQ(scheduler.DeleteTask(name).outcome, TaskResult::Outcome::kNotFound);
}

}  // namespace
}  // namespace zephyr
