#include "ui/histogram_win32.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/gdi_win32.h"

namespace zephyr::ui {

namespace {

struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDc() { ReleaseDC(hwnd_, dc_); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

}  // namespace

HistogramLayout HistogramLayoutOf(int maxLines, int width) {
  HistogramLayout layout;
  layout.slots = std::max(maxLines, 1);
  layout.slotWidth = std::max(width / layout.slots, 1);
  layout.offset = width - layout.slots * layout.slotWidth;
  return layout;
}

std::vector<RECT> HistogramBars(const HistogramPicture& picture, int width, int height) {
  std::vector<RECT> bars;
  if (width <= 0 || height <= 0) return bars;
  const HistogramLayout layout = HistogramLayoutOf(picture.maxLines, width);
  const std::size_t shown =
      std::min(picture.samples.size(), static_cast<std::size_t>(layout.slots));
  const std::size_t firstSample = picture.samples.size() - shown;
  const int firstSlot = layout.slots - static_cast<int>(shown);
  for (std::size_t i = 0; i < shown; ++i) {
    const int slot = firstSlot + static_cast<int>(i);
    int left = layout.offset + slot * layout.slotWidth;
    int right = left + layout.slotWidth;
    // A one-pixel gap keeps neighbouring bars apart once they are wide enough to spare it.
    if (layout.slotWidth >= 3) --right;
    left = std::max(left, 0);
    const double value = std::clamp(picture.samples[firstSample + i], 0.0, 100.0);
    const int barHeight = static_cast<int>(std::lround(value * height / 100.0));
    if (barHeight <= 0 || right <= left) continue;
    bars.push_back(RECT{left, height - barHeight, right, height});
  }
  return bars;
}

bool ContinuesBySamples(const HistogramPicture& before, const HistogramPicture& after, int added) {
  if (before.maxLines != after.maxLines || before.barColor != after.barColor) return false;
  const std::size_t kept = before.samples.size();
  const std::size_t shown = after.samples.size();
  const std::size_t step = static_cast<std::size_t>(added);
  // Either the graph was still filling and grew by `added`, or it was full and moved on.
  if (shown == kept + step) {
    return std::equal(before.samples.begin(), before.samples.end(), after.samples.begin());
  }
  if (shown == kept && kept >= step) {
    return std::equal(before.samples.begin() + static_cast<std::ptrdiff_t>(step),
                      before.samples.end(), after.samples.begin());
  }
  return false;
}

HWND HistogramWindow::Create(HWND parent, const RECT& bounds, DWORD style, int id) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterClassOnce(instance)) return nullptr;
  return CreateWindowExA(0, kClassName, nullptr, WS_CHILD | style, bounds.left, bounds.top,
                         bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void HistogramWindow::Show(HWND window, HistogramPicture picture) {
  auto* self = reinterpret_cast<HistogramWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return;
  // One new sample moves the picture one slot to the left: the bitmap is scrolled and only the
  // newest bar drawn. Anything else is drawn afresh.
  if (!self->stale_ && ContinuesBySamples(self->picture_, picture, 1)) {
    ++self->scrollSlots_;
  } else {
    self->stale_ = true;
  }
  self->picture_ = std::move(picture);
  // A graph on screen is drawn at once, without the round of a paint message: the graphs take a
  // sample every few hundred milliseconds all day. A hidden one is drawn when it is shown.
  if (IsWindowVisible(window)) {
    const WindowDc dc(window);
    self->Render(dc.get());
  } else {
    InvalidateRect(window, nullptr, FALSE);
  }
}

bool HistogramWindow::RegisterClassOnce(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(instance, kClassName, &windowClass)) return true;
  windowClass.lpfnWndProc = &HistogramWindow::WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  // No background brush: every pixel comes from the off-screen bitmap.
  windowClass.lpszClassName = kClassName;
  return RegisterClassA(&windowClass) != 0;
}

LRESULT CALLBACK HistogramWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new HistogramWindow(hwnd)));
  }
  auto* self = reinterpret_cast<HistogramWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: return self->OnPaint();
    case WM_PRINTCLIENT: return self->OnPrintClient(reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND: return self->OnEraseBackground();
    case WM_SIZE: return self->OnSize();
    case WM_NCDESTROY: return self->OnNcDestroy(wParam, lParam);
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

LRESULT HistogramWindow::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  Render(dc);
  EndPaint(hwnd_, &paint);
  return 0;
}

LRESULT HistogramWindow::OnPrintClient(HDC target) {
  Render(target);
  return 0;
}

// The paint covers every pixel; erasing first would only make the graph flicker.
LRESULT HistogramWindow::OnEraseBackground() { return 1; }

LRESULT HistogramWindow::OnNcDestroy(WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = hwnd_;
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
  delete this;
  return DefWindowProcA(hwnd, WM_NCDESTROY, wParam, lParam);
}

LRESULT HistogramWindow::OnSize() {
  stale_ = true;
  scrollSlots_ = 0;
  InvalidateRect(hwnd_, nullptr, FALSE);
  return 0;
}

void HistogramWindow::Render(HDC target) {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  if (!bitmap_ || bitmapSize_.cx != width || bitmapSize_.cy != height) {
    const WindowDc screen(hwnd_);
    bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
    bitmapSize_ = {width, height};
    stale_ = true;
  }
  const MemoryDc memory(CreateCompatibleDC(target));
  if (!bitmap_ || !memory) return;
  const GdiSelection selected(memory.get(), bitmap_.get());
  const HistogramLayout layout = HistogramLayoutOf(picture_.maxLines, width);
  if (scrollSlots_ >= layout.slots) stale_ = true;
  const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  if (stale_ || scrollSlots_ > 0) {
    // Bars from `redrawFrom` on are drawn; what lies left of it is kept or scrolled.
    int redrawFrom = 0;
    if (stale_) {
      FillRect(memory.get(), &client, black);
    } else {
      const int shift = scrollSlots_ * layout.slotWidth;
      BitBlt(memory.get(), 0, 0, width - shift, height, memory.get(), shift, 0, SRCCOPY);
      redrawFrom = layout.offset + (layout.slots - scrollSlots_) * layout.slotWidth;
      const RECT fresh{std::max(redrawFrom, 0), 0, width, height};
      FillRect(memory.get(), &fresh, black);
      const RECT margin{0, 0, std::max(layout.offset, 0), height};
      FillRect(memory.get(), &margin, black);
    }
    const UniqueBrush bars(CreateSolidBrush(picture_.barColor));
    for (const RECT& bar : HistogramBars(picture_, width, height)) {
      if (bar.left >= redrawFrom) FillRect(memory.get(), &bar, bars.get());
    }
    stale_ = false;
    scrollSlots_ = 0;
  }
  BitBlt(target, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace zephyr::ui
