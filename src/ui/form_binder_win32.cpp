// The binder's core: binding and unbinding a form, making its windows, and handing the model's
// changes to the mirror of each property. The rest lives beside it: binder_events_win32.cpp
// (window procedures, user input in), binder_layout_win32.cpp (places and scale), and one file
// per kind of control (binder_buttons, binder_labels, binder_text, binder_list_view,
// binder_slider).
#include "ui/form_binder_internal_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "ui/controls.h"
#include "ui/custom_controls.h"
#include "ui/histogram_win32.h"
#include "ui/timer_scheduler_win32.h"

namespace zephyr::ui {

namespace {

// The class and styles of the standard window a control gets.
struct NewWindow {
  const char* className = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
};

NewWindow NewWindowFor(const Control& control) {
  switch (control.Kind()) {
    case ControlKind::kLabel: return {"STATIC", SS_LEFT};
    // Controls inside a frame are its child windows; the frame lets dialog keys into them.
    case ControlKind::kFrame:
      return {"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::kCommandButton: return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
    // Three states, because the model may set a box grayed; what a click makes of the state is
    // the model's decision, and the binder sets the box back to it.
    case ControlKind::kCheckBox: return {"BUTTON", BS_AUTO3STATE | WS_TABSTOP};
    // The tab stop of an option group moves to its selected button (MirrorOptionGroup).
    case ControlKind::kOptionButton: return {"BUTTON", BS_AUTORADIOBUTTON};
    case ControlKind::kTextBox: {
      const auto& box = static_cast<const TextBox&>(control);
      const DWORD lines = box.MultiLine()
                              ? ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL
                              : ES_AUTOHSCROLL;
      return {"EDIT", lines | WS_TABSTOP, WS_EX_CLIENTEDGE};
    }
    case ControlKind::kComboBox: {
      DWORD kind = CBS_DROPDOWN | CBS_AUTOHSCROLL;
      switch (static_cast<const ComboBox&>(control).Style()) {
        case ComboStyle::kDropdownList: kind = CBS_DROPDOWNLIST; break;
        case ComboStyle::kSimpleCombo: kind = CBS_SIMPLE | CBS_AUTOHSCROLL; break;
        case ComboStyle::kDropdownCombo: break;
      }
      return {"COMBOBOX", kind | WS_VSCROLL | WS_TABSTOP};
    }
    // Owner data: the list view asks for the texts it shows, so a change of the model's items
    // costs one message, not a rebuild of the whole list.
    case ControlKind::kListView:
      return {WC_LISTVIEWA,
              LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ControlKind::kSlider: {
      const Rect& bounds = control.Bounds();
      const DWORD orientation = bounds.height > bounds.width ? TBS_VERT : TBS_HORZ;
      return {TRACKBAR_CLASSA, TBS_AUTOTICKS | orientation | WS_TABSTOP};
    }
    // No UDS_SETBUDDYINT: the model writes the buddy's text.
    case ControlKind::kUpDown:
      return {UPDOWN_CLASSA, UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_HOTTRACK};
    default: return {};
  }
}

}  // namespace

using namespace binder;

// ---------------------------------------------------------------------------------------------
// Binding and unbinding

void RegisterCommonControls() {
  // InitCommonControlsEx came with comctl32 4.70 (Internet Explorer 3); Windows 95 and NT 4.0 as
  // they shipped have only InitCommonControls, which registers every class the program uses.
  using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto initEx = reinterpret_cast<InitEx>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("comctl32.dll"), "InitCommonControlsEx")));
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                   ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
  if (initEx == nullptr || !initEx(&classes)) InitCommonControls();
}

FormBinderWin32::~FormBinderWin32() {
  Release(true);
  *alive_ = false;
}

bool FormBinderWin32::Bind(Form& form, HWND parent, TimerSchedulerWin32& timers,
                           const std::function<bool(const Control&)>& later) {
  if (form_ != nullptr) return false;
  if (form.Observer() != nullptr && form.Observer() != this) return false;
  RegisterCommonControls();
  if (!RegisterFormClass(Instance())) return false;
  if (!font_) font_ = std::make_unique<ControlFont>(scale_);
  {
    const MirrorScope quiet(*this);
    window_ = CreateFormWindow(form, parent);
    if (window_ == nullptr) return false;
    form_ = &form;
    formName_ = NameWindow(window_, form.Name());
    PlaceFormWindow();
    form.SetObserver(this);
    CreateControlWindows(later);
  }
  if (!form.Loaded()) {
    const std::shared_ptr<bool> alive = alive_;
    form.Load(timers);
    // Form_Load may have unloaded the form again, which ends the binding.
    if (!*alive || form_ != &form) return false;
  }
  if (form.Visible()) ShowWindow(window_, SW_SHOW);
  if (!deferred_.empty()) PostMessageA(window_, kCreateDeferredMessage, 0, 0);
  return true;
}

void FormBinderWin32::Unbind() { Release(true); }

// Used on every way out: Unbind, the form unloaded or destroyed (its controls may be gone by
// then, so no control is touched here), and the form's window destroyed from outside.
void FormBinderWin32::Release(bool destroyWindow) {
  if (form_ == nullptr) return;
  Form& form = *std::exchange(form_, nullptr);
  if (form.Observer() == this) form.SetObserver(nullptr);
  const HWND window = std::exchange(window_, nullptr);
  for (const Binding& binding : bindings_) UnnameWindow(binding.window, binding.name);
  UnnameWindow(window, std::exchange(formName_, 0));
  // Cleared before the windows go, so what they report while being destroyed finds no control.
  bindings_.clear();
  deferred_.clear();
  byControl_.clear();
  byWindow_.clear();
  lastFocus_ = nullptr;
  if (toolTip_ != nullptr) DestroyWindow(std::exchange(toolTip_, nullptr));
  if (destroyWindow && window != nullptr && IsWindow(window)) DestroyWindow(window);
}

HWND FormBinderWin32::WindowOf(const Control& control) const {
  const auto found = byControl_.find(&control);
  return found == byControl_.end() ? nullptr : bindings_[found->second].window;
}

FormBinderWin32::Binding* FormBinderWin32::Find(const Control& control) {
  const auto found = byControl_.find(&control);
  return found == byControl_.end() ? nullptr : &bindings_[found->second];
}

FormBinderWin32::Binding* FormBinderWin32::Find(HWND window) {
  const auto found = byWindow_.find(window);
  return found == byWindow_.end() ? nullptr : &bindings_[found->second];
}

// ---------------------------------------------------------------------------------------------
// Making the windows

bool FormBinderWin32::RegisterFormClass(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  if (GetClassInfoA(instance, kFormClass, &windowClass)) return true;
  windowClass.lpfnWndProc = &FormBinderWin32::FormProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIcon(instance, MAKEINTRESOURCE(1));
  if (windowClass.hIcon == nullptr) windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kFormClass;
  return RegisterClassA(&windowClass) != 0;
}

HWND FormBinderWin32::CreateFormWindow(Form& form, HWND parent) {
  // A borderless top-level form keeps its system menu and minimize box, so the taskbar can
  // still minimize and restore it.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  if (parent != nullptr) {
    style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  } else if (form.Border() == BorderStyle::kNone) {
    style = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  }
  return CreateWindowExA(WS_EX_CONTROLPARENT, kFormClass, form.Caption().c_str(), style, 0, 0, 0,
                         0, parent, nullptr, Instance(), this);
}

void FormBinderWin32::CreateControlWindows(const std::function<bool(const Control&)>& later) {
  for (Control* control : form_->TabOrder()) {
    if (later && later(*control)) {
      deferred_.push_back(control);
    } else {
      CreateWindowFor(*control);
    }
  }
  FinishWindows(0);
}

// New child windows go to the bottom of the z-order, so the windows made now follow all the
// others in tab order, as their controls do. They are set to the model as it is now.
void FormBinderWin32::CreateDeferredWindows() {
  if (form_ == nullptr || deferred_.empty()) return;
  const MirrorScope quiet(*this);
  const std::size_t first = bindings_.size();
  for (Control* control : std::exchange(deferred_, {})) CreateWindowFor(*control);
  FinishWindows(first);
}

// The windows of bindings_[first] on, just made: up-downs joined to their text boxes, the
// model's stacking, and every property set from the model.
void FormBinderWin32::FinishWindows(std::size_t first) {
  for (std::size_t i = first; i < bindings_.size(); ++i) {
    const Binding& binding = bindings_[i];
    if (binding.control->Kind() != ControlKind::kUpDown) continue;
    const TextBox* buddy = static_cast<const UpDown*>(binding.control)->Buddy();
    if (const HWND buddyWindow = buddy != nullptr ? WindowOf(*buddy) : nullptr) {
      SendMessageA(binding.window, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddyWindow), 0);
    }
  }
  ApplyStacking();
  for (std::size_t i = first; i < bindings_.size(); ++i) MirrorAll(bindings_[i]);
}

// Windows are made in tab order, a frame before the first control inside it, so the order of
// the windows (which dialog keys follow) is the model's tab order.
HWND FormBinderWin32::CreateWindowFor(Control& control) {
  if (const Binding* existing = Find(control)) return existing->window;
  const ControlKind kind = control.Kind();
  if (kind == ControlKind::kTimer) return nullptr;
  if (kind == ControlKind::kMovie && movieHost_ == nullptr) return nullptr;
  const HWND parent = ParentWindowOf(control);

  Binding binding;
  binding.control = &control;
  const std::size_t index = bindings_.size();
  // Option buttons that follow each other in one container form one group for the arrow keys;
  // every other window starts a group of its own.
  const Binding* previous = nullptr;
  for (auto it = bindings_.rbegin(); it != bindings_.rend(); ++it) {
    if (GetParent(it->window) == parent) {
      previous = &*it;
      break;
    }
  }
  const bool continuesGroup = kind == ControlKind::kOptionButton && previous != nullptr &&
                              previous->control->Kind() == ControlKind::kOptionButton &&
                              previous->control->Container() == control.Container();
  binding.optionGroup = continuesGroup ? previous->optionGroup : index;

  const DWORD common = WS_CHILD | WS_CLIPSIBLINGS | (continuesGroup ? 0 : WS_GROUP);
  const Rect bounds = PixelBounds(control);
  const int id = nextId_++;
  HWND window = nullptr;
  if (kind == ControlKind::kMovie) {
    window = movieHost_->CreateControlWindow(control, parent);
    binding.hosted = true;
  } else if (kind == ControlKind::kHistogram) {
    const RECT area{bounds.x, bounds.y, bounds.x + bounds.width, bounds.y + bounds.height};
    window = HistogramWindow::Create(parent, area, common, id);
  } else {
    const NewWindow made = NewWindowFor(control);
    if (made.className == nullptr) return nullptr;
    window = CreateWindowExA(made.exStyle, made.className, "", common | made.style, bounds.x,
                             bounds.y, bounds.width, bounds.height, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(),
                             nullptr);
  }
  if (window == nullptr) return nullptr;

  if (!binding.hosted) {
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_->get()), FALSE);
  }
  if (kind == ControlKind::kFrame || kind == ControlKind::kLabel) {
    // The window's own procedure goes into its user data before the new one takes over.
    SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_WNDPROC));
    const WNDPROC procedure =
        kind == ControlKind::kFrame ? &FormBinderWin32::FrameProc : &FormBinderWin32::LabelProc;
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  }
  if (kind == ControlKind::kListView) {
    SendMessageA(window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                 LVS_EX_FULLROWSELECT);
  }
  binding.window = window;
  // A host may have named its window itself.
  if (!binding.hosted || GetPropA(window, kNameProperty) == nullptr) {
    binding.name = NameWindow(window, control.AutomationName());
  }
  bindings_.push_back(std::move(binding));
  byControl_[&control] = index;
  byWindow_[window] = index;
  return window;
}

// ---------------------------------------------------------------------------------------------
// Model to windows

void FormBinderWin32::ControlChanged(Control& control, Property what) {
  if (&control.Parent() != form_) return;
  if (Binding* binding = Find(control)) Mirror(*binding, what);
}

void FormBinderWin32::FormChanged(Form& form, Property what) {
  if (&form != form_) return;
  const MirrorScope quiet(*this);
  switch (what) {
    case Property::kCaption: SetWindowTextIfChanged(window_, form.Caption()); break;
    case Property::kBounds: PlaceFormWindow(); break;
    case Property::kVisible: ShowWindow(window_, form.Visible() ? SW_SHOW : SW_HIDE); break;
    case Property::kMousePointer: MirrorCursor(); break;
    case Property::kLoaded:
      if (!form.Loaded()) Release(true);
      break;
    default: break;
  }
}

void FormBinderWin32::Mirror(Binding& binding, Property what) {
  {
    const MirrorScope quiet(*this);
    switch (what) {
      case Property::kCaption: MirrorCaption(binding); break;
      case Property::kText: MirrorText(binding); break;
      case Property::kValue: MirrorValue(binding); break;
      case Property::kEnabled: MirrorEnabled(binding); break;
      case Property::kVisible:
        ShowWindow(binding.window, binding.control->Visible() ? SW_SHOWNA : SW_HIDE);
        break;
      case Property::kBounds: MirrorBounds(binding); break;
      case Property::kToolTipText: MirrorToolTip(binding); break;
      case Property::kZOrder:
        SetWindowPos(binding.window, HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        break;
      case Property::kStyle: MirrorStyle(binding); break;
      case Property::kRange: MirrorRange(binding); break;
      case Property::kItems: MirrorItems(binding); break;
      case Property::kSelection: MirrorSelection(binding); break;
      default: break;
    }
  }
  if (binding.hosted && movieHost_ != nullptr) {
    movieHost_->ControlChanged(*binding.control, binding.window, what);
  }
}

void FormBinderWin32::MirrorAll(Binding& binding) {
  const MirrorScope quiet(*this);
  MirrorBounds(binding);
  MirrorCaption(binding);
  MirrorStyle(binding);
  MirrorRange(binding);
  MirrorItems(binding);
  MirrorText(binding);
  MirrorValue(binding);
  MirrorEnabled(binding);
  MirrorToolTip(binding);
  ShowWindow(binding.window, binding.control->Visible() ? SW_SHOWNA : SW_HIDE);
}

void FormBinderWin32::MirrorCaption(Binding& binding) {
  switch (binding.control->Kind()) {
    case ControlKind::kLabel:
    case ControlKind::kFrame:
    case ControlKind::kCommandButton:
    case ControlKind::kCheckBox:
    case ControlKind::kOptionButton:
      // The "&" stays: Windows underlines the letter after it and Alt selects the control.
      SetWindowTextIfChanged(binding.window, binding.control->Caption());
      break;
    default: break;
  }
}

void FormBinderWin32::MirrorValue(Binding& binding) {
  const HWND window = binding.window;
  switch (binding.control->Kind()) {
    case ControlKind::kCheckBox: {
      const int value = static_cast<CheckBox*>(binding.control)->Value();
      SendMessageA(window, BM_SETCHECK, CheckStateOf(value), 0);
      break;
    }
    case ControlKind::kOptionButton: MirrorOptionGroup(binding.optionGroup); break;
    case ControlKind::kSlider:
      SendMessageA(window, TBM_SETPOS, TRUE, static_cast<Slider*>(binding.control)->Value());
      break;
    case ControlKind::kUpDown:
      SendMessageA(window, UDM_SETPOS32, 0, static_cast<UpDown*>(binding.control)->Value());
      break;
    case ControlKind::kHistogram: {
      const auto& histogram = *static_cast<Histogram*>(binding.control);
      HistogramWindow::Show(window, {histogram.VisibleSamples(), histogram.MaxLines(),
                                     static_cast<COLORREF>(histogram.BarColor())});
      break;
    }
    default: break;
  }
}

// A control inside a disabled frame is shown disabled too, as the model's EffectivelyEnabled
// says; hiding needs no such care, as a hidden frame's child windows are hidden with it.
void FormBinderWin32::MirrorEnabled(Binding& binding) {
  const Control& control = *binding.control;
  EnableWindow(binding.window, control.EffectivelyEnabled());
  if (control.Kind() != ControlKind::kFrame) return;
  for (const Binding& other : bindings_) {
    if (Inside(*other.control, control)) {
      EnableWindow(other.window, other.control->EffectivelyEnabled());
    }
  }
}

void FormBinderWin32::MirrorToolTip(Binding& binding) {
  const std::string& text = binding.control->ToolTipText();
  if (text.empty() && !binding.hasToolTip) return;
  if (toolTip_ == nullptr) {
    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                               Instance(), nullptr);
    if (toolTip_ == nullptr) return;
  }
  TOOLINFOA tool{};
  // The size common controls 5 accept too.
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(binding.window);
  tool.uId = reinterpret_cast<UINT_PTR>(binding.window);
  tool.lpszText = const_cast<char*>(text.c_str());
  if (text.empty()) {
    SendMessageA(toolTip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    binding.hasToolTip = false;
  } else if (binding.hasToolTip) {
    SendMessageA(toolTip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    binding.hasToolTip =
        SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
  }
}

void FormBinderWin32::MirrorStyle(Binding& binding) {
  const HWND window = binding.window;
  switch (binding.control->Kind()) {
    case ControlKind::kTextBox: {
      const auto& box = *static_cast<TextBox*>(binding.control);
      SendMessageA(window, EM_SETLIMITTEXT, static_cast<WPARAM>(box.MaxLength()), 0);
      SendMessageA(window, EM_SETREADONLY, box.Locked() ? TRUE : FALSE, 0);
      break;
    }
    case ControlKind::kListView: MirrorSortArrows(binding); break;
    case ControlKind::kSlider: {
      const auto& slider = *static_cast<Slider*>(binding.control);
      SendMessageA(window, TBM_SETLINESIZE, 0, slider.SmallChange());
      SendMessageA(window, TBM_SETPAGESIZE, 0, slider.LargeChange());
      break;
    }
    case ControlKind::kHistogram: MirrorValue(binding); break;
    default: break;
  }
}

void FormBinderWin32::MirrorItems(Binding& binding) {
  if (binding.control->Kind() == ControlKind::kComboBox) {
    MirrorComboItems(binding);
  } else if (binding.control->Kind() == ControlKind::kListView) {
    MirrorListItems(binding);
  }
}

void FormBinderWin32::MirrorSelection(Binding& binding) {
  if (binding.control->Kind() == ControlKind::kComboBox) {
    MirrorComboSelection(binding);
  } else if (binding.control->Kind() == ControlKind::kListView) {
    MirrorListSelection(binding);
  }
}

// The window under the mouse chooses its cursor again; the form answers for all of its windows
// while it shows the hourglass (OnSetCursor).
void FormBinderWin32::MirrorCursor() {
  POINT point;
  if (!GetCursorPos(&point)) return;
  const HWND under = WindowFromPoint(point);
  if (under == nullptr || (under != window_ && !IsChild(window_, under))) return;
  SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

}  // namespace zephyr::ui
