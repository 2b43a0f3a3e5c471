// The form binder's buttons: command buttons, check boxes and option buttons, from the model
// and back.
#include "ui/form_binder_internal_win32.h"

#include <optional>

#include "ui/controls.h"

namespace zephyr::ui {

using namespace binder;

// Sets the check of every option button in the group from the model (an automatic radio button
// clears its neighbours by itself; the model has the last word) and gives the group one tab
// stop, on its selected button: Tab enters a group at its choice, and moving the focus onto an
// option button selects it.
void FormBinderWin32::MirrorOptionGroup(std::size_t group) {
  std::optional<std::size_t> stop;
  for (std::size_t i = group; i < bindings_.size(); ++i) {
    const Binding& member = bindings_[i];
    if (member.control->Kind() != ControlKind::kOptionButton || member.optionGroup != group) {
      continue;
    }
    const bool selected = static_cast<const OptionButton*>(member.control)->Value();
    SendMessageA(member.window, BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
    if (selected && !stop) stop = i;
  }
  for (std::size_t i = group; i < bindings_.size(); ++i) {
    const Binding& member = bindings_[i];
    if (member.control->Kind() != ControlKind::kOptionButton || member.optionGroup != group) {
      continue;
    }
    SetStyleBit(member.window, WS_TABSTOP, i == stop.value_or(group));
  }
}

void FormBinderWin32::ButtonClicked(Binding& binding) {
  Control& control = *binding.control;
  switch (control.Kind()) {
    case ControlKind::kCommandButton:
      Forward(binding.window, [&control] { static_cast<CommandButton&>(control).UserClick(); }, {});
      break;
    case ControlKind::kCheckBox:
      Forward(binding.window, [&control] { static_cast<CheckBox&>(control).UserClick(); },
              {Property::kValue});
      break;
    case ControlKind::kOptionButton:
      Forward(binding.window, [&control] { static_cast<OptionButton&>(control).UserClick(); },
              {Property::kValue});
      break;
    default: break;
  }
}

}  // namespace zephyr::ui
