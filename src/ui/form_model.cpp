#include "ui/form_model.h"

#include <algorithm>
#include <cctype>

#include "ui/controls.h"  // Frame, for the walk up the containers

namespace zephyr::ui {

namespace {

char UpperAscii(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

}  // namespace

std::optional<char> MnemonicOf(std::string_view caption) {
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return caption[i + 1];
  }
  return std::nullopt;
}

std::string StripMnemonic(std::string_view caption) {
  std::string shown;
  shown.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      ++i;
    }
    shown += caption[i];
  }
  return shown;
}

// ---------------------------------------------------------------------------------------------
// Control

Control::Control(Form& form, ControlKind kind, ControlArgs common, ArrayIndex index)
    : form_(&form),
      kind_(kind),
      name_(std::move(common.name)),
      index_(index.value),
      container_(common.container),
      caption_(std::move(common.caption)),
      bounds_(common.bounds),
      tabIndex_(common.tabIndex),
      enabled_(common.enabled),
      visible_(common.visible),
      toolTipText_(std::move(common.toolTipText)) {
  form.Register(*this);
}

Control::~Control() { form_->Unregister(*this); }

std::optional<int> Control::Index() const {
  if (index_ < 0) return std::nullopt;
  return index_;
}

std::string Control::AutomationName() const {
  if (index_ < 0) return name_;
  return name_ + "(" + std::to_string(index_) + ")";
}

void Control::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  NotifyChanged(Property::kCaption);
}

void Control::SetBounds(const Rect& bounds) {
  if (bounds == bounds_) return;
  bounds_ = bounds;
  NotifyChanged(Property::kBounds);
}

void Control::SetToolTipText(std::string text) {
  if (text == toolTipText_) return;
  toolTipText_ = std::move(text);
  NotifyChanged(Property::kToolTipText);
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  NotifyChanged(Property::kEnabled);
  EnabledChanged();
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  NotifyChanged(Property::kVisible);
}

bool Control::EffectivelyEnabled() const {
  if (!enabled_) return false;
  for (const Control* frame = container_; frame != nullptr; frame = frame->container_) {
    if (!frame->enabled_) return false;
  }
  return true;
}

bool Control::EffectivelyVisible() const {
  if (!visible_) return false;
  for (const Control* frame = container_; frame != nullptr; frame = frame->container_) {
    if (!frame->visible_) return false;
  }
  return true;
}

bool Control::AcceptsInput() const {
  return form_->Loaded() && EffectivelyEnabled() && EffectivelyVisible();
}

void Control::BringToFront() {
  stackLevel_ = ++form_->nextStackLevel_;
  NotifyChanged(Property::kZOrder);
}

void Control::NotifyChanged(Property what) {
  if (FormObserver* observer = form_->Observer()) observer->ControlChanged(*this, what);
}

// ---------------------------------------------------------------------------------------------
// Form

Form::Form(FormArgs args)
    : name_(std::move(args.name)),
      caption_(std::move(args.caption)),
      bounds_(args.bounds),
      visible_(args.visible),
      borderStyle_(args.borderStyle) {}

// The controls are members of the derived panel and are gone by now; each one has already left
// the list and stopped its timer. A host still watching a loaded form hears that it is gone, so it
// can drop its windows.
Form::~Form() {
  if (!loaded_) return;
  loaded_ = false;
  timers_ = nullptr;
  NotifyChanged(Property::kLoaded);
}

void Form::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  NotifyChanged(Property::kCaption);
}

void Form::SetBounds(const Rect& bounds) {
  if (bounds == bounds_) return;
  bounds_ = bounds;
  NotifyChanged(Property::kBounds);
}

void Form::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  NotifyChanged(Property::kVisible);
  VisibleChanged();
}

void Form::SetMousePointer(int pointer) {
  if (pointer == mousePointer_) return;
  mousePointer_ = pointer;
  NotifyChanged(Property::kMousePointer);
}

void Form::Load(TimerScheduler& timers) {
  if (loaded_) return;
  loaded_ = true;
  timers_ = &timers;
  NotifyChanged(Property::kLoaded);
  for (Control* control : controls_) control->LoadedChanged();
  Form_Load();
}

void Form::Unload() {
  if (!loaded_) return;
  Form_Unload();
  loaded_ = false;
  for (Control* control : controls_) control->LoadedChanged();
  timers_ = nullptr;
  NotifyChanged(Property::kLoaded);
}

std::vector<Control*> Form::TabOrder() const {
  // A control given a TabIndex goes before one that only sits at that place in the declaration,
  // as setting TabIndex moves the others back.
  struct Keyed {
    int key;
    bool declared;
    Control* control;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(controls_.size());
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const bool declared = controls_[i]->tabIndex_ < 0;
    keyed.push_back(
        {declared ? static_cast<int>(i) : controls_[i]->tabIndex_, declared, controls_[i]});
  }
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    return a.key != b.key ? a.key < b.key : (!a.declared && b.declared);
  });
  std::vector<Control*> ordered;
  ordered.reserve(keyed.size());
  for (const Keyed& entry : keyed) ordered.push_back(entry.control);
  return ordered;
}

Control* Form::FindControl(std::string_view automationName) const {
  for (Control* control : controls_) {
    if (control->AutomationName() == automationName) return control;
  }
  return nullptr;
}

Control* Form::FindMnemonic(char letter) const {
  for (Control* control : TabOrder()) {
    const ControlKind kind = control->Kind();
    if (kind != ControlKind::kCommandButton && kind != ControlKind::kCheckBox &&
        kind != ControlKind::kOptionButton) {
      continue;
    }
    const std::optional<char> mnemonic = MnemonicOf(control->Caption());
    if (mnemonic && UpperAscii(*mnemonic) == UpperAscii(letter) && control->AcceptsInput()) {
      return control;
    }
  }
  return nullptr;
}

void Form::Register(Control& control) { controls_.push_back(&control); }

void Form::Unregister(Control& control) { std::erase(controls_, &control); }

void Form::NotifyChanged(Property what) {
  if (observer_ != nullptr) observer_->FormChanged(*this, what);
}

}  // namespace zephyr::ui
