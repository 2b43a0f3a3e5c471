// The balloon message's window: a borderless topmost popup shaped by a region, shown without
// taking the focus. Its picture is composed once, before it is shown: the screen behind it (read
// in one block copy), the body, the shadow made from that screen picture, the tail, and the icon
// in the frame F1(2), which is the body's face. What the user reads and clicks on it, the title,
// the message and the close button, are windows named by the automation contract (msgFrm,
// aTitle, aMsg, Command1).
//
// Layout, shapes, blend and the close button's looks come from the model (ui::MsgFrm) in 96-dpi
// units; ToPixels is the one place they become screen pixels.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/message_balloon.h"
#include "ui/dpi_win32.h"

namespace zephyr::ui {

// The icon strips' bitmap resources, by the size of their cells: the balloon draws its icons
// from the largest strip whose cells fit the icon's place at the screen's scale, at their own
// size, so a larger screen gets sharp icons rather than stretched ones.
struct IconStrip {
  int cellSize;
  int resource;
};
inline constexpr IconStrip kIconStrips[] = {{16, 2}, {24, 3}, {32, 4}, {48, 5}};
inline constexpr int kDesignDpi = 96;

// The strip for icons `pixels` wide: the largest not wider, the smallest when none fits.
const IconStrip& IconStripFor(int pixels);

// 96-dpi units to pixels at `dpi`; the balloon's place on the screen too, as the screen port
// reports the screen in 96-dpi units.
int ToPixels(int units, int dpi);
Rect ToPixels(const Rect& units, int dpi);
BalloonGeometry ToPixels(const BalloonGeometry& units, int dpi);

class BalloonWindowWin32 final : public BalloonWindowHost {
 public:
  // Loads the icon strip from the program's resources; the form must outlive this object or be
  // detached from it first.
  BalloonWindowWin32(MsgFrm& form, HINSTANCE instance);
  // Detaches from the form and destroys a window still shown.
  ~BalloonWindowWin32() override;
  BalloonWindowWin32(const BalloonWindowWin32&) = delete;
  BalloonWindowWin32& operator=(const BalloonWindowWin32&) = delete;

  // The window shown now, or null.
  HWND Hwnd() const { return hwnd_; }
  // The screen's pixels per inch the balloon is drawn at.
  int Dpi() const { return dpi_; }

  int MessageHeight(const std::string& text, int width) override;
  void ShowBalloon(MsgFrm& form) override;
  void CloseBalloon(MsgFrm& form) override;
  void CloseButtonChanged(MsgFrm& form) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PartProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool RegisterClasses();

  LRESULT OnPaint(HWND hwnd);
  LRESULT OnPartMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnCloseButtonMouse(HWND hwnd, UINT message, LPARAM lParam);

  Rect InFrame(const BalloonLayout& layout, const Rect& units) const;
  HWND CreatePart(const char* windowClass, const char* name, const Rect& bounds, DWORD style,
                  HFONT font, const std::string& text = {});
  // The window's picture, from the screen behind `bounds` (pixels).
  bool Compose(const BalloonGeometry& geometry);
  HRGN MakeRegion(const BalloonGeometry& geometry) const;
  void PaintCell(HDC dc, int cell, const Rect& bounds);
  void PaintLabel(HDC dc, HFONT font, const std::string& text, const Rect& bounds) const;
  void UseLabelColors(HDC dc) const;
  void LoadResources();
  HBITMAP IconBitmap(int cell);
  void Destroy();

  MsgFrm& form_;
  HINSTANCE instance_;
  // The screen's scale, read once, and the control font at it, made with the first balloon: the
  // balloon is drawn for them.
  DpiScale scale_ = ScreenScale();
  std::optional<ControlFont> controlFont_;
  int dpi_ = scale_.Dpi();
  PixelImage strip_{};
  int stripCellSize_ = kIconCellSize;
  HFONT titleFont_ = nullptr;
  HFONT messageFont_ = nullptr;
  HBITMAP iconBitmap_ = nullptr;
  int iconCell_ = -1;
  std::uint32_t iconBack_ = 0;
  SIZE iconSize_{0, 0};
  HBRUSH backBrush_ = nullptr;
  HBITMAP canvas_ = nullptr;
  SIZE canvasSize_{0, 0};
  HWND hwnd_ = nullptr;
  HWND close_ = nullptr;
  bool pressed_ = false;
};

}  // namespace zephyr::ui
