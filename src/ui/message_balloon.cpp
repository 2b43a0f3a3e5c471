#include "ui/message_balloon.h"

#include <algorithm>
#include <cmath>

namespace zephyr::ui {

int GetPointerStyle(Point target, ScreenSize screen) {
  // Compared doubled, so that the middle of an odd width is exact.
  const bool left = 2 * static_cast<long long>(target.x) <= screen.width;
  const bool top = 2 * static_cast<long long>(target.y) <= screen.height;
  if (top) return left ? 4 : 2;
  return left ? 3 : 1;
}

Point BalloonOrigin(int style, Point target, int width, int height) {
  const bool tailLeft = style == 4 || style == 3;
  const bool below = style == 4 || style == 2;
  return {tailLeft ? target.x - kBalloonTailOffset : target.x + kBalloonTailOffset - width,
          below ? target.y : target.y - height};
}

BalloonPlacement PlaceBalloon(Point target, ScreenSize screen, int width, int height) {
  BalloonPlacement placement;
  placement.style = GetPointerStyle(target, screen);
  placement.origin = BalloonOrigin(placement.style, target, width, height);
  // The edges count as on the screen: the tray notice aims at the bottom edge itself.
  const bool onScreen = target.x >= 0 && target.x <= screen.width && target.y >= 0 &&
                        target.y <= screen.height;
  if (!onScreen) {
    placement.origin.x = std::max(0, std::min(placement.origin.x, screen.width - width));
    placement.origin.y = std::max(0, std::min(placement.origin.y, screen.height - height));
  }
  return placement;
}

RoundRectShape BodyRegion(int width, int height) {
  return {0, 20, width - 14, height - 32, 20, 20};
}

RoundRectShape BodyFace(int width, int height) {
  return {0, 20, width - 15, height - 33, 24, 24};
}

RoundRectShape ShadowRegion(int width, int height) {
  return {11, 29, width - 5, height - 23, 45, 35};
}

TailShape TailOf(int style, int w, int h) {
  switch (style) {
    case 1: return {{{{w - 61, h - 34}, {w - 36, h - 34}, {w - 36, h - 9}}},
                    {{{w - 62, h - 35}, {w - 37, h - 35}, {w - 37, h - 11}}}};
    case 2: return {{{{w - 58, 20}, {w - 38, 20}, {w - 38, 0}}},
                    {{{w - 59, 22}, {w - 39, 22}, {w - 39, 2}}}};
    case 3: return {{{{41, h - 34}, {66, h - 34}, {41, h - 9}}},
                    {{{42, h - 35}, {66, h - 35}, {42, h - 11}}}};
    default: return {{{{40, 20}, {60, 20}, {40, 0}}}, {{{41, 21}, {59, 21}, {41, 3}}}};
  }
}

int ShadowFactor(int n, int adjustment) {
  return std::clamp(20 * (9 - n / 2) + adjustment, 0, 255);
}

std::uint32_t BlendColor(std::uint32_t color, int factor) {
  const auto f = static_cast<std::uint32_t>(std::clamp(factor, 0, 255));
  std::uint32_t blended = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const std::uint32_t channel = (color >> shift) & 0xFF;
    blended |= ((channel * f) / 256) << shift;
  }
  return blended;
}

std::vector<ShadowStrip> ShadowStrips(int width, int height, int adjustment) {
  std::vector<ShadowStrip> strips;
  for (int n = kBalloonShadowSteps - 1; n >= 0; --n) {
    const int factor = ShadowFactor(n, adjustment);
    const Rect bottom{n + 5, height - 23 - n, width - 9 - 2 * n, 1};
    const Rect right{width - 5 - n, n + 23, 1, height - 45 - 2 * n};
    if (bottom.width > 0) strips.push_back({bottom, factor});
    if (right.height > 0) strips.push_back({right, factor});
  }
  return strips;
}

void ApplyShadow(PixelImage& window, const PixelImage& behind,
                 const std::vector<ShadowStrip>& strips) {
  const int width = std::min(window.width, behind.width);
  const int height = std::min(window.height, behind.height);
  for (const ShadowStrip& strip : strips) {
    const int left = std::max(strip.area.x, 0);
    const int top = std::max(strip.area.y, 0);
    const int right = std::min(strip.area.x + strip.area.width, width);
    const int bottom = std::min(strip.area.y + strip.area.height, height);
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) window.at(x, y) = BlendColor(behind.at(x, y), strip.factor);
    }
  }
}

std::optional<int> IconCellFor(std::uint32_t flags) {
  switch (flags & kBalloonIconMask) {
    case 16: return 1;
    case 48: return 2;
    case 64: return 3;
    case 32: return 4;
    case 80: return 5;
    case 96: return 6;
    case 112: return 7;
    default: return std::nullopt;
  }
}

PixelImage DrawIconCell(const PixelImage& strip, int cell, std::uint32_t backColor,
                        int cellSize) {
  cellSize = std::max(cellSize, 1);
  PixelImage picture{cellSize, cellSize,
                     std::vector<std::uint32_t>(
                         static_cast<std::size_t>(cellSize) * cellSize, backColor)};
  const int left = cellSize * (cell - 1);
  for (int y = 0; y < cellSize && y < strip.height; ++y) {
    for (int x = 0; x < cellSize; ++x) {
      if (left + x < 0 || left + x >= strip.width) continue;
      const std::uint32_t pixel = strip.at(left + x, y) & 0xFFFFFF;
      if (pixel != kIconStripTransparent) picture.at(x, y) = pixel;
    }
  }
  return picture;
}

int AutoCloseInterval(std::int16_t seconds) {
  return std::clamp<int>(seconds, 0, 32) * 1000;
}

BalloonLayout LayoutBalloon(int messageHeight, bool withIcon) {
  BalloonLayout layout;
  layout.width = kBalloonWidth;
  layout.iconVisible = withIcon;
  const int frameWidth = kBalloonWidth - kBalloonFrameWidthInset;
  layout.icon = {8, 8, kIconCellSize, kIconCellSize};
  // Without an icon the title starts where the message does.
  layout.title = {withIcon ? 30 : kBalloonMessageLeft, 8, 170, 16};
  layout.message = {kBalloonMessageLeft, kBalloonMessageTop, kBalloonMessageWidth,
                    std::clamp(messageHeight, kBalloonLineHeight, kBalloonMaxMessageHeight)};
  layout.close = {frameWidth - kIconCellSize - kBalloonCloseRightGap, layout.icon.y,
                  kIconCellSize, kIconCellSize};
  layout.frame = {kBalloonFrameLeft, kBalloonFrameTop, frameWidth,
                  layout.message.y + layout.message.height + kBalloonFrameBottomGap};
  layout.height = layout.frame.y + layout.frame.height + kBalloonFormBottomGap;
  return layout;
}

MsgFrm::MsgFrm(ScreenPort& screen, TimerScheduler& timers)
    : Form({.name = "msgFrm", .borderStyle = BorderStyle::kNone}),
      screen_(screen),
      timers_(timers) {
  Timer1.Tick.Connect(this, &MsgFrm::Timer1_Timer);
  Command1.Click.Connect(this, &MsgFrm::Command1_Click);
}

MsgFrm::~MsgFrm() = default;

namespace {

// A coordinate as the caller gave it; one that is not a number counts as 0, the pointer's.
int ScreenCoordinate(float value) {
  if (!std::isfinite(value)) return 0;
  return static_cast<int>(std::lround(std::clamp(value, -1.0e6F, 1.0e6F)));
}

}  // namespace

std::string MsgFrm::MsgAuto_box(const std::string& message, std::uint32_t flags,
                                const std::string& title, std::int16_t seconds, bool noTail,
                                std::uint32_t backColor, float x, float y,
                                std::int16_t shadowAdjustment, std::string result) {
  Load(timers_);
  aTitle.SetCaption(title);
  aMsg.SetCaption(message);
  backColor_ = backColor & 0xFFFFFF;
  noTail_ = noTail;
  shadowAdjustment_ = shadowAdjustment;
  if (shadowAdjustment != 0) tag_ = std::to_string(shadowAdjustment);
  iconCell_ = IconCellFor(flags);

  const int messageHeight =
      host_ ? host_->MessageHeight(message, kBalloonMessageWidth) : kBalloonLineHeight;
  layout_ = LayoutBalloon(messageHeight, iconCell_.has_value());
  F1.SetBounds(layout_.frame);
  aTitle.SetBounds(layout_.title);
  aMsg.SetBounds(layout_.message);
  aPic.SetBounds(layout_.icon);
  aPic.SetVisible(layout_.iconVisible);
  Command1.SetBounds(layout_.close);

  Point target{ScreenCoordinate(x), ScreenCoordinate(y)};
  if (target.x == 0 || target.y == 0) {
    const ScreenPoint cursor = screen_.CursorPosition();
    target = {cursor.x, cursor.y};
  }
  DrawBalloon(target);
  closeCell_ = kCloseCellNormal;
  closeHot_ = false;
  SetVisible(true);
  if (host_) host_->ShowBalloon(*this);

  // Disabled first, so a second call counts its seconds afresh.
  Timer1.SetEnabled(false);
  Timer1.SetInterval(AutoCloseInterval(seconds));
  Timer1.SetEnabled(true);
  result.clear();
  return result;
}

void MsgFrm::DrawBalloon(Point target) {
  placement_ = PlaceBalloon(target, screen_.Size(), layout_.width, layout_.height);
  SetBounds({placement_.origin.x, placement_.origin.y, layout_.width, layout_.height});
}

BalloonGeometry MsgFrm::Geometry() const {
  BalloonGeometry geometry;
  geometry.origin = placement_.origin;
  geometry.width = layout_.width;
  geometry.height = layout_.height;
  geometry.bodyRegion = BodyRegion(layout_.width, layout_.height);
  geometry.bodyFace = BodyFace(layout_.width, layout_.height);
  // Borderless: the window's outer size is its inner size.
  geometry.shadowRegion = ShadowRegion(layout_.width, layout_.height);
  geometry.shadow = ShadowStrips(layout_.width, layout_.height, shadowAdjustment_);
  if (!noTail_) geometry.tail = TailOf(placement_.style, layout_.width, layout_.height);
  return geometry;
}

void MsgFrm::Form_Unload() {
  Timer1.SetEnabled(false);
  SetVisible(false);
  if (host_) host_->CloseBalloon(*this);
}

void MsgFrm::Timer1_Timer() {
  Timer1.SetEnabled(false);
  Unload();
}

void MsgFrm::Command1_Click() {
  Timer1.SetEnabled(false);
  Unload();
}

void MsgFrm::SetCloseCell(int cell) {
  if (cell == closeCell_) return;
  closeCell_ = cell;
  if (host_) host_->CloseButtonChanged(*this);
}

void MsgFrm::Command1_MouseDown() { SetCloseCell(kCloseCellPressed); }

void MsgFrm::Command1_MouseUp() { SetCloseCell(kCloseCellHot); }

void MsgFrm::Command1_MouseMove() {
  if (closeHot_) return;
  closeHot_ = true;
  SetCloseCell(kCloseCellHot);
}

void MsgFrm::F1_MouseMove() {
  if (!closeHot_) return;
  closeHot_ = false;
  SetCloseCell(kCloseCellNormal);
}

}  // namespace zephyr::ui
