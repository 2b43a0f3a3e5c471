// The tray icon control against a notification area in memory and timers on virtual time.
#include "ui/tray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "fakes/fake_notification_area.h"
#include "fakes/fake_timer_scheduler.h"

namespace zephyr::testing {
namespace {

constexpr WindowHandle kTrayWindow = 0x1234;
constexpr IconHandle kAppIcon = 0x777;

class TrayTest : public ::testing::Test {
 protected:
  ui::Tray& MakeTray(ui::TrayArgs args = {.hwnd = kTrayWindow,
                                          .trayImage = {kPicTypeIcon, kAppIcon}}) {
    tray_ = std::make_unique<ui::Tray>(shell, timers, std::move(args));
    tray_->LeftClick.Connect([this] { events.push_back("LeftClick"); });
    tray_->RightClick.Connect([this] { events.push_back("RightClick"); });
    tray_->MouseClick.Connect(
        [this](std::int16_t button) { events.push_back("MouseClick " + std::to_string(button)); });
    tray_->PropertyChanged.Connect(
        [this](std::string_view key) { changed.push_back(std::string(key)); });
    return *tray_;
  }

  const NotifyIconData& LastSent() const { return shell.calls.back().data; }

  FakeNotificationArea shell;
  FakeTimerScheduler timers;
  std::vector<std::string> events;
  std::vector<std::string> changed;
  std::unique_ptr<ui::Tray> tray_;
};

TEST_F(TrayTest, ShowAddsOnceThenModifiesWithTheSpaceFramedTooltip) {
  ui::Tray& tray = MakeTray();
  EXPECT_FALSE(tray.IsVisible());
  EXPECT_TRUE(shell.calls.empty());

  ASSERT_TRUE(tray.Show(true));
  EXPECT_TRUE(tray.IsVisible());
  const NotifyIconData& sent = LastSent();
  EXPECT_EQ(sent.cbSize, 488u);
  EXPECT_EQ(sent.hWnd, kTrayWindow);
  EXPECT_EQ(sent.uID, 1u);
  EXPECT_EQ(sent.uFlags, 7u);
  EXPECT_EQ(sent.uCallbackMessage, 512u);
  EXPECT_EQ(sent.hIcon, kAppIcon);
  // The default tooltip, framed by one space on each side, the rest of the field spaces.
  EXPECT_EQ(TextOfField(sent.szTip), " Program notification ");
  EXPECT_TRUE(std::all_of(sent.szTip + 23, sent.szTip + 128, [](char c) { return c == ' '; }));

  ASSERT_TRUE(tray.Show(true));
  EXPECT_EQ(shell.Messages(), (std::vector<std::uint32_t>{kNimAdd, kNimModify}));
  ASSERT_TRUE(shell.HasIcon(kTrayWindow, 1));

  // A new tooltip reaches the tray at the next Show(true) only.
  tray.SetTrayToolTip("Memory Usage (123MB).");
  EXPECT_EQ(shell.calls.size(), 2u);
  tray.Show(true);
  EXPECT_EQ(shell.Find(kTrayWindow, 1)->tip, " Memory Usage (123MB). ");
}

TEST_F(TrayTest, ShowFalseRemovesOnlyAnIconThatIsThere) {
  ui::Tray& tray = MakeTray();
  EXPECT_TRUE(tray.Show(false));
  EXPECT_TRUE(shell.calls.empty());

  tray.Show(true);
  EXPECT_TRUE(tray.Show(false));
  EXPECT_FALSE(tray.IsVisible());
  EXPECT_EQ(shell.IconCount(), 0u);
  tray.Show(false);
  EXPECT_EQ(shell.Messages(), (std::vector<std::uint32_t>{kNimAdd, kNimDelete}));

  // Gone with the control too, so no dead icon stays behind.
  tray.Show(true);
  tray_.reset();
  EXPECT_EQ(shell.IconCount(), 0u);
  EXPECT_EQ(shell.Messages().back(), kNimDelete);
}

TEST_F(TrayTest, TextsAreCutToTheirFieldsAndAlwaysTerminated) {
  ui::Tray& tray = MakeTray();
  tray.SetTrayToolTip("");
  tray.Show(true);
  EXPECT_EQ(LastSent().szTip[0], '\0');
  EXPECT_EQ(shell.Find(kTrayWindow, 1)->tip, "");

  tray.SetTrayToolTip(std::string(200, 'x'));
  tray.SetTrayBalloonToolTip(std::string(300, 'b'));
  tray.showBalloonoolTip(true);
  const NotifyIconData& sent = LastSent();
  EXPECT_EQ(TextOfField(sent.szTip), " " + std::string(126, 'x'));
  EXPECT_EQ(sent.szTip[127], '\0');
  EXPECT_EQ(TextOfField(sent.szInfo), std::string(255, 'b'));
  EXPECT_EQ(sent.szInfo[255], '\0');
  EXPECT_EQ(TextOfField(sent.szInfoTitle), std::string(63, 'x'));
  EXPECT_EQ(sent.szInfoTitle[63], '\0');

  // A tooltip that just fits keeps both spaces.
  tray.SetTrayToolTip(std::string(125, 'y'));
  tray.Show(true);
  EXPECT_EQ(TextOfField(LastSent().szTip), " " + std::string(125, 'y') + " ");
}

TEST_F(TrayTest, BalloonModifiesTheShownIconWithTitleTextAndFixedFields) {
  ui::Tray& tray = MakeTray();
  // Without the icon in the tray the balloon has no effect and adds nothing.
  EXPECT_FALSE(tray.showBalloonoolTip(true));
  EXPECT_FALSE(tray.IsVisible());
  EXPECT_EQ(shell.IconCount(), 0u);

  tray.Show(true);
  EXPECT_TRUE(tray.showBalloonoolTip(true));
  const NotifyIconData& sent = LastSent();
  EXPECT_EQ(shell.calls.back().message, kNimModify);
  EXPECT_EQ(sent.uFlags, 23u);
  EXPECT_EQ(sent.dwInfoFlags, 1u);
  EXPECT_EQ(sent.uTimeout, 1u);
  EXPECT_EQ(sent.dwState, 0u);
  EXPECT_EQ(sent.dwStateMask, 0u);
  EXPECT_EQ(sent.hIcon, kAppIcon);
  EXPECT_EQ(TextOfField(sent.szTip), " Program notification ");
  ASSERT_EQ(shell.balloons.size(), 1u);
  EXPECT_EQ(shell.balloons[0].title, "Program notification");
  EXPECT_EQ(shell.balloons[0].text, "The Program Still Running Here");
  EXPECT_TRUE(tray.IsVisible());

  const std::size_t before = shell.calls.size();
  EXPECT_TRUE(tray.showBalloonoolTip(false));
  EXPECT_EQ(shell.calls.size(), before);
}

TEST_F(TrayTest, SettersStoreClampAndReportTheirStorageKeys) {
  ui::Tray& tray = MakeTray();
  EXPECT_EQ(tray.TrayToolTip(), "Program notification");
  EXPECT_EQ(tray.TrayBalloonToolTip(), "The Program Still Running Here");
  EXPECT_EQ(tray.EventMode(), 0);

  tray.SetEventMode(5);
  EXPECT_EQ(tray.EventMode(), 1);
  tray.SetEventMode(-3);
  EXPECT_EQ(tray.EventMode(), 0);
  tray.SetTrayToolTip("tip");
  tray.SetTrayBalloonToolTip("balloon");
  tray.SetTrayImage({kPicTypeIcon, 0x888});
  EXPECT_EQ(changed, (std::vector<std::string>{"EventMode", "EventMode", "TrayToolTip",
                                               "BalloonTip", "TrayImage"}));
  EXPECT_EQ(tray.TrayImage(), (ui::Picture{kPicTypeIcon, 0x888}));
  // Setters only store: nothing reaches the tray.
  EXPECT_TRUE(shell.calls.empty());

  // Stored properties are clamped the same way when the control is made.
  EXPECT_EQ(MakeTray({.hwnd = kTrayWindow, .eventMode = 9}).EventMode(), 1);
}

TEST_F(TrayTest, OneButtonDownIsReportedPer15MillisecondsInEitherEventMode) {
  ui::Tray& tray = MakeTray();
  for (std::uint32_t message : {512u, 514u, 515u, 517u, 518u, 519u}) tray.HandleCallback(message);
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(timers.RunningCount(), 0u);

  tray.HandleCallback(ui::kWmLButtonDown);
  tray.HandleCallback(ui::kWmRButtonDown);
  timers.Advance(14);
  tray.HandleCallback(ui::kWmLButtonDown);
  EXPECT_EQ(events, (std::vector<std::string>{"LeftClick"}));
  // The latch opens at 15 ms and its timer stops with it.
  timers.Advance(1);
  EXPECT_EQ(timers.RunningCount(), 0u);
  tray.HandleCallback(ui::kWmRButtonDown);
  timers.Advance(15);
  tray.SetEventMode(1);
  tray.HandleCallback(ui::kWmLButtonDown);
  timers.Advance(15);
  tray.HandleCallback(ui::kWmRButtonDown);
  timers.Advance(15);
  EXPECT_EQ(events, (std::vector<std::string>{"LeftClick", "RightClick", "MouseClick 1",
                                              "MouseClick 2"}));

  // A click handler that lets messages through (a message pump) cannot report a second click.
  events.clear();
  tray.MouseClick.Connect([&](std::int16_t) {
    events.push_back("MouseClick");
    tray.HandleCallback(ui::kWmLButtonDown);
    timers.Advance(100);
    tray.HandleCallback(ui::kWmRButtonDown);
  });
  tray.HandleCallback(ui::kWmLButtonDown);
  EXPECT_EQ(events, (std::vector<std::string>{"MouseClick"}));
  EXPECT_EQ(timers.RunningCount(), 1u);
}

TEST_F(TrayTest, RefusedCallsAreReportedAndTheIconComesBackWhenTheTaskbarDoes) {
  ui::Tray& tray = MakeTray();
  // No taskbar yet (a program started with Windows): the icon is not claimed to be there.
  shell.SetTaskbarRunning(false);
  EXPECT_FALSE(tray.Show(true));
  EXPECT_FALSE(tray.IsVisible());
  EXPECT_FALSE(tray.showBalloonoolTip(true));

  // The taskbar announces itself; the icon the host asked for is put in.
  shell.SetTaskbarRunning(true);
  tray.TaskbarCreated();
  EXPECT_TRUE(tray.IsVisible());
  EXPECT_TRUE(shell.HasIcon(kTrayWindow, 1));

  // Explorer restarts and forgets the icon: the announcement adds it again, and so does the
  // next update should the announcement not arrive.
  shell.RestartTaskbar();
  tray.TaskbarCreated();
  EXPECT_TRUE(shell.HasIcon(kTrayWindow, 1));
  shell.RestartTaskbar();
  shell.calls.clear();
  EXPECT_TRUE(tray.Show(true));
  EXPECT_EQ(shell.Messages(), (std::vector<std::uint32_t>{kNimModify, kNimAdd}));
  EXPECT_TRUE(tray.IsVisible());

  // An add refused because the icon is already there counts as shown.
  shell.calls.clear();
  tray.TaskbarCreated();
  EXPECT_EQ(shell.Messages(), (std::vector<std::uint32_t>{kNimAdd, kNimModify}));
  EXPECT_TRUE(tray.IsVisible());
  EXPECT_EQ(shell.IconCount(), 1u);

  // A removed icon stays removed when the taskbar comes back.
  tray.Show(false);
  shell.calls.clear();
  tray.TaskbarCreated();
  EXPECT_TRUE(shell.calls.empty());

  // A refused delete still leaves the control not claiming the icon.
  tray.Show(true);
  shell.FailNextCalls(1);
  EXPECT_FALSE(tray.Show(false));
  EXPECT_FALSE(tray.IsVisible());
}

TEST_F(TrayTest, BitmapBecomesA32PixelIconOwnedByTheControl) {
  ui::Tray& tray = MakeTray({.hwnd = kTrayWindow});
  EXPECT_EQ(tray.TrayImage(), ui::Picture{});

  ASSERT_TRUE(tray.SetTrayImage({kPicTypeBitmap, 0xB1}));
  ASSERT_EQ(shell.conversions.size(), 1u);
  EXPECT_EQ(shell.conversions[0].size, 32);
  EXPECT_EQ(shell.conversions[0].pictureType, kPicTypeBitmap);
  const IconHandle converted = shell.conversions[0].icon;
  EXPECT_EQ(tray.TrayImage(), (ui::Picture{kPicTypeIcon, converted}));
  tray.Show(true);
  EXPECT_EQ(shell.Find(kTrayWindow, 1)->icon, converted);

  // A picture that cannot be converted leaves the old one in place.
  shell.FailConversions(true);
  changed.clear();
  EXPECT_FALSE(tray.SetTrayImage({kPicTypeEnhMetafile, 0xE1}));
  EXPECT_EQ(tray.TrayImage().handle, converted);
  EXPECT_TRUE(changed.empty());
  EXPECT_TRUE(shell.released.empty());

  // The converted icon is released once it is replaced; a host's icon never is.
  tray.SetTrayImage({kPicTypeIcon, kAppIcon});
  EXPECT_EQ(shell.released, (std::vector<IconHandle>{converted}));
  tray.SetTrayImage({});
  EXPECT_EQ(tray.TrayImage(), ui::Picture{});
  shell.FailConversions(false);
  tray.SetTrayImage({kPicTypeMetafile, 0xA1});
  const IconHandle fromMetafile = tray.TrayImage().handle;
  tray_.reset();
  EXPECT_EQ(shell.released, (std::vector<IconHandle>{converted, fromMetafile}));
}

}  // namespace
}  // namespace zephyr::testing
