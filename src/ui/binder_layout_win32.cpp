// The form binder's places and scale: the form window's frame, the controls' pixel bounds at
// the binder's scale, the frames that hold them, and the model's stacking.
#include "ui/form_binder_internal_win32.h"

#include <algorithm>
#include <vector>

#include "ui/controls.h"

namespace zephyr::ui {

namespace {

// Room left around the controls of a form declared without a size.
constexpr int kFormMargin = 8;
// Entries a drop-down list shows before it scrolls.
constexpr int kDropDownLines = 10;

}  // namespace

using namespace binder;

// The form's Bounds give its client area, so a panel laid out in pixels fits whatever frame and
// caption heights the Windows version draws; the position is the window's own.
void FormBinderWin32::PlaceFormWindow() {
  Rect bounds = form_->Bounds();
  if (bounds.width <= 0 || bounds.height <= 0) {
    int right = 0;
    int bottom = 0;
    for (const Control* control : form_->Controls()) {
      if (control->Container() != nullptr || control->Kind() == ControlKind::kTimer) continue;
      right = std::max(right, control->Bounds().x + control->Bounds().width);
      bottom = std::max(bottom, control->Bounds().y + control->Bounds().height);
    }
    if (bounds.width <= 0) bounds.width = right + kFormMargin;
    if (bounds.height <= 0) bounds.height = bottom + kFormMargin;
  }
  bounds = scale_.Scale(bounds);
  const auto style = static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE));
  if ((style & WS_CHILD) != 0) {
    SetWindowPos(window_, nullptr, bounds.x, bounds.y, bounds.width, bounds.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  RECT frame{0, 0, bounds.width, bounds.height};
  AdjustWindowRectEx(&frame, style, FALSE,
                     static_cast<DWORD>(GetWindowLongA(window_, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  int x = bounds.x;
  int y = bounds.y;
  if (x == 0 && y == 0) {
    // A top-level form placed nowhere in particular opens in the middle of the work area.
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = std::max(work.left, work.left + (work.right - work.left - width) / 2);
    y = std::max(work.top, work.top + (work.bottom - work.top - height) / 2);
  }
  SetWindowPos(window_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The model's stacking: controls raised by BringToFront go in front, the last raised first.
void FormBinderWin32::ApplyStacking() {
  std::vector<const Binding*> raised;
  for (const Binding& binding : bindings_) {
    if (binding.control->StackLevel() > 0) raised.push_back(&binding);
  }
  std::sort(raised.begin(), raised.end(), [](const Binding* a, const Binding* b) {
    return a->control->StackLevel() < b->control->StackLevel();
  });
  for (const Binding* binding : raised) {
    SetWindowPos(binding->window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

HWND FormBinderWin32::ParentWindowOf(const Control& control) {
  Frame* frame = control.Container();
  if (frame == nullptr || frame == &control || &frame->Parent() != form_) return window_;
  const HWND frameWindow = CreateWindowFor(*frame);
  return frameWindow != nullptr ? frameWindow : window_;
}

// A control's window lies in its frame's window, which lies in its own frame's, as
// ParentWindowOf makes them; the scale rounds each edge where it lies on the form, so a control
// lines up with its neighbours whatever frame holds it.
Rect FormBinderWin32::PixelBounds(const Control& control) const {
  int originX = 0;
  int originY = 0;
  for (const Control* inner = &control;;) {
    const Frame* frame = inner->Container();
    if (frame == nullptr || frame == inner || &frame->Parent() != form_) break;
    originX += frame->Bounds().x;
    originY += frame->Bounds().y;
    inner = frame;
  }
  return scale_.Scale(control.Bounds(), originX, originY);
}

void FormBinderWin32::MirrorBounds(Binding& binding) {
  const Rect bounds = PixelBounds(*binding.control);
  int height = bounds.height;
  if (binding.control->Kind() == ControlKind::kComboBox &&
      static_cast<ComboBox*>(binding.control)->Style() != ComboStyle::kSimpleCombo) {
    // The window of a drop-down combo box is as tall as its open list; Bounds is its closed
    // height.
    const auto& combo = *static_cast<ComboBox*>(binding.control);
    const auto itemHeight = static_cast<int>(SendMessageA(binding.window, CB_GETITEMHEIGHT, 0, 0));
    height += std::max(itemHeight, 1) * std::clamp(combo.ListCount(), 1, kDropDownLines) + 4;
  }
  MoveWindow(binding.window, bounds.x, bounds.y, bounds.width, height, TRUE);
}

}  // namespace zephyr::ui
