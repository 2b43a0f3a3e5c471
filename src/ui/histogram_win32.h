// The histogram's window: bars on black, painted into an off-screen bitmap and blitted in one
// go, with no background erase in between, so a graph that takes a sample every second does
// not flicker. A new sample scrolls the bitmap by one slot with BitBlt and draws only the newest
// bar. It draws the picture it is given; the samples themselves, their clamping and
// their history belong to the model (ui::Histogram).
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>
#include <vector>

namespace zephyr::ui {

struct HistogramPicture {
  std::vector<double> samples{};  // oldest first, each between 0 and 100
  int maxLines = 30;              // bars across the width; the newest is the rightmost
  COLORREF barColor = RGB(0, 255, 0);
};

// maxLines slots of equal whole-pixel width against the right edge, so the picture scrolls by a
// whole slot; the pixels left over on the left (offset) stay black.
struct HistogramLayout {
  int slots = 1;
  int slotWidth = 1;
  int offset = 0;
};
HistogramLayout HistogramLayoutOf(int maxLines, int width);

// The bars of `picture` in a client area of `width` by `height` pixels: the newest sample in the
// rightmost slot, older ones to its left, each bar as high as its share of 100. Samples of 0
// draw nothing.
std::vector<RECT> HistogramBars(const HistogramPicture& picture, int width, int height);
// Whether `after` is `before` with `added` samples more at the right, the oldest falling off
// once the graph is full.
bool ContinuesBySamples(const HistogramPicture& before, const HistogramPicture& after, int added);

class HistogramWindow {
 public:
  static constexpr char kClassName[] = "ZephyrnetHistogram";

  // Creates the window as a child of `parent`; its state lives in the window and goes with it.
  static HWND Create(HWND parent, const RECT& bounds, DWORD style, int id);
  // Shows `picture` from now on.
  static void Show(HWND window, HistogramPicture picture);

 private:
  struct GdiDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
  };
  using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiDeleter>;
  using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiDeleter>;

  static bool RegisterClassOnce(HINSTANCE instance);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  explicit HistogramWindow(HWND hwnd) : hwnd_(hwnd) {}
  LRESULT OnPaint();
  LRESULT OnPrintClient(HDC target);
  LRESULT OnEraseBackground();
  LRESULT OnSize();
  LRESULT OnNcDestroy(WPARAM wParam, LPARAM lParam);

  // Draws the picture into the off-screen bitmap when it changed, then copies it to `target`.
  void Render(HDC target);

  HWND hwnd_;
  HistogramPicture picture_;
  UniqueBitmap bitmap_;
  SIZE bitmapSize_{0, 0};
  bool stale_ = true;
  int scrollSlots_ = 0;  // samples added since the bitmap was last brought up to date
};

}  // namespace zephyr::ui
