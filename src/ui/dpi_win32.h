// The screen's scale, and the control font at that scale.
//
// A custom window gets its scale from ScreenScale(), once, and keeps it: the program declares
// itself aware of the system's dots per inch (its manifest), so Windows reports that one value
// for every screen and stretches the window itself on a screen that differs. Every layout number
// the window uses (positions, margins, pen widths, glyph points) goes through the scale; fonts
// given in points are sized with PointsToPixels, and pictures are chosen at the size the system
// asks for (GetSystemMetrics(SM_CXSMICON) for small icons) rather than stretched.
#pragma once

#include <windows.h>

#include "ui/dpi_scale.h"

namespace zephyr::ui {

// The dots per inch of the screen, read with GetDeviceCaps, which every Windows since 95 has.
DpiScale ScreenScale();

// The standard font of controls (the stock DEFAULT_GUI_FONT) at the height the scale gives its
// 96-dpi size: the stock font itself when it has that height already, as it always has at 96.
class ControlFont {
 public:
  explicit ControlFont(DpiScale scale);
  ~ControlFont();
  ControlFont(const ControlFont&) = delete;
  ControlFont& operator=(const ControlFont&) = delete;
  HFONT get() const { return font_; }

 private:
  HFONT font_ = nullptr;
  bool owned_ = false;
};

}  // namespace zephyr::ui
