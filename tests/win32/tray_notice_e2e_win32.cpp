// Starting in the tray as a user meets it: zephyrnet.exe started as Windows 98 or Windows XP
// (--as=win98 / --as=winxp) with "Run Program In system tray" saved. On Windows 98 the program's
// own balloon appears in the bottom-right corner and closes by itself after its 5 seconds; on
// Windows XP the tray icon's balloon is used and no window of the program's own appears. In both
// the main window stays hidden until the tray icon is clicked. With --screen=WIDTHxHEIGHT the run
// also checks that the display is that size, so the corner is checked on a screen other than
// the suite's usual 1024 x 768.
//
// The driver sets Wine's version for zephyrnet.exe and the setting before the start and puts both
// back afterwards; it runs only where ZEPHYR_DISPOSABLE_REGISTRY says the registry is a throw-away
// one (the private Wine prefix).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "win32/automation_win32.h"
#include "win32/program_under_test_win32.h"

namespace {

using namespace zephyr::automation;

std::string g_version = "win98";

constexpr char kSettingsKey[] = "SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\MainSettings";
constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\zephyrnet.exe";

bool NineX() { return g_version == "win95" || g_version == "win98" || g_version == "winme"; }

// The screen the run is meant for (--screen=WIDTHxHEIGHT), when it names one.
int g_screenWidth = 0;
int g_screenHeight = 0;

class StartInTray : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("ZEPHYR_DISPOSABLE_REGISTRY")) {
      GTEST_SKIP() << "changes the program's settings; runs only in the test Wine prefix";
    }
    saved_.emplace(std::vector<SavedRegistryValues::Value>{
        {HKEY_LOCAL_MACHINE, kSettingsKey, "chkRunProgramMini"},
        {HKEY_CURRENT_USER, kAppDefaults, "Version"}});
    WriteReal(HKEY_LOCAL_MACHINE, kSettingsKey, "chkRunProgramMini", SzValue("1"));
    WriteReal(HKEY_CURRENT_USER, kAppDefaults, "Version", SzValue(g_version), 0);
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    ASSERT_TRUE(program_.Prepare(std::string(test->name()) + "_" + g_version));
    ASSERT_TRUE(program_.Start());
    main_ = program_.Await("the main window frmMain",
                           [this] { return FindTop(program_.id(), "frmMain"); });
    ASSERT_TRUE(main_);
  }

  void TearDown() override {
    program_.End();
    saved_.reset();
    if (!program_.folder().empty()) {
      std::error_code error;
      std::filesystem::remove_all(program_.folder(), error);
    }
  }

  HWND VisibleBalloon() const {
    HWND balloon = FindTop(program_.id(), "msgFrm");
    return balloon && IsWindowVisible(balloon) ? balloon : nullptr;
  }

  // A left click on the tray icon, as the shell reports it, repeated past the icon's click latch
  // until the window shows.
  void ClickTrayIconUntilTheWindowShows() {
    HWND tray = FindTop(program_.id(), "", "ZephyrnetTrayWindow");
    ASSERT_TRUE(tray) << "no tray window";
    EXPECT_TRUE(program_.Await("frmMain shown after a left click on the tray icon", [&]() -> HWND {
      if (IsWindowVisible(main_)) return main_;
      PostMessageA(tray, WM_MOUSEMOVE, 1, WM_LBUTTONDOWN);
      return nullptr;
    }));
  }

  std::optional<SavedRegistryValues> saved_;
  ProgramUnderTest program_;
  HWND main_ = nullptr;
};

TEST_F(StartInTray, TheWindowStaysHiddenWithTheNoticeOfItsFamilyUntilTheIconIsClicked) {
  // The tray icon is in place once the start-up has run, and with it the decision.
  ASSERT_TRUE(program_.Await("the tray window", [&] {
    return FindTop(program_.id(), "", "ZephyrnetTrayWindow");
  }));
  if (NineX()) {
    HWND balloon = program_.Await("the balloon msgFrm", [&] { return VisibleBalloon(); });
    ASSERT_TRUE(balloon);
    const DWORD seen = GetTickCount();
    EXPECT_FALSE(IsWindowVisible(main_));
    EXPECT_TRUE(GetWindowLongA(balloon, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_NE(GetForegroundWindow(), balloon) << "the balloon does not take the focus";
    for (const auto& [name, text] : {std::pair{"aTitle", "Program notification"},
                                     std::pair{"aMsg", "The Program Still Running Here"}}) {
      HWND label = FindNamed(balloon, name);
      ASSERT_TRUE(label) << name;
      EXPECT_EQ(TextOfWindow(label), text);
    }
    EXPECT_TRUE(FindNamed(balloon, "Command1"));

    // At x = screen width - 40 and y = screen height, so it ends at the screen's bottom edge and
    // reaches two pixels past the right one, outside its shaped region. The screen is the
    // display's own mode: under Wine a program joins the desktop of the display its session
    // started on, whose size it then reports as the screen's.
    RECT rect{};
    GetWindowRect(balloon, &rect);
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode));
    const int width = static_cast<int>(mode.dmPelsWidth);
    const int height = static_cast<int>(mode.dmPelsHeight);
    if (g_screenWidth != 0) {
      ASSERT_EQ(width, g_screenWidth) << "the run is meant for a screen of " << g_screenWidth
                                      << " x " << g_screenHeight;
      ASSERT_EQ(height, g_screenHeight);
    }
    const std::string placed = "balloon (" + std::to_string(rect.left) + ", " +
                             std::to_string(rect.top) + ")-(" + std::to_string(rect.right) +
                             ", " + std::to_string(rect.bottom) + "), screen " +
                             std::to_string(width) + " x " + std::to_string(height) +
                             ", the desktop's metrics " +
                             std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " x " +
                             std::to_string(GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(rect.right, width + 2) << placed;
    EXPECT_EQ(rect.bottom, height) << placed;
    EXPECT_GT(rect.left, width / 2) << placed;
    EXPECT_GT(rect.top, height / 2) << placed;

    ASSERT_TRUE(program_.Await("the balloon closed by itself", [&]() -> HWND {
      return IsWindow(balloon) ? nullptr : main_;
    }));
    EXPECT_GE(GetTickCount() - seen, 4000u) << "closes after its 5 seconds, not at once";
    EXPECT_EQ(WaitForSingleObject(program_.handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the program keeps running";
    EXPECT_FALSE(IsWindowVisible(main_));
  } else {
    EXPECT_FALSE(IsWindowVisible(main_));
    EXPECT_FALSE(FindTop(program_.id(), "msgFrm")) << "the NT family uses the tray's balloon";
  }
  ClickTrayIconUntilTheWindowShows();
  EXPECT_FALSE(FindTop(program_.id(), "msgFrm"));
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--as=", 5) == 0) g_version = argv[i] + 5;
    int width = 0;
    int height = 0;
    if (std::sscanf(argv[i], "--screen=%dx%d", &width, &height) == 2) {
      g_screenWidth = width;
      g_screenHeight = height;
    }
  }
  return RUN_ALL_TESTS();
}
