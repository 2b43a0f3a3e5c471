// The form model: a panel is a Form whose members are its controls, each plain state plus events.
//
// A panel never touches a window. Whoever puts it on screen (the Win32 binder, or a fake host in
// tests) attaches a FormObserver and is told about every change of visible state, so it can mirror
// the model into real windows; user input comes back through the controls' User* methods, which
// raise the same events as the program's own code does when it sets a value.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zephyr::ui {

class Control;
class Form;
class Frame;
class TimerScheduler;

// A position and size in pixels, relative to the form's client area.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

// The main window's frame for panels is this wide for every panel; each panel's form is as high
// as the frame shows it.
inline constexpr int kPanelFrameWidth = 440;

// What a host has to mirror after a change.
enum class Property {
  kCaption,
  kText,
  kValue,  // check state, option state, slider, up-down or histogram sample
  kEnabled,
  kVisible,
  kBounds,
  kToolTipText,
  kZOrder,
  kStyle,  // MaxLength, Locked, a list's sort settings, a histogram's scale
  kRange,  // Min and Max of a slider or up-down
  kItems,  // list or combo entries, list columns, the order of list items
  kSelection,
  kVariables,     // a movie variable was set
  kSource,        // a movie file was loaded
  kMousePointer,  // forms only
  kLoaded,        // forms only: after Load and after Unload
};

// The binder or a fake host. It is told after the model has changed and before the event that
// the change raises runs, so handlers already see the windows in step with the model.
class FormObserver {
 public:
  virtual ~FormObserver() = default;
  virtual void ControlChanged(Control& control, Property what) = 0;
  virtual void FormChanged(Form& form, Property what) = 0;
};

// One event of a control. As in the program's own forms, each event has exactly one handler,
// named control_Event in the panel and connected in the panel's constructor.
template <class... Args>
class Event {
 public:
  void Connect(std::function<void(Args...)> handler) { handler_ = std::move(handler); }
  template <class Owner>
  void Connect(Owner* owner, void (Owner::*method)(Args...)) {
    handler_ = [owner, method](Args... args) { (owner->*method)(args...); };
  }
  bool Connected() const { return static_cast<bool>(handler_); }

  // A handler may reconnect this event or destroy the control while it runs, so the call goes
  // through a copy.
  void Raise(Args... args) const {
    if (handler_) {
      auto handler = handler_;
      handler(args...);
    }
  }

 private:
  std::function<void(Args...)> handler_;
};

// The letter that Alt selects in a caption: the character after the first single "&" ("&&" shows
// one "&"). Nothing when the caption has none.
std::optional<char> MnemonicOf(std::string_view caption);
// The caption as it is shown: each "&&" becomes "&" and a single "&" disappears.
std::string StripMnemonic(std::string_view caption);

enum class ControlKind {
  kLabel,
  kFrame,
  kCommandButton,
  kCheckBox,
  kOptionButton,
  kTextBox,
  kComboBox,
  kListView,
  kSlider,
  kUpDown,
  kTimer,
  kHistogram,
  kMovie,
};

// What every kind of control is declared with; Label, Frame and CommandButton take no more.
// Designated initialisers must follow this order: .name, .container, .caption, .bounds, ...
// Every field of an argument struct has an initialiser, so leaving one out draws no warning.
struct ControlArgs {
  std::string name{};
  Frame* container = nullptr;  // the frame the control sits in; none for the form itself
  std::string caption{};
  Rect bounds{};
  int tabIndex = -1;  // -1: the control's place in the declaration
  bool enabled = true;
  bool visible = true;
  std::string toolTipText{};
};

// An element's place in a control array (`optMode(4)`); -1 for a control of its own.
struct ArrayIndex {
  int value = -1;
};

// The shared part of a kind's own argument struct, which repeats the ControlArgs fields (bar
// .caption where the kind has none) so that designated initialisers can name them.
template <class KindArgs>
ControlArgs CommonArgsOf(const KindArgs& args) {
  ControlArgs common{.name = args.name,
                     .container = args.container,
                     .bounds = args.bounds,
                     .tabIndex = args.tabIndex,
                     .enabled = args.enabled,
                     .visible = args.visible,
                     .toolTipText = args.toolTipText};
  if constexpr (requires { args.caption; }) common.caption = args.caption;
  return common;
}

class Control {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control();

  Form& Parent() const { return *form_; }
  ControlKind Kind() const { return kind_; }
  const std::string& Name() const { return name_; }
  std::optional<int> Index() const;
  // The name other tools find the control's window by: "cmdSave", or "optMode(4)" in an array.
  std::string AutomationName() const;
  Frame* Container() const { return container_; }
  int TabIndex() const { return tabIndex_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  const Rect& Bounds() const { return bounds_; }
  void SetBounds(const Rect& bounds);
  const std::string& ToolTipText() const { return toolTipText_; }
  void SetToolTipText(std::string text);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // A disabled or hidden frame takes every control inside it along, without changing the
  // controls' own Enabled and Visible.
  bool EffectivelyEnabled() const;
  bool EffectivelyVisible() const;
  // Whether a user can reach the control now: its form is loaded and it is effectively enabled
  // and visible.
  bool AcceptsInput() const;

  // Puts the control in front of the others on its form; StackLevel grows with every call, so
  // of two controls the one with the higher level is in front.
  void BringToFront();
  int StackLevel() const { return stackLevel_; }

 protected:
  Control(Form& form, ControlKind kind, ControlArgs common, ArrayIndex index);

  void NotifyChanged(Property what);
  virtual void EnabledChanged() {}
  // The form was loaded or unloaded.
  virtual void LoadedChanged() {}

 private:
  friend class Form;

  Form* form_;
  ControlKind kind_;
  std::string name_;
  int index_;
  Frame* container_;
  std::string caption_;
  Rect bounds_;
  int tabIndex_;
  bool enabled_;
  bool visible_;
  std::string toolTipText_;
  int stackLevel_ = 0;
};

// A top-level form's border (the values of Visual Basic's BorderStyle that the program uses):
// none draws the whole window itself, fixed single has a caption and a thin frame.
enum class BorderStyle { kNone = 0, kFixedSingle = 1 };

struct FormArgs {
  std::string name{};
  std::string caption{};
  Rect bounds{};
  bool visible = false;
  BorderStyle borderStyle = BorderStyle::kFixedSingle;
};

// The standard mouse pointers a form can show (the values of Visual Basic's MousePointer).
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

class Form {
 public:
  explicit Form(FormArgs args);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  const Rect& Bounds() const { return bounds_; }
  void SetBounds(const Rect& bounds);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  int MousePointer() const { return mousePointer_; }
  void SetMousePointer(int pointer);
  // Fixed when the form is made: a window's border is chosen when it is created.
  BorderStyle Border() const { return borderStyle_; }

  // Load starts the enabled timers with `timers` and then runs Form_Load; loading a loaded form
  // does nothing. Unload runs Form_Unload and stops every timer; destroying a loaded form stops
  // the timers without running Form_Unload. The scheduler must outlive the time the form stays
  // loaded.
  void Load(TimerScheduler& timers);
  void Unload();
  bool Loaded() const { return loaded_; }
  // The scheduler the form's timers run on while it is loaded.
  TimerScheduler* Timers() const { return timers_; }

  // Every control in declaration order, timers included.
  const std::vector<Control*>& Controls() const { return controls_; }
  // The controls ordered by TabIndex; controls without one keep their declaration place.
  std::vector<Control*> TabOrder() const;
  // The control with this automation name ("cmdSave", "optMode(4)"), or null.
  Control* FindControl(std::string_view automationName) const;
  // The first button, check box or option button in tab order whose caption's mnemonic is
  // `letter` (either case) and that accepts input, or null.
  Control* FindMnemonic(char letter) const;

  // The one observer of this form, or null to detach.
  void SetObserver(FormObserver* observer) { observer_ = observer; }
  FormObserver* Observer() const { return observer_; }

 protected:
  virtual void Form_Load() {}
  virtual void Form_Unload() {}
  // After Visible has changed, whether from code or from the program showing the panel.
  virtual void VisibleChanged() {}

 private:
  friend class Control;

  void Register(Control& control);
  void Unregister(Control& control);
  void NotifyChanged(Property what);

  std::string name_;
  std::string caption_;
  Rect bounds_;
  bool visible_;
  BorderStyle borderStyle_;
  int mousePointer_ = kPointerDefault;
  bool loaded_ = false;
  TimerScheduler* timers_ = nullptr;
  FormObserver* observer_ = nullptr;
  std::vector<Control*> controls_;
  int nextStackLevel_ = 0;
};

// A control array such as `optMode`: elements share one name and are told apart by their index,
// from 0 in the order given. Handlers receive the index, as `optMode_Click(int index)`.
template <class T>
class ControlArray {
 public:
  using Args = typename T::Args;

  ControlArray(Form& form, std::string name, std::initializer_list<Args> elements) {
    int index = 0;
    for (Args args : elements) {
      args.name = name;
      elements_.emplace_back(form, std::move(args), ArrayIndex{index++});
    }
  }

  T& operator()(int index) { return elements_.at(static_cast<std::size_t>(index)); }
  const T& operator()(int index) const { return elements_.at(static_cast<std::size_t>(index)); }
  int Count() const { return static_cast<int>(elements_.size()); }
  auto begin() { return elements_.begin(); }
  auto end() { return elements_.end(); }
  auto begin() const { return elements_.begin(); }
  auto end() const { return elements_.end(); }

  // Connects one event of every element to a handler that takes the element's index first.
  template <class... EventArgs, class Handler>
  void Connect(Event<EventArgs...> T::*event, Handler handler) {
    int index = 0;
    for (T& element : elements_) {
      (element.*event).Connect([handler, index](EventArgs... args) { handler(index, args...); });
      ++index;
    }
  }

 private:
  std::deque<T> elements_;
};

}  // namespace zephyr::ui
