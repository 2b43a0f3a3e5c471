// The one generic binder: turns any form model into real windows.
//
// Bind creates the form's window (a child of a given window, or a top-level window) and one child
// window per control, in tab order, from the model's declaration. From then on it mirrors every
// change the model reports into the windows and hands what the user does in them to the
// controls' User* methods, so a panel sees exactly the events a user raises and has no Win32 code
// of its own. Setting a window from the model never comes back as user input.
//
// Forms are laid out at 96 dots per inch; the binder places every window at the screen's scale
// (DpiScale: edges rounded, so neighbours neither overlap nor part), sizes list columns with it
// and gives the controls the standard control font at that scale. The tab stops of a label's
// caption scale with it too.
//
// Controls inside a Frame are child windows of the frame's group box, placed relative to it, so
// hiding, moving or raising a frame takes its contents along. As in dialogs, the tab order is the
// order of the windows: the model's tab order, until BringToFront raises a control.
//
// Automation contract: the form's window and every control window carry the property "Name", a
// global atom holding the form's name or the control's automation name ("cmdSave",
// "optMode(4)"). The atoms go when the windows go.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/dpi_scale.h"
#include "ui/dpi_win32.h"
#include "ui/form_model.h"

namespace zephyr::ui {

class TimerSchedulerWin32;

// Supplies the windows of a control kind the binder does not make itself (the movie player).
class ControlWindowHost {
 public:
  virtual ~ControlWindowHost() = default;
  // The control's window, made as a child of `parent` at the control's Bounds, or null to leave
  // the control without one. The binder names it (unless it carries a "Name" already), keeps its
  // bounds, visibility, enabled state and place in the z-order in step with the model, and
  // destroys it with the form's window.
  virtual HWND CreateControlWindow(Control& control, HWND parent) = 0;
  // Every change the model reports for the control, after the binder mirrored its own part.
  virtual void ControlChanged(Control& control, HWND window, Property what) = 0;
};

class FormBinderWin32 final : public FormObserver {
 public:
  FormBinderWin32() = default;
  // Unbinds.
  ~FormBinderWin32() override;
  FormBinderWin32(const FormBinderWin32&) = delete;
  FormBinderWin32& operator=(const FormBinderWin32&) = delete;

  // The scale of the windows made from now on; the screen's unless a test says otherwise.
  void SetScale(DpiScale scale) { scale_ = scale; }
  const DpiScale& Scale() const { return scale_; }

  // Hosts the Movie controls of forms bound from now on; without a host they get no window.
  void SetMovieHost(ControlWindowHost* host) { movieHost_ = host; }

  // Creates the windows of `form`, as a child of `parent` or, with null, as a top-level window,
  // and loads the form with `timers` unless it is loaded already. The window is shown while the form is Visible. False when this binder is bound
  // already, another observer watches the form, or the windows cannot be made. The scheduler must
  // outlive the binding. Unloading or destroying the form ends the binding and takes its windows
  // away, and so does closing a top-level form's window, which unloads the form as a user expects.
  //
  // Controls for which `later` is true get their windows only once the form is on screen, from a
  // message the binder posts to itself, after every other window and in tab order: for controls
  // nobody can see or reach at first, so the form appears without waiting for them. Until then
  // WindowOf gives null for them and their changes wait in the model.
  bool Bind(Form& form, HWND parent, TimerSchedulerWin32& timers,
            const std::function<bool(const Control&)>& later = {});
  // True until the windows put off by Bind have been made.
  bool HasDeferredWindows() const { return !deferred_.empty(); }
  // Destroys the windows and lets go of the form, which stays loaded. Nothing when not bound.
  void Unbind();
  bool Bound() const { return form_ != nullptr; }

  // For restyling (the skin engine): the form's window, and the window of a control; null for a
  // control without one (timers, a movie nobody hosts) and when not bound.
  HWND FormWindow() const { return window_; }
  HWND WindowOf(const Control& control) const;

  void ControlChanged(Control& control, Property what) override;
  void FormChanged(Form& form, Property what) override;

 private:
  struct Binding {
    Control* control = nullptr;
    HWND window = nullptr;
    ATOM name = 0;
    bool hosted = false;
    bool hasToolTip = false;
    std::size_t optionGroup = 0;  // option buttons: the binding that starts their arrow-key group
    std::vector<std::pair<std::string, int>> columns{};  // list views: the columns shown
  };

  // Notifications that windows send while the model is being mirrored into them are echoes, not
  // user input; this scope marks such a time.
  class MirrorScope {
   public:
    explicit MirrorScope(FormBinderWin32& binder) : binder_(binder) { ++binder_.mirroring_; }
    ~MirrorScope() { --binder_.mirroring_; }
    MirrorScope(const MirrorScope&) = delete;
    MirrorScope& operator=(const MirrorScope&) = delete;

   private:
    FormBinderWin32& binder_;
  };

  static LRESULT CALLBACK FormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static bool RegisterFormClass(HINSTANCE instance);
  static LRESULT ForwardFromFrame(HWND frame, WNDPROC original, UINT message, WPARAM wParam,
                                  LPARAM lParam);
  static LRESULT FrameNotifyFormat(HWND frame, WNDPROC original, WPARAM wParam, LPARAM lParam);
  static LRESULT FillWithParentColor(HWND window, HDC dc);
  // Frames and labels run their own window procedure first; it goes again with the window.
  static LRESULT EndSubclass(HWND window, WNDPROC original, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT PaintTabbedLabel(HWND label, const std::string& text, const DpiScale& scale);

  // The form window's messages.
  LRESULT OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnScroll(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnSetCursor(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnClose(HWND hwnd);
  LRESULT OnActivate(HWND hwnd, WPARAM wParam);
  LRESULT OnSetFocus(HWND hwnd);
  LRESULT OnNextDialogControl(HWND hwnd, WPARAM wParam, LPARAM lParam);
  LRESULT OnDestroy(HWND hwnd);

  // Making the windows.
  HWND CreateFormWindow(Form& form, HWND parent);
  void PlaceFormWindow();
  void CreateControlWindows(const std::function<bool(const Control&)>& later);
  void CreateDeferredWindows();
  void FinishWindows(std::size_t first);
  void ApplyStacking();
  HWND CreateWindowFor(Control& control);
  // The control's bounds in pixels, relative to the window it is a child of.
  Rect PixelBounds(const Control& control) const;
  HWND ParentWindowOf(const Control& control);
  void Release(bool destroyWindow);

  Binding* Find(const Control& control);
  Binding* Find(HWND window);

  // Model to windows.
  void Mirror(Binding& binding, Property what);
  void MirrorAll(Binding& binding);
  void MirrorCaption(Binding& binding);
  void MirrorText(Binding& binding);
  void MirrorValue(Binding& binding);
  void MirrorEnabled(Binding& binding);
  void MirrorBounds(Binding& binding);
  void MirrorToolTip(Binding& binding);
  void MirrorStyle(Binding& binding);
  void MirrorRange(Binding& binding);
  void MirrorItems(Binding& binding);
  void MirrorSelection(Binding& binding);
  void MirrorComboItems(Binding& binding);
  void MirrorComboSelection(Binding& binding);
  void MirrorSortArrows(Binding& binding);
  void MirrorListItems(Binding& binding);
  void MirrorListSelection(Binding& binding);
  void MirrorOptionGroup(std::size_t group);
  void MirrorCursor();

  // Windows to model: user input, then the windows set back to whatever the model made of it.
  void ButtonClicked(Binding& binding);
  void TextEdited(Binding& binding);
  void ComboSelected(Binding& binding);
  void ComboEdited(Binding& binding);
  void ListItemChanged(Binding& binding, const NMLISTVIEW& change);
  void ListSelectionChanged(Binding& binding);
  void ListClicked(Binding& binding, int item);
  LRESULT ListDisplayInfo(Binding& binding, NMLVDISPINFOA& info);
  LRESULT ListFindItem(Binding& binding, const NMLVFINDITEMA& find);
  void SliderMoved(Binding& binding, int code);
  template <class Input>
  void Forward(HWND window, Input&& input, std::initializer_list<Property> resync);

  Form* form_ = nullptr;
  DpiScale scale_ = ScreenScale();
  std::unique_ptr<ControlFont> font_;  // outlives the windows: members go after ~FormBinderWin32
  ControlWindowHost* movieHost_ = nullptr;
  HWND window_ = nullptr;
  ATOM formName_ = 0;
  HWND toolTip_ = nullptr;
  HWND lastFocus_ = nullptr;
  std::vector<Binding> bindings_;
  std::vector<Control*> deferred_;  // controls whose windows Bind put off, in tab order
  std::map<const Control*, std::size_t> byControl_;
  std::map<HWND, std::size_t> byWindow_;
  int nextId_ = 1000;  // clear of IDOK and IDCANCEL, which dialog keys send
  int mirroring_ = 0;
  // False once the binder is gone; user input checks it before touching the binder again, as a
  // handler may destroy the binder.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Dialog keys for the main loop: Tab and Shift+Tab, arrow keys in option groups, Alt+letter
// mnemonics. True when the message was for the windows of a bound form and has been handled;
// then it must not be translated or dispatched again.
bool TranslateDialogMessage(MSG& message);

// Registers the common controls' window classes (list view, slider, up-down and the others), on
// every comctl32 from Windows 95's on.
void RegisterCommonControls();

}  // namespace zephyr::ui
