#include "fakes/fake_form_host.h"

#include <algorithm>
#include <utility>

#include "ui/controls.h"
#include "ui/custom_controls.h"

namespace zephyr::testing {

using ui::ControlKind;

FakeFormHost::FakeFormHost(ui::Form& form, ui::TimerScheduler& timers)
    : form_(form), timers_(timers) {
  form_.SetObserver(this);
}

FakeFormHost::~FakeFormHost() {
  if (form_.Observer() == this) form_.SetObserver(nullptr);
}

std::vector<std::string> FakeFormHost::WindowNames() const {
  std::vector<std::string> names;
  for (const ui::Control* control : form_.TabOrder()) {
    if (control->Kind() != ControlKind::kTimer) names.push_back(control->AutomationName());
  }
  return names;
}

std::size_t FakeFormHost::MirrorCount(std::string_view control, ui::Property property) const {
  return static_cast<std::size_t>(
      std::count_if(mirrored_.begin(), mirrored_.end(), [&](const Mirrored& change) {
        return change.control == control && change.property == property;
      }));
}

bool FakeFormHost::Click(std::string_view control) {
  ui::Control* target = Reachable(
      control, {ControlKind::kCommandButton, ControlKind::kCheckBox, ControlKind::kOptionButton});
  if (target == nullptr) return false;
  switch (target->Kind()) {
    case ControlKind::kCommandButton:
      return Taken(static_cast<ui::CommandButton*>(target)->UserClick(), control);
    case ControlKind::kCheckBox:
      return Taken(static_cast<ui::CheckBox*>(target)->UserClick(), control);
    default:
      return Taken(static_cast<ui::OptionButton*>(target)->UserClick(), control);
  }
}

bool FakeFormHost::Type(std::string_view control, std::string_view keys) {
  auto* box = static_cast<ui::TextBox*>(Reachable(control, {ControlKind::kTextBox}));
  return box != nullptr && Taken(box->UserType(keys), control);
}

bool FakeFormHost::ReplaceText(std::string_view control, std::string_view text) {
  ui::Control* target = Reachable(control, {ControlKind::kTextBox, ControlKind::kComboBox});
  if (target == nullptr) return false;
  if (target->Kind() == ControlKind::kTextBox) {
    return Taken(static_cast<ui::TextBox*>(target)->UserReplaceText(text), control);
  }
  return Taken(static_cast<ui::ComboBox*>(target)->UserReplaceText(text), control);
}

bool FakeFormHost::Select(std::string_view control, int index) {
  auto* combo = static_cast<ui::ComboBox*>(Reachable(control, {ControlKind::kComboBox}));
  return combo != nullptr && Taken(combo->UserSelect(index), control);
}

bool FakeFormHost::SelectText(std::string_view control, std::string_view item) {
  auto* combo = static_cast<ui::ComboBox*>(Reachable(control, {ControlKind::kComboBox}));
  if (combo == nullptr) return false;
  for (int i = 0; i < combo->ListCount(); ++i) {
    if (combo->List(i) == item) return Taken(combo->UserSelect(i), control);
  }
  return Refuse(std::string(control) + " has no entry \"" + std::string(item) + "\"");
}

bool FakeFormHost::ClickColumn(std::string_view control, int column) {
  auto* list = static_cast<ui::ListView*>(Reachable(control, {ControlKind::kListView}));
  return list != nullptr && Taken(list->UserClickColumn(column), control);
}

bool FakeFormHost::ClickItem(std::string_view control, std::size_t item) {
  auto* list = static_cast<ui::ListView*>(Reachable(control, {ControlKind::kListView}));
  return list != nullptr && Taken(list->UserClickItem(item), control);
}

bool FakeFormHost::MoveSlider(std::string_view control, int value) {
  auto* slider = static_cast<ui::Slider*>(Reachable(control, {ControlKind::kSlider}));
  return slider != nullptr && Taken(slider->UserMove(value), control);
}

bool FakeFormHost::Spin(std::string_view control, int steps) {
  auto* upDown = static_cast<ui::UpDown*>(Reachable(control, {ControlKind::kUpDown}));
  return upDown != nullptr && Taken(upDown->UserSpin(steps), control);
}

bool FakeFormHost::PressMovieButton(std::string_view control, std::string_view command) {
  auto* movie = static_cast<ui::Movie*>(Reachable(control, {ControlKind::kMovie}));
  return movie != nullptr && Taken(movie->SendCommand(std::string(command)), control);
}

bool FakeFormHost::PressMnemonic(char letter) {
  ui::Control* target = form_.FindMnemonic(letter);
  if (target == nullptr) {
    return Refuse(std::string("no control of ") + form_.Name() + " answers Alt+" + letter);
  }
  return Click(target->AutomationName());
}

void FakeFormHost::ControlChanged(ui::Control& control, ui::Property what) {
  mirrored_.push_back({control.AutomationName(), what});
}

void FakeFormHost::FormChanged(ui::Form& form, ui::Property what) {
  mirrored_.push_back({form.Name(), what});
}

ui::Control* FakeFormHost::Reachable(std::string_view name,
                                     std::initializer_list<ControlKind> kinds) {
  refusal_.clear();
  ui::Control* control = form_.FindControl(name);
  const std::string where = std::string(name) + " on " + form_.Name();
  if (control == nullptr) {
    Refuse("no control " + where);
  } else if (std::find(kinds.begin(), kinds.end(), control->Kind()) == kinds.end()) {
    Refuse(where + " is not a control of that kind");
  } else if (!form_.Loaded()) {
    Refuse(form_.Name() + " is not loaded");
  } else if (!control->EffectivelyVisible()) {
    Refuse(where + " is hidden");
  } else if (!control->EffectivelyEnabled()) {
    Refuse(where + " is disabled");
  } else {
    return control;
  }
  return nullptr;
}

bool FakeFormHost::Refuse(std::string reason) {
  refusal_ = std::move(reason);
  return false;
}

bool FakeFormHost::Taken(bool taken, std::string_view name) {
  if (!taken) Refuse(std::string(name) + " on " + form_.Name() + " did not take the input");
  return taken;
}

}  // namespace zephyr::testing
