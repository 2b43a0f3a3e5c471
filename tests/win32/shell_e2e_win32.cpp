// The program as a user meets it: zephyrnet.exe started for real and driven through its windows
// by the automation contract (every window carries its name in the property "Name").
//
// Each test starts the program from a fresh folder of its own and puts back the settings and the
// Run entry it may change. It writes them to the real registry, so it runs only where
// ZEPHYR_DISPOSABLE_REGISTRY says the registry is a throw-away one (the private Wine prefix).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/scheduler_win32.h"
#include "win32/automation_win32.h"
#include "win32/program_under_test_win32.h"

namespace {

using namespace zephyr::automation;

constexpr char kSettingsKey[] = "SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\MainSettings";
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RunningProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("ZEPHYR_DISPOSABLE_REGISTRY")) {
      GTEST_SKIP() << "changes the program's settings; runs only in the test Wine prefix";
    }
    saved_.emplace(std::vector<SavedRegistryValues::Value>{
        {HKEY_LOCAL_MACHINE, kSettingsKey, "chkRunMainProgram"},
        {HKEY_LOCAL_MACHINE, kSettingsKey, "chkRunProgramMini"},
        {HKEY_CURRENT_USER, kRunKey, "Zephyrnet"}});
    ASSERT_TRUE(program_.Prepare(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    ASSERT_TRUE(program_.Start());
    main_ = Await("the main window frmMain", [this] { return FindTop(program_.id(), "frmMain"); });
    ASSERT_TRUE(main_);
  }
  void TearDown() override {
    program_.End();
    saved_.reset();
    // The log-on task an elevated program on Vista and later makes instead of the Run entry.
    zephyr::SchedulerWin32 scheduler;
    scheduler.DeleteTask(zephyr::LogonTaskName(scheduler.CurrentUser()));
    if (!program_.folder().empty()) {
      std::error_code error;
      std::filesystem::remove_all(program_.folder(), error);
    }
  }

  HWND Await(const std::string& what, const std::function<HWND()>& found) const {
    return program_.Await(what, found);
  }

  // Presses a button of the movie: on the screen shown now, or on the screen that `via` opens.
  void PressMovie(const std::string& command, const std::string& via = {}) {
    ASSERT_TRUE(PressMovieButton(main_, command, via))
        << "no visible movie button sends " << command << (via.empty() ? "" : " via " + via);
  }

  void ReturnHome() { PressMovie("IDC_FS_main"); }

  // The panel named `form` shown in the frame, the frame in front of the movie, at its size.
  void ExpectPanel(const std::string& form, int height) {
    HWND panel = Await("the panel " + form, [&] { return FindVisible(main_, form); });
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
    });
    EXPECT_EQ(rect.right - rect.left, 440) << form;
    EXPECT_EQ(rect.bottom - rect.top, height) << form;
    EXPECT_TRUE(movieBelow()) << form << ": the movie covers the frame";
    // No other panel is visible.
    for (const char* other : {"frmWizardMode", "frmNormalMode", "frmBackUp", "frmNetPingerSettings",
                              "frmSystemStatus", "frmRamConfiguration", "frmMainSettings"}) {
      if (form != other) {
        EXPECT_FALSE(FindVisible(main_, other)) << other << " with " << form;
      }
    }
  }

  std::optional<SavedRegistryValues> saved_;
  ProgramUnderTest program_;
  HWND main_ = nullptr;
};

TEST_F(RunningProgram, ASecondStartIsToldAndTheFirstKeepsRunning) {
  PROCESS_INFORMATION second{};
  ASSERT_TRUE(program_.Start(&second));
  const auto saysItRuns = [](HWND box) {
    for (HWND child : Descendants(box)) {
      char text[128] = {};
      GetWindowTextA(child, text, sizeof text);
      if (std::string(text) == "The program already opening") return true;
    }
    return false;
  };
  // The box is found once it is on screen with its text, not while it is being built.
  HWND box = Await("the second start's message saying the program runs", [&]() -> HWND {
    HWND found = FindTop(second.dwProcessId, "", "#32770");
    return found && IsWindowVisible(found) && saysItRuns(found) ? found : nullptr;
  });
  if (!box) ADD_FAILURE() << "the second start shows:" << DescribeWindows(second.dwProcessId);
  char title[64] = {};
  GetWindowTextA(box, title, sizeof title);
  EXPECT_STREQ(title, "Zephyrnet");
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(WaitForSingleObject(second.hProcess, kWaitLimitMs), WAIT_OBJECT_0);
  CloseHandle(second.hThread);
  CloseHandle(second.hProcess);
  EXPECT_EQ(WaitForSingleObject(program_.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
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
  ExpectPanel("frmNetPingerSettings", 340);
  PressMovie("IDC_FS_home");
  PressMovie("IDC_FS_systemSatus", "memory");
  ExpectPanel("frmSystemStatus", 255);
  PressMovie("IDC_FS_ramConfig");
  ExpectPanel("frmRamConfiguration", 255);
  ReturnHome();
  EXPECT_TRUE(Await("frmRamConfiguration hidden", [&]() -> HWND {
    return FindVisible(main_, "frmRamConfiguration") ? nullptr : main_;
  }));
}

TEST_F(RunningProgram, MainSettingsSavedThroughThePanelReachTheRegistry) {
  PressMovie("IDC_FS_settings");
  HWND panel = Await("the panel frmMainSettings", [&] { return FindVisible(main_, "frmMainSettings"); });
  ASSERT_TRUE(panel);
  HWND box = FindNamed(panel, "chkRunMainProgram");
  HWND save = FindNamed(panel, "cmdSave");
  ASSERT_TRUE(box && save);
  EXPECT_FALSE(IsWindowEnabled(save));
  const bool wasChecked = SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
  SendMessageA(box, BM_CLICK, 0, 0);
  ASSERT_TRUE(Await("cmdSave enabled", [&]() -> HWND { return IsWindowEnabled(save) ? save : nullptr; }));
  SendMessageA(save, BM_CLICK, 0, 0);
  ASSERT_TRUE(Await("cmdSave disabled", [&]() -> HWND { return IsWindowEnabled(save) ? nullptr : save; }));

  const char* key = kSettingsKey;
  const char* run = kRunKey;
  const std::string expectedEntry = "\"" + program_.exe() + "\"";
  if (!wasChecked) {
    EXPECT_EQ(ReadRealText(HKEY_LOCAL_MACHINE, key, "chkRunMainProgram"), "1");
    // Elevated on Vista and later the program starts through its log-on task instead.
    zephyr::SchedulerWin32 scheduler;
    if (scheduler.NeedsLogonTask()) {
      EXPECT_EQ(ReadRealText(HKEY_CURRENT_USER, run, "Zephyrnet"), "(no value)");
      EXPECT_EQ(scheduler.DeleteTask(zephyr::LogonTaskName(scheduler.CurrentUser())).outcome,
                zephyr::TaskResult::Outcome::kDone);
    } else {
      EXPECT_EQ(ReadRealText(HKEY_CURRENT_USER, run, "Zephyrnet"), expectedEntry);
    }
  } else {
    EXPECT_EQ(ReadRealText(HKEY_LOCAL_MACHINE, key, "chkRunMainProgram"), "0");
    EXPECT_EQ(ReadRealText(HKEY_CURRENT_USER, run, "Zephyrnet"), "(no value)");
  }
  EXPECT_EQ(ReadRealText(HKEY_LOCAL_MACHINE, key, "chkRunProgramMini"), "0");
}

TEST_F(RunningProgram, HidingToTheTrayAndALeftClickOnTheIconBringTheWindowBack) {
  PressMovie("IDC_FS_tray");
  ASSERT_TRUE(Await("frmMain hidden", [&]() -> HWND { return IsWindowVisible(main_) ? nullptr : main_; }));
  HWND tray = FindTop(program_.id(), "", "ZephyrnetTrayWindow");
  ASSERT_TRUE(tray) << "no tray window";
  // What the shell sends when the icon is clicked: the callback message, the mouse message in
  // lParam. Sent, not posted: when the call returns the program has handled the click.
  SendMessageA(tray, WM_MOUSEMOVE, 1, WM_RBUTTONDOWN);
  EXPECT_FALSE(IsWindowVisible(main_)) << "a right click does nothing";
  // The icon ignores a click that comes within its short latch after another, as for a user, so
  // the left click is repeated until the window shows.
  EXPECT_TRUE(Await("frmMain shown again after a left click on the icon", [&]() -> HWND {
    if (IsWindowVisible(main_)) return main_;
    PostMessageA(tray, WM_MOUSEMOVE, 1, WM_LBUTTONDOWN);
    return nullptr;
  }));
}

TEST_F(RunningProgram, CloseEndsTheProgram) {
  PressMovie("IDC_FS_close");
  EXPECT_TRUE(program_.AwaitExit());
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(program_.handle(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
