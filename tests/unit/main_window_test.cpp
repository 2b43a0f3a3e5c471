// The program shell: start-up, the movie's commands, and which panel is on screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_settings_form.h"
#include "app/main_window.h"
#include "app/system_shortcuts.h"
#include "fakes/fake_program.h"
#include "fakes/fake_notification_area.h"
#include "platform/registry.h"

namespace zephyr::testing {
namespace {

using Lines = std::vector<std::string>;

// Every port faked; the program started as WinMain starts it.
class ProgramTest : public ::testing::Test, protected FakePorts {
 protected:
  ProgramTest() {
    system.SetVersion(kVerPlatformWin32Nt, 5, 1);
    program.AttachHost(&host);
  }

  // The panels a user can see: visible, with the frame in front of the movie.
  Lines VisiblePanels() {
    Lines visible;
    if (program.mainWindow().MovieInFront()) return visible;
    for (const PanelInfo& info : kPanels) {
      if (program.PanelExists(info.id) && program.Panel(info.id).Visible()) {
        visible.emplace_back(info.formName);
      }
    }
    return visible;
  }
  ui::Rect Frame() { return program.mainWindow().framChildWindow.Bounds(); }

  FakeMainWindowHost host;
  Program program{ports(), {"C:\\Program Files\\Zephyr Net", "zephyrnet", {}}};
};

TEST_F(ProgramTest, StartsWithTheMovieInFrontItsVersionAndTheStartupPanels) {
  ASSERT_TRUE(program.Start());
  MainWindow& window = program.mainWindow();
  EXPECT_TRUE(window.MovieInFront());
  EXPECT_EQ(window.flash.Bounds(), (ui::Rect{0, 0, 724, 540}));
  EXPECT_EQ(window.flash.GetVariable("_root.version").rfind("1.0.0.", 0), 0u);
  EXPECT_EQ(window.flash.MoviePath(0),
            "C:\\Program Files\\Zephyr Net\\speed up.swf");
  EXPECT_EQ(program.os().code, kOsWindowsXp);
  EXPECT_EQ(program.presets()[0].MTU, 576);
  for (PanelId id : kStartupOrder) EXPECT_TRUE(program.PanelExists(id));
  EXPECT_FALSE(program.PanelExists(PanelId::kNormalMode)) << "made when the movie asks for it";
  EXPECT_TRUE(window.Visible());
  EXPECT_TRUE(VisiblePanels().empty());
}

TEST_F(ProgramTest, ASecondInstanceIsToldAndCreatesNothing) {
  system.mutexes.insert("QvZephyrnet");
  EXPECT_FALSE(program.Start());
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, "The program already opening");
  EXPECT_EQ(dialogs.shown[0].title, "Zephyrnet");
  EXPECT_EQ(dialogs.shown[0].flags, kMbOk);
  EXPECT_EQ(registry.Dump(), FakeRegistry().Dump());
}

TEST_F(ProgramTest, EachPanelCommandShowsExactlyThatPanelInItsFrameSize) {
  ASSERT_TRUE(program.Start());
  const struct {
    const char* command;
    const char* form;
    int height;
  } rows[] = {
      {"IDC_FS_settings", "frmMainSettings", 245},   {"IDC_FS_wizardMode", "frmWizardMode", 250},
      {"IDC_FS_normalMode", "frmNormalMode", 252},   {"IDC_FS_backupManger", "frmBackUp", 246},
      {"IDC_FS_pingSetting", "frmNetPingerSettings", 340},
      {"IDC_FS_systemSatus", "frmSystemStatus", 255}, {"IDC_FS_ramConfig", "frmRamConfiguration", 255},
  };
  for (const auto& row : rows) {
    program.OnCommand(row.command);
    EXPECT_EQ(VisiblePanels(), Lines{row.form}) << row.command;
    EXPECT_EQ(Frame().width, 440) << row.command;
    EXPECT_EQ(Frame().height, row.height) << row.command;
    // Each panel's own form is as high as the frame that shows it.
    ASSERT_TRUE(program.CurrentPanel().has_value());
    EXPECT_EQ(program.Panel(*program.CurrentPanel()).Bounds().height, row.height) << row.form;
    EXPECT_EQ(host.placed.back(), row.form);
    // The table that drivers show panels by names the same command.
    const auto info = std::find_if(kPanels.begin(), kPanels.end(), [&row](const PanelInfo& p) {
      return p.formName == row.form;
    });
    ASSERT_NE(info, kPanels.end()) << row.form;
    EXPECT_EQ(ShowCommandOf(info->id), row.command);
  }
  EXPECT_EQ(std::size(rows), kPanels.size());
  // The buttons beneath the movie show panels too, without resizing the frame.
  program.mainWindow().cmdRamBooster(1).Click.Raise();
  EXPECT_EQ(VisiblePanels(), Lines{"frmSystemStatus"});
  EXPECT_EQ(Frame().height, 255);
}

TEST_F(ProgramTest, CommandsThatBringTheMovieForwardKeepOrHideThePanel) {
  ASSERT_TRUE(program.Start());
  program.OnCommand("IDC_FS_settings");
  program.OnCommand("IDC_FS_home");
  EXPECT_TRUE(VisiblePanels().empty());
  EXPECT_TRUE(program.Panel(PanelId::kMainSettings).Visible()) << "covered, not hidden";
  program.OnCommand("IDC_FS_main");
  EXPECT_FALSE(program.Panel(PanelId::kMainSettings).Visible());

  program.OnCommand("IDC_FS_wizardMode");
  program.OnCommand("IDC_FS_hide");
  EXPECT_TRUE(program.Panel(PanelId::kWizardMode).Visible());
  EXPECT_TRUE(program.mainWindow().MovieInFront());
  program.OnCommand("IDC_FS_sysSettingClicked");
  EXPECT_FALSE(program.Panel(PanelId::kWizardMode).Visible());
}

TEST_F(ProgramTest, ClosingTheAboutScreenBringsBackOnlyThePanelThatWasShown) {
  ASSERT_TRUE(program.Start());
  program.OnCommand("IDC_FS_pingSetting");
  program.OnCommand("IDC_FS_about");
  EXPECT_TRUE(program.mainWindow().MovieInFront());
  for (const PanelInfo& info : kPanels) EXPECT_FALSE(program.Panel(info.id).Visible());
  program.OnCommand("IDC_FS_closeAbout");
  EXPECT_TRUE(program.mainWindow().MovieInFront()) << "the movie stays in front";
  for (const PanelInfo& info : kPanels) {
    EXPECT_EQ(program.Panel(info.id).Visible(), info.id == PanelId::kNetPingerSettings)
        << info.formName;
  }
  // With no panel on screen before, nothing comes back: panels never placed in the frame would
  // pop out as windows of their own.
  program.OnCommand("IDC_FS_main");
  program.OnCommand("IDC_FS_about");
  program.OnCommand("IDC_FS_closeAbout");
  for (const PanelInfo& info : kPanels) EXPECT_FALSE(program.Panel(info.id).Visible());
}

TEST_F(ProgramTest, TheAdvancedModeIsMadeAfreshEachTimeTheMovieOpensIt) {
  ASSERT_TRUE(program.Start());
  program.OnCommand("IDC_FS_normalMode");
  ui::Form* first = &program.Panel(PanelId::kNormalMode);
  first->SetCaption("moved on");
  program.OnCommand("IDC_FS_normalMode");
  EXPECT_EQ(host.released, Lines{"frmNormalMode"});
  EXPECT_EQ(program.Panel(PanelId::kNormalMode).Caption(), "Advanced Mode");
  EXPECT_EQ(VisiblePanels(), Lines{"frmNormalMode"});
  // The button beneath the movie shows it as it is, without a reload.
  program.Panel(PanelId::kNormalMode).SetCaption("kept");
  program.mainWindow().cmdZephyrnet(2).Click.Raise();
  EXPECT_EQ(program.Panel(PanelId::kNormalMode).Caption(), "kept");
}

TEST_F(ProgramTest, CommandsMatchExactlyAndTheRestGoToTheirPlaces) {
  ASSERT_TRUE(program.Start());
  for (const char* ignored : {"idc_fs_close", "IDC_FS_CLOSE", "IDC_FS_close ", "", "drag"}) {
    program.OnCommand(ignored);
  }
  EXPECT_TRUE(host.calls.empty());
  EXPECT_TRUE(shell.calls.empty());

  program.OnCommand("Drag", "whatever");
  program.OnCommand("IDC_FS_minimize");
  program.OnCommand("IDC_FS_help");
  program.OnCommand("IDC_FS_internetProperties");
  program.OnCommand("IDC_FS_systemSetting");
  program.OnCommand("IDC_FS_modemSetting");
  program.OnCommand("IDC_FS_networkSetting");
  EXPECT_EQ(host.calls, (Lines{"drag", "minimize"}));
  ASSERT_EQ(shell.opened.size(), 1u);
  EXPECT_EQ(shell.opened[0].file, "C:\\Program Files\\Zephyr Net\\ZephyrnetHelp.chm");
  EXPECT_EQ(shell.opened[0].directory, "C:\\");
  EXPECT_EQ(shell.opened[0].showCommand, 1);
  EXPECT_EQ(shell.opened[0].owner, 0x1234u);
  EXPECT_EQ(shell.started.size(), 4u);
  EXPECT_EQ(shell.started[3].commandLine, "rundll32.exe shell32.dll,Control_RunDLL ncpa.cpl");

  program.OnCommand("IDC_FS_tray");
  EXPECT_FALSE(program.mainWindow().Visible());
}

TEST_F(ProgramTest, CloseUnloadsThePanelsAndEnds_RestartAsksForAReboot) {
  ASSERT_TRUE(program.Start());
  program.OnCommand("IDC_FS_close");
  EXPECT_EQ(host.calls, Lines{"end"});
  for (const PanelInfo& info : kPanels) EXPECT_FALSE(program.PanelExists(info.id));

  FakeMainWindowHost other;
  program.AttachHost(&other);
  program.Panel(PanelId::kWizardMode);
  program.OnCommand("IDC_FS_restart");
  EXPECT_EQ(shell.calls, (Lines{"privilege", "exit 2 4294967295"}));
  EXPECT_EQ(other.calls, Lines{"end"}) << "a granted restart ends the program";
  EXPECT_FALSE(program.PanelExists(PanelId::kWizardMode));
}

TEST_F(ProgramTest, ARefusedRestartIsToldAndLeavesTheProgramAsItWas) {
  FakeNotificationArea area;
  ui::Tray tray(area, timers, {.hwnd = 0x99});
  program.AttachTray(&tray);
  ASSERT_TRUE(program.Start());
  program.OnCommand("IDC_FS_settings");
  const ui::Form* settings = &program.Panel(PanelId::kMainSettings);
  shell.grantEndSession = false;

  program.OnCommand("IDC_FS_restart");
  EXPECT_EQ(shell.calls, (Lines{"privilege", "exit 2 4294967295"}));
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].text, kRestartRefusedMessage);
  EXPECT_TRUE(host.calls.empty());
  for (PanelId id : kStartupOrder) EXPECT_TRUE(program.PanelExists(id));
  EXPECT_EQ(&program.Panel(PanelId::kMainSettings), settings);
  EXPECT_EQ(VisiblePanels(), Lines{"frmMainSettings"});
  // The icon stays, and comes back when Explorer starts afresh.
  EXPECT_TRUE(tray.IsVisible());
  area.RestartTaskbar();
  tray.TaskbarCreated();
  EXPECT_EQ(area.IconCount(), 1u);
}

TEST_F(ProgramTest, GroupHeaderButtonsOnlySayTheyAreNotHandled) {
  ASSERT_TRUE(program.Start());
  MainWindow& window = program.mainWindow();
  window.cmdZephyrnet(0).Click.Raise();
  window.cmdNetPinger(0).Click.Raise();
  window.cmdRamBooster(0).Click.Raise();
  window.cmdSystemSettings(0).Click.Raise();
  ASSERT_EQ(dialogs.shown.size(), 4u);
  EXPECT_EQ(dialogs.shown[0].text, "Nothandeled");
  EXPECT_EQ(dialogs.shown[1].text, "Nothandeled");
  EXPECT_EQ(dialogs.shown[2].text, "Not handeled yet");
  EXPECT_EQ(dialogs.shown[3].text, "Not handeled");
  for (const auto& shown : dialogs.shown) EXPECT_EQ(shown.title, "Zephyrnet");
  EXPECT_TRUE(VisiblePanels().empty());
}

TEST_F(ProgramTest, TheTrayIconComesAndGoesWithTheProgramAndBringsTheWindowBack) {
  FakeNotificationArea area;
  ui::Tray tray(area, timers, {.hwnd = 0x99});
  program.AttachTray(&tray);
  ASSERT_TRUE(program.Start());
  EXPECT_TRUE(tray.IsVisible());
  ASSERT_FALSE(area.calls.empty());
  EXPECT_EQ(area.calls[0].message, kNimAdd);

  program.OnCommand("IDC_FS_tray");
  EXPECT_FALSE(program.mainWindow().Visible());
  ASSERT_EQ(area.balloons.size(), 1u);
  EXPECT_EQ(area.balloons[0].title, "Program notification");
  EXPECT_EQ(area.balloons[0].text, "The Program Still Running Here");

  tray.HandleCallback(ui::kWmRButtonDown);
  EXPECT_FALSE(program.mainWindow().Visible()) << "a right click does nothing";
  timers.Advance(20);
  tray.HandleCallback(ui::kWmLButtonDown);
  EXPECT_TRUE(program.mainWindow().Visible());

  program.OnCommand("IDC_FS_close");
  EXPECT_FALSE(tray.IsVisible());
  EXPECT_EQ(area.calls.back().message, kNimDelete);
}

// Start-up: the presets and the tray icon before the panels, the panels in their order, and every
// enabled timer of every panel running whether it is shown or not.
TEST_F(ProgramTest, StartUpBringsUpPresetsTrayAndPanelsInOrderWithTheirTimersRunning) {
  FakeNotificationArea area;
  ui::Tray tray(area, timers, {.hwnd = 0x99});
  program.AttachTray(&tray);
  registry.PutString(kHKeyLocalMachine,
                     std::string(kSettingsRootKey) + std::string(kNetPingerSubkey),
                     "chkDoPinging", "1");
  std::vector<PanelId> made;
  program.SetPanelFactory([&](Program& owner, PanelId id) {
    EXPECT_TRUE(tray.IsVisible()) << "the icon goes into the tray first";
    EXPECT_EQ(owner.presets()[0].MTU, 576) << "the presets come before the panels";
    made.push_back(id);
    return DefaultPanels()(owner, id);
  });
  ASSERT_TRUE(program.Start());
  EXPECT_EQ(made, std::vector<PanelId>(kStartupOrder.begin(), kStartupOrder.end()));
  std::size_t running = 0;
  for (PanelId id : kStartupOrder) {
    ui::Form& panel = program.Panel(id);
    EXPECT_TRUE(panel.Loaded()) << InfoOf(id).formName;
    for (ui::Control* control : panel.Controls()) {
      if (control->Kind() != ui::ControlKind::kTimer) continue;
      auto& timer = static_cast<ui::Timer&>(*control);
      if (!timer.Enabled() || timer.Interval() == 0) continue;
      EXPECT_TRUE(timers.IsRunning(timer)) << InfoOf(id).formName << "." << timer.Name();
      ++running;
    }
  }
  EXPECT_GE(running, 1u) << "the pinger's timer at least";
}

// The window's own start paints the menu between the two steps: the first makes no panel and
// puts nothing into the tray; the start-in-tray setting is known before either.
TEST_F(ProgramTest, TheFirstStartStepMakesNoPanelAndTheSecondMakesThemAll) {
  FakeNotificationArea area;
  ui::Tray tray(area, timers, {.hwnd = 0x99});
  program.AttachTray(&tray);
  std::vector<PanelId> made;
  program.SetPanelFactory([&](Program& owner, PanelId id) {
    made.push_back(id);
    return DefaultPanels()(owner, id);
  });
  const std::string key = std::string(kSettingsRootKey) + std::string(kMainSettingsSubkey);
  for (const char* stored : {"0", "2", "x"}) {
    registry.PutString(kHKeyLocalMachine, key, "chkRunProgramMini", stored);
    EXPECT_FALSE(program.StartsInTray()) << stored;
  }
  registry.PutString(kHKeyLocalMachine, key, "chkRunProgramMini", "1");
  EXPECT_TRUE(program.StartsInTray());
  registry.PutString(kHKeyLocalMachine, key, "chkRunProgramMini", "0");
  int searches = 0;
  program.SetDataFolderSearch([&] {
    ++searches;
    return std::string("C:\\Data\\Zephyrnet");
  });

  ASSERT_TRUE(program.BeginStart());
  EXPECT_TRUE(made.empty());
  EXPECT_FALSE(tray.IsVisible());
  EXPECT_TRUE(program.mainWindow().Loaded());
  program.FinishStart();
  EXPECT_EQ(made, std::vector<PanelId>(kStartupOrder.begin(), kStartupOrder.end()));
  EXPECT_TRUE(tray.IsVisible());
  EXPECT_TRUE(program.mainWindow().Visible());
  EXPECT_EQ(searches, 0) << "the data folder is searched for when a backup needs it";
  program.BackupFolders();
  EXPECT_EQ(program.DataFolder(), "C:\\Data\\Zephyrnet");
  EXPECT_EQ(searches, 1);
}

// The real window's part for the ends: which panels went, and whether the icon was still in the
// tray when the process ended.
class EndRecordingHost final : public MainWindowHost {
 public:
  explicit EndRecordingHost(ui::Tray& tray) : tray_(tray) {}
  Lines events;
  void PlacePanel(ui::Form&) override {}
  void ReleasePanel(ui::Form& panel) override { events.push_back(panel.Name()); }
  void Minimize() override {}
  void DragWindow() override {}
  void EndProgram() override { events.push_back(tray_.IsVisible() ? "end with the icon" : "end"); }
  std::uintptr_t WindowHandle() const override { return 0; }

 private:
  ui::Tray& tray_;
};

TEST_F(ProgramTest, EveryEndUnloadsThePanelsInOrderAndTakesTheIconOutFirst) {
  const auto ending = [](const auto& order) {
    Lines lines;
    for (PanelId id : order) lines.emplace_back(InfoOf(id).formName);
    lines.emplace_back("end");
    return lines;
  };
  const struct {
    const char* how;
    bool advancedShown;
    Lines expected;
  } rows[] = {
      // The advanced mode, never shown, is created to be unloaded.
      {"unload", false, ending(kUnloadOrder)},
      {"IDC_FS_close", true, ending(kCloseOrder)},
      {"IDC_FS_restart", true, ending(kUnloadOrder)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.how);
    system.mutexes.clear();
    FakeNotificationArea area;
    ui::Tray tray(area, timers, {.hwnd = 0x99});
    EndRecordingHost recorder(tray);
    Program ended(ports(), {"C:\\Zephyr", "zephyrnet", {}});
    ended.AttachHost(&recorder);
    ended.AttachTray(&tray);
    ASSERT_TRUE(ended.Start());
    if (row.advancedShown) ended.OnCommand("IDC_FS_normalMode");
    recorder.events.clear();
    if (std::string(row.how) == "unload") {
      ended.mainWindow().Unload();
    } else {
      ended.OnCommand(row.how);
    }
    EXPECT_EQ(recorder.events, row.expected);
    EXPECT_EQ(area.calls.back().message, kNimDelete);
  }
}

// Starting in the tray: the program's own balloon on the 9x family (and on a Windows it does not
// know, code 1), the tray's balloon on the NT family; a left click on the icon brings the window
// back in both.
TEST(ProgramTray, StartingInTheTrayShowsTheOwnBalloonOn9xAndTheTrayBalloonOnNt) {
  const struct {
    const char* name;
    std::uint32_t platform, major, minor;
    bool own;
  } rows[] = {
      {"Windows 98", kVerPlatformWin32Windows, 4, 10, true},
      {"Windows ME", kVerPlatformWin32Windows, 4, 90, true},
      {"unknown, code 1", kVerPlatformWin32s, 3, 10, true},
      {"Windows XP", kVerPlatformWin32Nt, 5, 1, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    FakeProgram fake;
    FakeNotificationArea area;
    ui::Tray tray(area, fake.timers, {.hwnd = 0x99});
    fake.registry.PutString(kHKeyLocalMachine,
                            std::string(kSettingsRootKey) + std::string(kMainSettingsSubkey),
                            "chkRunProgramMini", "1");
    fake.screen.size = {800, 600};
    fake.Make(row.platform, row.major, row.minor);
    Program& program = *fake.program;
    program.AttachTray(&tray);
    ASSERT_TRUE(program.Start());
    EXPECT_FALSE(program.mainWindow().Visible());
    ui::MsgFrm& balloon = program.msgFrm();
    EXPECT_EQ(balloon.Loaded(), row.own);
    EXPECT_EQ(area.balloons.size(), row.own ? 0u : 1u);
    if (row.own) {
      EXPECT_EQ(balloon.aMsg.Caption(), "The Program Still Running Here");
      EXPECT_EQ(balloon.aTitle.Caption(), "Program notification");
      EXPECT_EQ(balloon.IconCell(), 3);
      EXPECT_EQ(balloon.BackColor(), ui::BalloonRgb(242, 248, 200));
      EXPECT_FALSE(balloon.Geometry().tail);
      const int h = balloon.Layout().height;
      EXPECT_EQ(balloon.Bounds(), (ui::Rect{800 - 40 + 42 - 256, 600 - h, 256, h}));
      fake.timers.Advance(5000);
      EXPECT_FALSE(balloon.Loaded()) << "closed after 5 s";
    }
    tray.HandleCallback(ui::kWmLButtonDown);
    EXPECT_TRUE(program.mainWindow().Visible());
    EXPECT_TRUE(fake.mainHost.calls.empty()) << "the program keeps running";
  }
}

}  // namespace
}  // namespace zephyr::testing
