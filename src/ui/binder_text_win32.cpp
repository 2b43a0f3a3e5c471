// The form binder's text boxes and combo boxes, from the model and back.
#include "ui/form_binder_internal_win32.h"

#include <string>

#include "ui/controls.h"

namespace zephyr::ui {

using namespace binder;

void FormBinderWin32::MirrorText(Binding& binding) {
  if (binding.control->Kind() == ControlKind::kTextBox) {
    SetWindowTextIfChanged(binding.window, static_cast<TextBox*>(binding.control)->Text());
  } else if (binding.control->Kind() == ControlKind::kComboBox) {
    const auto& combo = *static_cast<ComboBox*>(binding.control);
    if (combo.Style() != ComboStyle::kDropdownList) {
      SetWindowTextIfChanged(binding.window, combo.Text());
    }
  }
}

void FormBinderWin32::MirrorComboItems(Binding& binding) {
  const HWND window = binding.window;
  const auto& combo = *static_cast<ComboBox*>(binding.control);
  SendMessageA(window, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < combo.ListCount(); ++i) {
    SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(combo.List(i).c_str()));
  }
  MirrorSelection(binding);
  MirrorBounds(binding);
}

void FormBinderWin32::MirrorComboSelection(Binding& binding) {
  const HWND window = binding.window;
  const auto& combo = *static_cast<ComboBox*>(binding.control);
  SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(combo.ListIndex()), 0);
  // Clearing the selection also clears the edit part; the model may still hold a text.
  MirrorText(binding);
}

void FormBinderWin32::TextEdited(Binding& binding) {
  auto& box = *static_cast<TextBox*>(binding.control);
  const std::string text = WindowText(binding.window);
  if (text == box.Text()) return;
  Forward(binding.window, [&box, &text] { box.UserReplaceText(text); }, {Property::kText});
}

void FormBinderWin32::ComboSelected(Binding& binding) {
  auto& combo = *static_cast<ComboBox*>(binding.control);
  const auto index = static_cast<int>(SendMessageA(binding.window, CB_GETCURSEL, 0, 0));
  if (index < 0) return;
  Forward(binding.window, [&combo, index] { combo.UserSelect(index); }, {Property::kSelection});
}

void FormBinderWin32::ComboEdited(Binding& binding) {
  auto& combo = *static_cast<ComboBox*>(binding.control);
  const std::string text = WindowText(binding.window);
  if (text == combo.Text()) return;
  Forward(binding.window, [&combo, &text] { combo.UserReplaceText(text); }, {Property::kText});
}

}  // namespace zephyr::ui
