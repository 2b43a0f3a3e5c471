// zephyrnet.exe as the end-to-end tests run it: from an application folder of its own (so its
// Backups folder and files start empty every time), inside a job object (so it ends with the
// driver even when the driver itself is killed), and ended by its process id when the test ends,
// however the test ended. Waits go through Await, which reports what it waited for and what the
// program showed instead.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "win32/automation_win32.h"
#include "win32/real_registry_win32.h"

namespace zephyr::automation {

inline std::string TextOfWindow(HWND hwnd) {
  char text[256] = {};
  SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 1000, nullptr);
  return text;
}

// What the process shows now: each visible top-level window with its name or class and text,
// the visible forms inside it, and the texts of a message box. For the report of a failed wait.
inline std::string DescribeWindows(DWORD processId) {
  std::vector<HWND> tops;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&tops));
  std::string seen;
  for (HWND top : tops) {
    DWORD owner = 0;
    GetWindowThreadProcessId(top, &owner);
    if (owner != processId || !IsWindowVisible(top)) continue;
    char windowClass[64] = {};
    GetClassNameA(top, windowClass, sizeof windowClass);
    const std::string name = NameOf(top);
    seen += "\n  [" + (name.empty() ? std::string(windowClass) : name) + "] \"" +
            TextOfWindow(top) + "\"";
    for (HWND child : Descendants(top)) {
      if (!IsWindowVisible(child)) continue;
      const std::string childName = NameOf(child);
      if (childName.rfind("frm", 0) == 0) seen += " " + childName;
      if (std::string(windowClass) == "#32770") {
        const std::string text = TextOfWindow(child);
        if (!text.empty()) seen += " \"" + text + "\"";
      }
    }
  }
  return seen.empty() ? "\n  no visible window" : seen;
}

class ProgramUnderTest {
 public:
  static constexpr DWORD kSlowWaitMs = 2000;

  ProgramUnderTest() = default;
  ProgramUnderTest(const ProgramUnderTest&) = delete;
  ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;
  ~ProgramUnderTest() { End(); }

  // Makes the application folder `name` beside the driver afresh, removing whatever an earlier
  // run that was interrupted left there, and copies the program and its files into it.
  ::testing::AssertionResult Prepare(const std::string& name) {
    namespace fs = std::filesystem;
    folder_ = DriverFolder() + "\\e2e\\" + name;
    std::error_code error;
    fs::remove_all(folder_, error);
    if (error) return ::testing::AssertionFailure() << "cannot empty " << folder_;
    fs::create_directories(folder_, error);
    for (const char* file : {"zephyrnet.exe", "speed up.swf", "RZephyrnetMask.skn", "Ping.wav"}) {
      fs::copy_file(fs::path(DriverFolder()) / file, fs::path(folder_) / file, error);
      if (error) return ::testing::AssertionFailure() << "cannot copy " << file << " into " << folder_;
    }
    return ::testing::AssertionSuccess();
  }

  const std::string& folder() const { return folder_; }
  std::string exe() const { return folder_ + "\\zephyrnet.exe"; }
  DWORD id() const { return process_.dwProcessId; }
  HANDLE handle() const { return process_.hProcess; }

  // Starts the prepared copy; `process` receives one more start of it (the first one is kept).
  ::testing::AssertionResult Start(PROCESS_INFORMATION* process = nullptr) {
    if (!job_) {
      job_ = CreateJobObjectA(nullptr, nullptr);
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      if (job_) {
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
      }
    }
    PROCESS_INFORMATION started{};
    std::string commandLine = "\"" + exe() + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, folder_.c_str(), &startup, &started)) {
      return ::testing::AssertionFailure() << "cannot start " << commandLine << ": error "
                                           << GetLastError();
    }
    if (job_) AssignProcessToJobObject(job_, started.hProcess);
    ResumeThread(started.hThread);
    if (process) {
      *process = started;
    } else {
      process_ = started;
    }
    return ::testing::AssertionSuccess();
  }

  // Ends the program by its process id, message boxes and all, if it still runs.
  void End() {
    if (process_.hProcess) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, kWaitLimitMs);
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
      process_ = {};
    }
    if (job_) {
      CloseHandle(job_);
      job_ = nullptr;
    }
  }

  // Waits for `found` to give a window; when the wait runs out the test fails with what it waited
  // for and what the program showed instead.
  // A wait that is met but took long is noted, to tell a slow program from a short wait.
  HWND Await(const std::string& what, const std::function<HWND()>& found) const {
    const DWORD start = GetTickCount();
    if (HWND hwnd = WaitFor(found)) {
      const DWORD took = GetTickCount() - start;
      if (took >= kSlowWaitMs) std::fprintf(stderr, "note: %lu ms for %s\n", took, what.c_str());
      return hwnd;
    }
    ADD_FAILURE() << "waited " << kWaitLimitMs / 1000 << " s for " << what
                  << "; the program shows instead:" << DescribeWindows(id());
    return nullptr;
  }

  // Waits for the program to end.
  bool AwaitExit() const { return WaitForSingleObject(handle(), kWaitLimitMs) == WAIT_OBJECT_0; }

 private:
  std::string folder_;
  PROCESS_INFORMATION process_{};
  HANDLE job_ = nullptr;
};

}  // namespace zephyr::automation
