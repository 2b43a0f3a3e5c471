// The program as a user meets it: zephyrnet.exe started for real and driven through its windows
// by the automation contract (every window carries its name in the property "Name").
//
// It writes the program's settings and the Run entry, so it runs only where
// ZEPHYR_DISPOSABLE_REGISTRY says the registry is a throw-away one (the private Wine prefix).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "win32/automation_win32.h"

namespace {

using namespace zephyr::automation;

std::string ProgramFolder() {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, length);
  return path.substr(0, path.find_last_of("\\/"));
}

std::string ReadRegistryText(HKEY hive, const char* path, const char* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "(no key)";
  char data[512] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  const LONG status =
      RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? std::string(data) : "(no value)";
}

class RunningProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("ZEPHYR_DISPOSABLE_REGISTRY")) {
      GTEST_SKIP() << "changes the program's settings; runs only in the test Wine prefix";
    }
    process_ = Start();
    main_ = WaitFor([this] { return FindTop(process_.dwProcessId, "frmMain"); });
    ASSERT_TRUE(main_) << "no window named frmMain appeared";
  }
  void TearDown() override {
    if (process_.hProcess) {
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
      }
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
    }
  }

  static PROCESS_INFORMATION Start() {
    std::string commandLine = "\"" + ProgramFolder() + "\\zephyrnet.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    return process;
  }

  // Presses a button of the movie: on the screen shown now, or on the screen that `via` opens.
  void PressMovie(const std::string& command, const std::string& via = {}) {
    ASSERT_TRUE(PressMovieButton(main_, command, via))
        << "no visible movie button sends " << command << (via.empty() ? "" : " via " + via);
  }

  void ReturnHome() { PressMovie("IDC_FS_main"); }

  // The panel named `form` shown in the frame, the frame in front of the movie, at its size.
  void ExpectPanel(const std::string& form, int height) {
    HWND panel = WaitFor([&] { return FindVisible(main_, form); }, 5000);
    ASSERT_TRUE(panel) << form << " is not shown";
    HWND frame = GetParent(panel);
    EXPECT_EQ(NameOf(frame), "framChildWindow");
    HWND flash = FindNamed(main_, "flash");
    ASSERT_TRUE(flash);
    // The frame is above the movie: the movie comes later in the z-order.
    const auto movieBelow = [&] {
      for (HWND below = GetWindow(frame, GW_HWNDNEXT); below;
           below = GetWindow(below, GW_HWNDNEXT)) {
        if (below == flash) return true;
      }
      return false;
    };
    // The program raises and sizes the frame right after showing the panel; this process may
    // look in between.
    RECT rect;
    WaitFor([&]() -> HWND {
      GetWindowRect(frame, &rect);
      return rect.bottom - rect.top == height && movieBelow() ? frame : nullptr;
    }, 3000);
    EXPECT_EQ(rect.right - rect.left, 440) << form;
    EXPECT_EQ(rect.bottom - rect.top, height) << form;
    EXPECT_TRUE(movieBelow()) << form << ": the movie covers the frame";
    // No other panel is visible.
    for (const char* other : {"frmWizardMode", "frmNormalMode", "frmBackUp", "frmNetPingerSettings",
                              "frmSystemStatus", "frmRamConfiguration", "frmMainSettings"}) {
      if (form != other) EXPECT_FALSE(FindVisible(main_, other)) << other << " with " << form;
    }
  }

  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

TEST_F(RunningProgram, ASecondStartIsToldAndTheFirstKeepsRunning) {
  PROCESS_INFORMATION second = Start();
  const auto saysItRuns = [](HWND box) {
    for (HWND child : Descendants(box)) {
      char text[128] = {};
      GetWindowTextA(child, text, sizeof text);
      if (std::string(text) == "The program already opening") return true;
    }
    return false;
  };
  // The box is found once it is on screen with its text, not while it is being built.
  HWND box = WaitFor([&]() -> HWND {
    HWND found = FindTop(second.dwProcessId, "", "#32770");
    return found && IsWindowVisible(found) && saysItRuns(found) ? found : nullptr;
  });
  ASSERT_TRUE(box) << "the second start showed no message saying the program runs";
  char title[64] = {};
  GetWindowTextA(box, title, sizeof title);
  EXPECT_STREQ(title, "Zephyrnet");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(WaitForSingleObject(second.hProcess, 10000), WAIT_OBJECT_0);
  CloseHandle(second.hThread);
  CloseHandle(second.hProcess);
  EXPECT_EQ(WaitForSingleObject(process_.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(IsWindowVisible(main_));
}

TEST_F(RunningProgram, MovieButtonsShowEachPanelInTheFrameAtItsSize) {
  PressMovie("IDC_FS_settings");
  ExpectPanel("frmMainSettings", 245);
  PressMovie("IDC_FS_wizardMode", "network");
  ExpectPanel("frmWizardMode", 250);
  PressMovie("IDC_FS_normalMode");
  ExpectPanel("frmNormalMode", 252);
  PressMovie("IDC_FS_backupManger");
  ExpectPanel("frmBackUp", 246);
  PressMovie("IDC_FS_home");
  PressMovie("IDC_FS_pingSetting", "pinger");
  ExpectPanel("frmNetPingerSettings", 244);
  PressMovie("IDC_FS_home");
  PressMovie("IDC_FS_systemSatus", "memory");
  ExpectPanel("frmSystemStatus", 255);
  PressMovie("IDC_FS_ramConfig");
  ExpectPanel("frmRamConfiguration", 240);
  ReturnHome();
  EXPECT_TRUE(WaitFor([&]() -> HWND { return FindVisible(main_, "frmRamConfiguration") ? nullptr : main_; }));
}

TEST_F(RunningProgram, MainSettingsSavedThroughThePanelReachTheRegistry) {
  PressMovie("IDC_FS_settings");
  HWND panel = WaitFor([&] { return FindVisible(main_, "frmMainSettings"); });
  ASSERT_TRUE(panel);
  HWND box = FindNamed(panel, "chkRunMainProgram");
  HWND save = FindNamed(panel, "cmdSave");
  ASSERT_TRUE(box && save);
  EXPECT_FALSE(IsWindowEnabled(save));
  const bool wasChecked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
  SendMessageA(box, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&]() -> HWND { return IsWindowEnabled(save) ? save : nullptr; }, 3000));
  SendMessageA(save, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&]() -> HWND { return IsWindowEnabled(save) ? nullptr : save; }, 3000));

  const char* key = "SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\MainSettings";
  const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const std::string expectedEntry = "\"" + ProgramFolder() + "\\zephyrnet.exe\"";
  if (!wasChecked) {
    EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, key, "chkRunMainProgram"), "1");
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, run, "Zephyrnet"), expectedEntry);
  } else {
    EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, key, "chkRunMainProgram"), "0");
    EXPECT_EQ(ReadRegistryText(HKEY_CURRENT_USER, run, "Zephyrnet"), "(no value)");
  }
  EXPECT_EQ(ReadRegistryText(HKEY_LOCAL_MACHINE, key, "chkRunProgramMini"), "0");
  // Back as it was, so the test can run again.
  SendMessageA(box, BM_CLICK, 0, 0);
  SendMessageA(save, BM_CLICK, 0, 0);
}

TEST_F(RunningProgram, HidingToTheTrayAndALeftClickOnTheIconBringTheWindowBack) {
  PressMovie("IDC_FS_tray");
  ASSERT_TRUE(WaitFor([&]() -> HWND { return IsWindowVisible(main_) ? nullptr : main_; }));
  HWND tray = FindTop(process_.dwProcessId, "", "ZephyrnetTrayWindow");
  ASSERT_TRUE(tray) << "no tray window";
  // What the shell sends when the icon is clicked: the callback message, the mouse message in
  // lParam.
  PostMessageA(tray, WM_MOUSEMOVE, 1, WM_RBUTTONDOWN);
  Sleep(300);
  EXPECT_FALSE(IsWindowVisible(main_)) << "a right click does nothing";
  PostMessageA(tray, WM_MOUSEMOVE, 1, WM_LBUTTONDOWN);
  EXPECT_TRUE(WaitFor([&]() -> HWND { return IsWindowVisible(main_) ? main_ : nullptr; }, 5000));
}

TEST_F(RunningProgram, CloseEndsTheProgram) {
  PressMovie("IDC_FS_close");
  EXPECT_EQ(WaitForSingleObject(process_.hProcess, 10000), WAIT_OBJECT_0);
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(process_.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
