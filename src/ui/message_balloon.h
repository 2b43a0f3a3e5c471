// msgFrm: the program's own notification balloon. A borderless, always-on-top window with a
// rounded body, an optional tail pointing at a spot on the screen, a soft shadow made from what
// the screen shows behind it, an icon chosen by the message flags, a title, a message and a
// small close button; it closes itself after a number of seconds.
//
// Everything here is portable: the layout, the placement and tail style, the shapes of the
// window region, the shadow's strips and blend, the icon cell, the close button's looks and the
// auto-close timer. The window itself (BalloonWindowWin32) only paints what this model computes.
//
// Every length is in 96-dpi units (pixels at 96 dpi); the window turns them into screen pixels
// in one place.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/screen_port.h"
#include "ui/controls.h"
#include "ui/form_model.h"

namespace zephyr::ui {

// Colours are COLORREFs: 0x00BBGGRR.
inline constexpr std::uint32_t BalloonRgb(int red, int green, int blue) {
  return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
         (static_cast<std::uint32_t>(blue) << 16);
}

// The icon strip: twelve 16 x 16 cells side by side on pure green, which is transparent.
inline constexpr int kIconCellSize = 16;
inline constexpr int kIconStripCells = 12;
inline constexpr std::uint32_t kIconStripTransparent = BalloonRgb(0, 255, 0);
// The close button's three looks.
inline constexpr int kCloseCellNormal = 9;
inline constexpr int kCloseCellHot = 10;
inline constexpr int kCloseCellPressed = 11;

// The flags bits that choose the icon, and the information class the tray notice uses.
inline constexpr std::uint32_t kBalloonIconMask = 0x70;
inline constexpr std::uint32_t kBalloonInformation = 64;

// The balloon's parts, in 96-dpi units.
inline constexpr int kBalloonWidth = 256;  // the form's inner width W
inline constexpr int kBalloonFrameLeft = 8;
inline constexpr int kBalloonFrameTop = 30;
inline constexpr int kBalloonFrameWidthInset = 30;  // the frame is W - 30 wide
inline constexpr int kBalloonFrameBottomGap = 20;   // 300 twips below the message
inline constexpr int kBalloonFormBottomGap = 40;    // below the frame
inline constexpr int kBalloonCloseRightGap = 3;     // 50 twips right of the close button
inline constexpr int kBalloonMessageLeft = 8;
inline constexpr int kBalloonMessageTop = 30;
inline constexpr int kBalloonMessageWidth = 210;
inline constexpr int kBalloonLineHeight = 13;
// A long message is cut at this height, so the balloon always fits a 640 x 480 screen.
inline constexpr int kBalloonMaxMessageHeight = 13 * kBalloonLineHeight;
// How far the form's edge lies from the target point along x, on the tail's side.
inline constexpr int kBalloonTailOffset = 42;
inline constexpr int kBalloonShadowSteps = 18;  // n from 17 down to 0

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// A rounded rectangle as the region and drawing calls take it: right and bottom exclusive,
// with the size of the corner ellipse.
struct RoundRectShape {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int ellipseWidth = 0;
  int ellipseHeight = 0;
  friend bool operator==(const RoundRectShape&, const RoundRectShape&) = default;
};

using Triangle = std::array<Point, 3>;

struct TailShape {
  Triangle outer{};  // painted black
  Triangle inner{};  // painted in the back colour; the tail's part of the window region
  friend bool operator==(const TailShape&, const TailShape&) = default;
};

// One row or column of the shadow: every pixel of `area` becomes the screen pixel behind it,
// blended with black by `factor`.
struct ShadowStrip {
  Rect area{};
  int factor = 0;
  friend bool operator==(const ShadowStrip&, const ShadowStrip&) = default;
};

// Where the target point lies: 4 upper left, 2 upper right, 3 lower left, 1 lower right. A point
// on a middle line counts as left or top.
int GetPointerStyle(Point target, ScreenSize screen);

// The form's top-left corner for a style, from the target point and the form's size W x H.
Point BalloonOrigin(int style, Point target, int width, int height);

// The style and the top-left corner. A target point off the screen would put the balloon where
// nobody sees it, so then the whole form is moved onto the screen.
struct BalloonPlacement {
  int style = 1;
  Point origin{};
  friend bool operator==(const BalloonPlacement&, const BalloonPlacement&) = default;
};
BalloonPlacement PlaceBalloon(Point target, ScreenSize screen, int width, int height);

// The body's region, and the face painted over it in the back colour with a black outline.
RoundRectShape BodyRegion(int width, int height);
RoundRectShape BodyFace(int width, int height);
// The shadow's region, of the window's outer size.
RoundRectShape ShadowRegion(int width, int height);
// The tail of a style (1 to 4) for a form of W x H.
TailShape TailOf(int style, int width, int height);

// The shadow's blend factor for step n (17 down to 0): 20 x (9 - n / 2), plus the caller's
// adjustment, kept within 0 .. 255.
int ShadowFactor(int n, int adjustment);
// Each channel of `color` times factor / 256, truncated; a factor outside 0 .. 255 is clamped.
std::uint32_t BlendColor(std::uint32_t color, int factor);
// The strips in the order they are painted: for n from 17 down to 0 the bottom row, then the
// right column.
std::vector<ShadowStrip> ShadowStrips(int width, int height, int adjustment);

// A picture as plain pixels, row by row from the top; each pixel a colour in the same byte order
// as every other colour handed over with it.
struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels{};
  std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; }
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// Paints the shadow into `window` from `behind` (what the screen shows behind the window, of the
// same size). Pixels of a strip outside either picture are left alone.
void ApplyShadow(PixelImage& window, const PixelImage& behind,
                 const std::vector<ShadowStrip>& strips);

// The strip cell for a flags value's icon class (flags & 0x70): 16 critical 1, 48 exclamation 2,
// 64 information 3, 32 question 4, 80, 96 and 112 cells 5 to 7; class 0 has no icon.
std::optional<int> IconCellFor(std::uint32_t flags);
// Cell `cell` (1 to 12) of a strip of `cellSize`-pixel cells (16 by default; the program has
// strips for larger screens too) as a square picture of that size, green replaced by
// `backColor`. Missing parts of a short strip come out in the back colour.
PixelImage DrawIconCell(const PixelImage& strip, int cell, std::uint32_t backColor,
                        int cellSize = kIconCellSize);

// The auto-close interval: seconds x 1000 milliseconds. The timer's interval is a signed 16-bit
// value, so more than 32 seconds are taken as 32; 0 or less never closes by itself.
int AutoCloseInterval(std::int16_t seconds);

// The window's size and the places of its parts, in 96-dpi units. The frame's parts are placed
// relative to the frame.
struct BalloonLayout {
  int width = 0;   // W
  int height = 0;  // H
  Rect frame{};
  Rect title{};
  Rect message{};
  Rect icon{};
  Rect close{};
  bool iconVisible = true;
  friend bool operator==(const BalloonLayout&, const BalloonLayout&) = default;
};
// `messageHeight` is the wrapped message's height at kBalloonMessageWidth, kept between one line
// and kBalloonMaxMessageHeight.
BalloonLayout LayoutBalloon(int messageHeight, bool withIcon);

// Everything the window paints, in 96-dpi units.
struct BalloonGeometry {
  Point origin{};  // the window's top-left corner on the screen
  int width = 0;
  int height = 0;
  RoundRectShape bodyRegion{};
  RoundRectShape bodyFace{};
  RoundRectShape shadowRegion{};
  std::vector<ShadowStrip> shadow{};
  std::optional<TailShape> tail{};
};

class MsgFrm;

// What only the real window can do.
class BalloonWindowHost {
 public:
  virtual ~BalloonWindowHost() = default;
  // The message's height, in 96-dpi units, when wrapped at `width` in the message's font.
  virtual int MessageHeight(const std::string& text, int width) = 0;
  // The form is laid out: its window goes on screen, topmost, without taking the focus. A
  // window still shown from an earlier call is replaced.
  virtual void ShowBalloon(MsgFrm& form) = 0;
  // The form is unloading: its window goes.
  virtual void CloseBalloon(MsgFrm& form) = 0;
  // The close button shows another cell.
  virtual void CloseButtonChanged(MsgFrm& form) = 0;
};

// The balloon form. One instance serves every call: each MsgAuto_box loads it if needed, lays it
// out and shows it, and the timer or the close button unloads it.
class MsgFrm : public Form {
 public:
  // The screen and the scheduler must outlive the form.
  MsgFrm(ScreenPort& screen, TimerScheduler& timers);
  ~MsgFrm() override;

  void AttachHost(BalloonWindowHost* host) { host_ = host; }

  // Shows the balloon and returns at once with `result`, empty. With x or y 0 the mouse pointer
  // is the target. A shadow adjustment is added to every blend factor, and kept in Tag when it
  // is not 0.
  std::string MsgAuto_box(const std::string& message, std::uint32_t flags,
                          const std::string& title, std::int16_t seconds, bool noTail,
                          std::uint32_t backColor, float x, float y,
                          std::int16_t shadowAdjustment = 0, std::string result = {});

  // The auto-closing layout: frame F1(2) with the title, the message, the icon and the close
  // button. aPic and Command1 are pictures the window draws; as controls they give the place,
  // the visibility, and Command1's click.
  Frame F1{*this, {.name = "F1"}, ArrayIndex{2}};
  Label aTitle{*this, {.name = "aTitle", .container = &F1}};
  Label aMsg{*this, {.name = "aMsg", .container = &F1}};
  Label aPic{*this, {.name = "aPic", .container = &F1}};
  CommandButton Command1{*this, {.name = "Command1", .container = &F1}};
  Timer Timer1{*this, {.name = "Timer1", .interval = 0, .enabled = false}};

  // The mouse on the close button and on the frame, from the window.
  void Command1_MouseDown();
  void Command1_MouseUp();
  void Command1_MouseMove();
  void F1_MouseMove();

  std::uint32_t BackColor() const { return backColor_; }
  const std::string& Tag() const { return tag_; }
  // The strip cell of the icon shown, none for class 0.
  std::optional<int> IconCell() const { return iconCell_; }
  int CloseCell() const { return closeCell_; }
  bool CloseHot() const { return closeHot_; }
  const BalloonLayout& Layout() const { return layout_; }
  const BalloonPlacement& Placement() const { return placement_; }
  // The window's shape and place, for painting.
  BalloonGeometry Geometry() const;

 private:
  void Form_Unload() override;
  void Timer1_Timer();
  void Command1_Click();
  void SetCloseCell(int cell);
  void DrawBalloon(Point target);

  ScreenPort& screen_;
  TimerScheduler& timers_;
  BalloonWindowHost* host_ = nullptr;
  std::uint32_t backColor_ = BalloonRgb(255, 255, 255);
  std::int16_t shadowAdjustment_ = 0;
  std::string tag_;
  bool noTail_ = true;
  std::optional<int> iconCell_;
  int closeCell_ = kCloseCellNormal;
  bool closeHot_ = false;
  BalloonLayout layout_{};
  BalloonPlacement placement_{};
};

}  // namespace zephyr::ui
