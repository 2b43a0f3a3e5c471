#include "ui/dpi_win32.h"

namespace zephyr::ui {
namespace {

// The stock control font's height at 96 dots per inch (8 points), on every Windows and on Wine.
constexpr int kControlFontHeight = 11;

}  // namespace

DpiScale ScreenScale() {
  static const DpiScale scale = [] {
    const HDC screen = GetDC(nullptr);
    if (screen == nullptr) return DpiScale();
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return DpiScale(dpi);
  }();
  return scale;
}

ControlFont::ControlFont(DpiScale scale) {
  const auto stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  font_ = stock;
  LOGFONTA font{};
  if (scale.IsIdentity() || GetObjectA(stock, sizeof font, &font) == 0) return;
  const LONG wanted = -scale.Length(kControlFontHeight);
  if (font.lfHeight == wanted) return;
  font.lfHeight = wanted;
  font.lfWidth = 0;
  if (const HFONT made = CreateFontIndirectA(&font)) {
    font_ = made;
    owned_ = true;
  }
}

ControlFont::~ControlFont() {
  if (owned_) DeleteObject(font_);
}

}  // namespace zephyr::ui
