// The balloon message: placement and tail, shapes, shadow, icon cells, close button and timer.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "fakes/fake_screen.h"
#include "fakes/fake_timer_scheduler.h"
#include "ui/message_balloon.h"

namespace zephyr::testing {
namespace {

using ui::Point;

TEST(BalloonGeometry, QuadrantsChooseStyleAndOriginWithTheMiddleLinesLeftAndTop) {
  const ScreenSize screen{1024, 768};
  const int w = 256, h = 100;
  const struct {
    Point target;
    int style;
    Point origin;
  } rows[] = {
      {{100, 100}, 4, {58, 100}},         {{512, 384}, 4, {470, 384}},
      {{513, 384}, 2, {513 + 42 - w, 384}}, {{512, 385}, 3, {470, 285}},
      {{1000, 700}, 1, {786, 600}},       {{984, 768}, 1, {770, 668}},
  };
  for (const auto& row : rows) {
    const ui::BalloonPlacement placement = ui::PlaceBalloon(row.target, screen, w, h);
    EXPECT_EQ(placement.style, row.style) << row.target.x << "," << row.target.y;
    EXPECT_EQ(placement.origin, row.origin) << row.target.x << "," << row.target.y;
  }
  // On an odd width the middle lies between two pixels.
  EXPECT_EQ(ui::GetPointerStyle({511, 0}, {1023, 767}), 4);
  EXPECT_EQ(ui::GetPointerStyle({512, 0}, {1023, 767}), 2);
}

TEST(BalloonGeometry, ATargetOffTheScreenPutsTheWholeBalloonOnIt) {
  const ScreenSize screen{800, 600};
  for (const Point target : {Point{-500, 300}, Point{5000, 5000}, Point{400, -20}, Point{801, 1}}) {
    const ui::BalloonPlacement placement = ui::PlaceBalloon(target, screen, 256, 120);
    EXPECT_GE(placement.origin.x, 0) << target.x << "," << target.y;
    EXPECT_GE(placement.origin.y, 0) << target.x << "," << target.y;
    EXPECT_LE(placement.origin.x + 256, 800) << target.x << "," << target.y;
    EXPECT_LE(placement.origin.y + 120, 600) << target.x << "," << target.y;
  }
}

TEST(BalloonGeometry, TailsBodyAndShadowRegions) {
  const int w = 256, h = 150;
  const struct {
    int style;
    ui::TailShape tail;
  } rows[] = {
      {1, {{{{195, 116}, {220, 116}, {220, 141}}}, {{{194, 115}, {219, 115}, {219, 139}}}}},
      {2, {{{{198, 20}, {218, 20}, {218, 0}}}, {{{197, 22}, {217, 22}, {217, 2}}}}},
      {3, {{{{41, 116}, {66, 116}, {41, 141}}}, {{{42, 115}, {66, 115}, {42, 139}}}}},
      {4, {{{{40, 20}, {60, 20}, {40, 0}}}, {{{41, 21}, {59, 21}, {41, 3}}}}},
  };
  for (const auto& row : rows) EXPECT_EQ(ui::TailOf(row.style, w, h), row.tail) << row.style;
  EXPECT_EQ(ui::BodyRegion(w, h), (ui::RoundRectShape{0, 20, 242, 118, 20, 20}));
  EXPECT_EQ(ui::BodyFace(w, h), (ui::RoundRectShape{0, 20, 241, 117, 24, 24}));
  EXPECT_EQ(ui::ShadowRegion(w, h), (ui::RoundRectShape{11, 29, 251, 127, 45, 35}));
}

TEST(BalloonGeometry, LayoutGrowsWithTheMessageAndMovesTheTitleWithoutAnIcon) {
  const ui::BalloonLayout two = ui::LayoutBalloon(26, true);
  EXPECT_EQ(two.frame, (ui::Rect{8, 30, 226, 30 + 26 + 20}));
  EXPECT_EQ(two.height, 30 + 76 + 40);
  EXPECT_EQ(two.close, (ui::Rect{226 - 16 - 3, two.icon.y, 16, 16}));
  EXPECT_EQ(two.title.x, 30);
  const ui::BalloonLayout plain = ui::LayoutBalloon(26, false);
  EXPECT_FALSE(plain.iconVisible);
  EXPECT_EQ(plain.title.x, plain.message.x);
  // An empty message keeps one line; a huge one is cut so the balloon fits the screen.
  EXPECT_EQ(ui::LayoutBalloon(0, true).message.height, ui::kBalloonLineHeight);
  EXPECT_EQ(ui::LayoutBalloon(100000, true).message.height, ui::kBalloonMaxMessageHeight);
  EXPECT_LE(ui::LayoutBalloon(100000, true).height, 480);
}

TEST(BalloonShadow, BlendFactorsAreClampedAndBlendTruncatesEachChannel) {
  const struct {
    int n, adjustment, factor;
  } rows[] = {{17, 0, 20},   {16, 0, 20},   {1, 0, 180},   {0, 0, 180},   {17, 15, 35},
              {0, 15, 195},  {0, 100, 255}, {17, -50, 0},  {16, -20, 0}, {1, 75, 255}};
  for (const auto& row : rows) {
    EXPECT_EQ(ui::ShadowFactor(row.n, row.adjustment), row.factor) << row.n << " " << row.adjustment;
  }
  EXPECT_EQ(ui::BlendColor(ui::BalloonRgb(200, 100, 51), 128), ui::BalloonRgb(100, 50, 25));
  EXPECT_EQ(ui::BlendColor(0xFFFFFF, 255), 0xFEFEFEu);
  EXPECT_EQ(ui::BlendColor(0xFFFFFF, 400), 0xFEFEFEu);
  EXPECT_EQ(ui::BlendColor(0xFFFFFF, -1), 0u);
}

TEST(BalloonShadow, StripsDarkenTheScreenBehindAlongTheBottomAndRightEdges) {
  const int w = 80, h = 90;
  const std::uint32_t screen = ui::BalloonRgb(200, 160, 120);
  const std::uint32_t face = ui::BalloonRgb(1, 2, 3);
  ui::PixelImage behind{w, h, std::vector<std::uint32_t>(w * h, screen)};
  ui::PixelImage window{w, h, std::vector<std::uint32_t>(w * h, face)};
  const auto strips = ui::ShadowStrips(w, h, 0);
  EXPECT_EQ(strips.size(), 36u);
  ui::ApplyShadow(window, behind, strips);
  EXPECT_EQ(window.at(22, h - 40), ui::BlendColor(screen, 20)) << "n = 17, bottom";
  EXPECT_EQ(window.at(21, h - 40), face) << "left of the n = 17 row";
  EXPECT_EQ(window.at(5, h - 23), ui::BlendColor(screen, 180)) << "n = 0, bottom";
  EXPECT_EQ(window.at(w - 22, 40), ui::BlendColor(screen, 20)) << "n = 17, right";
  EXPECT_EQ(window.at(w - 5, 23), ui::BlendColor(screen, 180)) << "n = 0, right";
  EXPECT_EQ(window.at(w - 22, h - 22), face) << "below the n = 17 column";
  EXPECT_EQ(window.at(w - 6, h - 40), ui::BlendColor(screen, 180)) << "n = 1, right";
  EXPECT_EQ(window.at(40, 20), face);
}

TEST(BalloonIcons, EachFlagsClassHasItsCellAndGreenTakesTheBackColour) {
  const struct {
    std::uint32_t flags;
    std::optional<int> cell;
  } rows[] = {{0, std::nullopt}, {16, 1}, {48, 2}, {64, 3},  {32, 4},
              {80, 5},           {96, 6}, {112, 7}, {0x41, 3}, {0x180, std::nullopt}};
  for (const auto& row : rows) EXPECT_EQ(ui::IconCellFor(row.flags), row.cell) << row.flags;

  const std::uint32_t back = ui::BalloonRgb(242, 248, 200);
  for (const int size : {16, 24, 48}) {  // the strips for 96, 144 and 192 dpi
    ui::PixelImage strip{12 * size, size, std::vector<std::uint32_t>(
                                              12 * size * size, ui::kIconStripTransparent)};
    strip.at(2 * size + 4, size - 1) = ui::BalloonRgb(10, 20, 30);  // a pixel of cell 3
    const ui::PixelImage cell = ui::DrawIconCell(strip, 3, back, size);
    ASSERT_EQ(cell.width, size);
    ASSERT_EQ(cell.height, size);
    EXPECT_EQ(cell.at(4, size - 1), ui::BalloonRgb(10, 20, 30)) << size;
    EXPECT_EQ(cell.at(0, 0), back) << size;
  }
  EXPECT_EQ(ui::DrawIconCell(ui::PixelImage{}, 9, back).at(15, 15), back) << "no strip";
}

TEST(BalloonTimer, SecondsBecomeMillisecondsUpToWhatTheIntervalHolds) {
  const struct {
    std::int16_t seconds;
    int interval;
  } rows[] = {{5, 5000}, {1, 1000}, {32, 32000}, {33, 32000}, {32767, 32000}, {0, 0}, {-4, 0}};
  for (const auto& row : rows) EXPECT_EQ(ui::AutoCloseInterval(row.seconds), row.interval);
}

// The window's part, recorded.
class FakeBalloonWindow final : public ui::BalloonWindowHost {
 public:
  int lines = 2;
  int shown = 0;
  int closed = 0;
  std::vector<int> cells;
  int MessageHeight(const std::string&, int) override { return lines * ui::kBalloonLineHeight; }
  void ShowBalloon(ui::MsgFrm&) override { ++shown; }
  void CloseBalloon(ui::MsgFrm&) override { ++closed; }
  void CloseButtonChanged(ui::MsgFrm& form) override { cells.push_back(form.CloseCell()); }
};

class Balloon : public ::testing::Test {
 protected:
  Balloon() { form.AttachHost(&window); }
  FakeScreen screen;
  FakeTimerScheduler timers;
  FakeBalloonWindow window;
  ui::MsgFrm form{screen, timers};
};

TEST_F(Balloon, ShowsAtOnceAndClosesAfterItsSeconds) {
  const std::uint32_t back = ui::BalloonRgb(242, 248, 200);
  EXPECT_EQ(form.MsgAuto_box("Still here", 64, "Notice", 5, true, back, 984, 768, 0, "ignored"), "");
  EXPECT_EQ(window.shown, 1);
  EXPECT_TRUE(form.Loaded());
  EXPECT_EQ(form.aTitle.Caption(), "Notice");
  EXPECT_EQ(form.aMsg.Caption(), "Still here");
  EXPECT_EQ(form.IconCell(), 3);
  EXPECT_TRUE(form.aPic.Visible());
  EXPECT_EQ(form.BackColor(), back);
  EXPECT_EQ(form.Timer1.Interval(), 5000);
  const int h = form.Layout().height;
  EXPECT_EQ(form.Placement().style, 1);
  EXPECT_EQ(form.Bounds(), (ui::Rect{984 + 42 - 256, 768 - h, 256, h}));
  EXPECT_FALSE(form.Geometry().tail) << "no tail asked for";

  timers.Advance(4999);
  EXPECT_EQ(window.closed, 0);
  timers.Advance(1);
  EXPECT_EQ(window.closed, 1);
  EXPECT_FALSE(form.Loaded());
  EXPECT_EQ(timers.RunningCount(), 0u);
}

TEST_F(Balloon, AZeroOrUnusableCoordinateAimsAtThePointerAndTheCloseButtonEndsItAtOnce) {
  screen.cursor = {100, 100};
  for (const float x : {0.0F, std::numeric_limits<float>::quiet_NaN()}) {
    form.MsgAuto_box("m", 0, "t", 30, false, 0, x, 500, 7);
    EXPECT_EQ(form.Placement().style, 4);
    EXPECT_EQ(form.Placement().origin, (Point{58, 100}));
    EXPECT_TRUE(form.Geometry().tail);
    EXPECT_FALSE(form.aPic.Visible());
    EXPECT_EQ(form.Tag(), "7");
  }
  EXPECT_EQ(window.shown, 2) << "one balloon, shown again";
  timers.Advance(1000);
  ASSERT_TRUE(form.Command1.UserClick());
  EXPECT_EQ(window.closed, 1);
  EXPECT_EQ(timers.RunningCount(), 0u);
}

TEST_F(Balloon, TheCloseButtonLooksNormalHotOrPressed) {
  form.MsgAuto_box("m", 64, "t", 5, true, 0, 500, 500);
  form.Command1_MouseMove();
  form.Command1_MouseMove();  // hot once
  form.F1_MouseMove();
  form.F1_MouseMove();
  form.Command1_MouseMove();
  form.Command1_MouseDown();
  form.Command1_MouseUp();
  EXPECT_EQ(window.cells, (std::vector<int>{10, 9, 10, 11, 10}));
  EXPECT_TRUE(form.CloseHot());
}

}  // namespace
}  // namespace zephyr::testing
