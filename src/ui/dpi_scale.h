// The scale between the program's layouts and the screen's pixels.
//
// Every layout in the program (form models, the movie, the custom controls) is drawn up at 96
// dots per inch, as Windows' "small fonts" screens have it. On a screen with more dots per inch
// the fonts grow, and so must the layout. DpiScale turns layout units into pixels in one way
// everywhere: it scales edges, not sizes. A rectangle's left and right edges are each rounded to
// the nearest pixel and its width is what lies between them, so two controls that touch at 96
// still touch, and two that are apart stay apart, at every scale. At 96 it changes nothing.
//
// Where the scale comes from: ScreenScale() in ui/dpi_win32.h reads the screen's dots per inch
// once. Windows made by the form binder get it without asking; a custom window takes a DpiScale
// in its creation arguments (or calls ScreenScale()) and passes every layout number through it.
#pragma once

#include "ui/form_model.h"

namespace zephyr::ui {

class DpiScale {
 public:
  static constexpr int kLayoutDpi = 96;

  constexpr DpiScale() = default;
  // Values of 0 or below (a screen that does not say) count as 96.
  explicit constexpr DpiScale(int dpi) : dpi_(dpi > 0 ? dpi : kLayoutDpi) {}

  constexpr int Dpi() const { return dpi_; }
  constexpr bool IsIdentity() const { return dpi_ == kLayoutDpi; }

  // A position (an edge, a point) in pixels: the nearest pixel, halves rounded up, so the same
  // layout position always lands on the same pixel, whatever the rectangle it belongs to.
  constexpr int Edge(int layout) const {
    return FloorDiv(2 * layout * dpi_ + kLayoutDpi, 2 * kLayoutDpi);
  }
  // A length that stands alone (a pen's width, a margin, a glyph's reach): scaled like an edge,
  // but never to nothing when it was something.
  constexpr int Length(int layout) const {
    const int scaled = layout < 0 ? -Edge(-layout) : Edge(layout);
    if (scaled == 0 && layout != 0) return layout > 0 ? 1 : -1;
    return scaled;
  }
  // A rectangle of the layout by its edges.
  constexpr Rect Scale(const Rect& r) const { return Scale(r, 0, 0); }
  // A rectangle placed relative to a container whose own corner lies at (originX, originY) in
  // the layout: its edges are scaled where they lie on the form, then made relative to the
  // container's scaled corner, so controls in different containers line up as on the form.
  constexpr Rect Scale(const Rect& r, int originX, int originY) const {
    const int left = Edge(originX + r.x);
    const int top = Edge(originY + r.y);
    return {left - Edge(originX), top - Edge(originY), Edge(originX + r.x + r.width) - left,
            Edge(originY + r.y + r.height) - top};
  }
  // The layout position of a pixel: the layout unit whose scaled edge is nearest.
  constexpr int Unscale(int pixels) const {
    return FloorDiv(2 * pixels * kLayoutDpi + dpi_, 2 * dpi_);
  }
  // A font's height in pixels for its size in points, as Windows computes it (MulDiv rounding).
  constexpr int PointsToPixels(int points) const {
    const int twice = 2 * points * dpi_;
    return points < 0 ? -((-twice + 72) / 144) : (twice + 72) / 144;
  }

  friend constexpr bool operator==(const DpiScale&, const DpiScale&) = default;

 private:
  static constexpr int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

  int dpi_ = kLayoutDpi;
};

}  // namespace zephyr::ui
