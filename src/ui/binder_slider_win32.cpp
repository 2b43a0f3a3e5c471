// The form binder's sliders and up-down controls: range, ticks and position from the model,
// the user's moves back.
#include "ui/form_binder_internal_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/controls.h"

namespace zephyr::ui {

namespace {

// Ticks of a slider stay at least this many pixels apart.
constexpr int kTickSpacing = 4;

}  // namespace

using namespace binder;

// Min and Max may come either way round in the model; the controls take the lower end first.
void FormBinderWin32::MirrorRange(Binding& binding) {
  const HWND window = binding.window;
  if (binding.control->Kind() == ControlKind::kSlider) {
    const auto& slider = *static_cast<Slider*>(binding.control);
    const int low = std::min(slider.Min(), slider.Max());
    const int high = std::max(slider.Min(), slider.Max());
    SendMessageA(window, TBM_SETRANGEMIN, FALSE, low);
    SendMessageA(window, TBM_SETRANGEMAX, TRUE, high);
    const Rect& bounds = slider.Bounds();
    const int pixels = std::max(std::max(bounds.width, bounds.height), 1);
    const long long span = static_cast<long long>(high) - low;
    const long long frequency = std::max(1LL, (span * kTickSpacing + pixels - 1) / pixels);
    SendMessageA(window, TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0);
    MirrorValue(binding);
  } else if (binding.control->Kind() == ControlKind::kUpDown) {
    const auto& upDown = *static_cast<UpDown*>(binding.control);
    SendMessageA(window, UDM_SETRANGE32, static_cast<WPARAM>(std::min(upDown.Min(), upDown.Max())),
                 std::max(upDown.Min(), upDown.Max()));
    MirrorValue(binding);
  }
}

// Every finished step reaches the model (keys, clicks on the channel, the thumb let go); the
// end of a move that the steps already reported does not.
void FormBinderWin32::SliderMoved(Binding& binding, int code) {
  if (code == TB_THUMBTRACK) return;
  auto& slider = *static_cast<Slider*>(binding.control);
  const auto position = static_cast<int>(SendMessageA(binding.window, TBM_GETPOS, 0, 0));
  if (code == TB_ENDTRACK && position == slider.Value()) return;
  Forward(binding.window, [&slider, position] { slider.UserMove(position); }, {Property::kValue});
}

}  // namespace zephyr::ui
