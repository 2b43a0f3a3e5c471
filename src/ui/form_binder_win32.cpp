#include "ui/form_binder_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <string_view>

#include "ui/controls.h"
#include "ui/custom_controls.h"
#include "ui/histogram_win32.h"
#include "ui/timer_scheduler_win32.h"

namespace zephyr::ui {

namespace {

constexpr char kFormClass[] = "ZephyrnetForm";
// Automation contract: the property other tools read a window's name from.
constexpr char kNameProperty[] = "Name";
// Room left around the controls of a form declared without a size.
constexpr int kFormMargin = 8;
// Posted by Bind to the form's own window when some controls wait for their windows. The form
// window's class is ours alone, so a private message number is safe.
constexpr UINT kCreateDeferredMessage = WM_APP + 1;
// Entries a drop-down list shows before it scrolls.
constexpr int kDropDownLines = 10;
// Ticks of a slider stay at least this many pixels apart.
constexpr int kTickSpacing = 4;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

void SetWindowTextIfChanged(HWND window, const std::string& text) {
  if (WindowText(window) != text) SetWindowTextA(window, text.c_str());
}

HANDLE AtomHandle(ATOM atom) { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)); }

ATOM NameWindow(HWND window, const std::string& name) {
  if (name.empty()) return 0;
  const ATOM atom = GlobalAddAtomA(name.c_str());
  if (atom != 0) SetPropA(window, kNameProperty, AtomHandle(atom));
  return atom;
}

void UnnameWindow(HWND window, ATOM atom) {
  if (atom == 0) return;
  // Only our own name: a handle can have been reused by a window that is not ours.
  if (window != nullptr && IsWindow(window) &&
      GetPropA(window, kNameProperty) == AtomHandle(atom)) {
    RemovePropA(window, kNameProperty);
  }
  GlobalDeleteAtom(atom);
}

bool IsFormWindow(HWND window) {
  char name[sizeof kFormClass + 1] = {};
  return GetClassNameA(window, name, sizeof name) > 0 && std::strcmp(name, kFormClass) == 0;
}

// The form window a frame or control belongs to: the nearest form window above it.
HWND FormWindowAbove(HWND window) {
  for (HWND above = GetParent(window); above != nullptr; above = GetParent(above)) {
    if (IsFormWindow(above)) return above;
  }
  return nullptr;
}

bool Inside(const Control& control, const Control& frame) {
  for (const Control* container = control.Container(); container != nullptr;
       container = container->Container()) {
    if (container == &frame) return true;
  }
  return false;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

WPARAM CheckStateOf(int value) {
  if (value == kChecked) return BST_CHECKED;
  if (value == kGrayed) return BST_INDETERMINATE;
  return BST_UNCHECKED;
}

void SetStyleBit(HWND window, LONG bit, bool on) {
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const LONG wanted = on ? (style | bit) : (style & ~bit);
  if (wanted != style) SetWindowLongA(window, GWL_STYLE, wanted);
}

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
    timers_ = &timers;
    formName_ = NameWindow(window_, form.Name());
    PlaceFormWindow();
    form.SetObserver(this);
    CreateControlWindows(later);
  }
  timers.RouteForm(form, window_);
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
  if (timers_ != nullptr) std::exchange(timers_, nullptr)->RouteForm(form, nullptr);
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
  if (kind == ControlKind::kFrame) {
    // The frame's own window procedure goes into its user data before the new one takes over.
    SetWindowLongPtrA(window, GWLP_USERDATA, GetWindowLongPtrA(window, GWLP_WNDPROC));
    SetWindowLongPtrA(window, GWLP_WNDPROC,
                      reinterpret_cast<LONG_PTR>(&FormBinderWin32::FrameProc));
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
    case ControlKind::kListView: {
      const auto& list = *static_cast<ListView*>(binding.control);
      const HWND header = reinterpret_cast<HWND>(SendMessageA(window, LVM_GETHEADER, 0, 0));
      const auto count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
      // The arrow shows on the column the list keeps itself sorted by; SortKey 0 is column 1.
      const int sortedColumn = list.Sorted() ? list.SortKey() : -1;
      for (int column = 0; column < count; ++column) {
        HDITEMA item{};
        item.mask = HDI_FORMAT;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
        int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == sortedColumn) {
          format |= list.GetSortOrder() == SortOrder::kAscending ? HDF_SORTUP : HDF_SORTDOWN;
        }
        if (format == item.fmt) continue;
        item.fmt = format;
        SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
      }
      break;
    }
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

void FormBinderWin32::MirrorItems(Binding& binding) {
  const HWND window = binding.window;
  if (binding.control->Kind() == ControlKind::kComboBox) {
    const auto& combo = *static_cast<ComboBox*>(binding.control);
    SendMessageA(window, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < combo.ListCount(); ++i) {
      SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(combo.List(i).c_str()));
    }
    MirrorSelection(binding);
    MirrorBounds(binding);
  } else if (binding.control->Kind() == ControlKind::kListView) {
    const auto& list = *static_cast<ListView*>(binding.control);
    std::vector<std::pair<std::string, int>> columns;
    for (int c = 1; c <= list.ColumnCount(); ++c) {
      columns.emplace_back(list.Column(c).Text(), list.Column(c).Width());
    }
    if (columns != binding.columns) {
      // Updated in place: column 0 of a list view cannot always be deleted.
      const auto shown = static_cast<int>(binding.columns.size());
      const auto wanted = static_cast<int>(columns.size());
      for (int c = 0; c < wanted; ++c) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = scale_.Length(columns[static_cast<std::size_t>(c)].second);
        column.pszText = const_cast<char*>(columns[static_cast<std::size_t>(c)].first.c_str());
        SendMessageA(window, c < shown ? LVM_SETCOLUMNA : LVM_INSERTCOLUMNA,
                     static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
      }
      for (int c = shown - 1; c >= std::max(wanted, 1); --c) {
        SendMessageA(window, LVM_DELETECOLUMN, static_cast<WPARAM>(c), 0);
      }
      binding.columns = std::move(columns);
      MirrorStyle(binding);
    }
    SendMessageA(window, LVM_SETITEMCOUNT, static_cast<WPARAM>(list.ItemCount()),
                 LVSICF_NOSCROLL);
    InvalidateRect(window, nullptr, FALSE);
    MirrorSelection(binding);
  }
}

void FormBinderWin32::MirrorSelection(Binding& binding) {
  const HWND window = binding.window;
  if (binding.control->Kind() == ControlKind::kComboBox) {
    const auto& combo = *static_cast<ComboBox*>(binding.control);
    SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(combo.ListIndex()), 0);
    // Clearing the selection also clears the edit part; the model may still hold a text.
    MirrorText(binding);
  } else if (binding.control->Kind() == ControlKind::kListView) {
    const auto& list = *static_cast<ListView*>(binding.control);
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED;
    SendMessageA(window, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&none));
    if (const std::optional<std::size_t> selected = list.SelectedIndex()) {
      LVITEMA item{};
      item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
      item.state = LVIS_SELECTED | LVIS_FOCUSED;
      SendMessageA(window, LVM_SETITEMSTATE, *selected, reinterpret_cast<LPARAM>(&item));
      SendMessageA(window, LVM_ENSUREVISIBLE, *selected, FALSE);
    }
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

// ---------------------------------------------------------------------------------------------
// Windows to model

// The input runs the panel's handlers, which may change anything, unload the form or destroy
// this binder. Afterwards the window is set back to what the model made of the input (it may
// have refused it, cut it short or changed it in a handler), if the binder and the window are
// still there.
template <class Input>
void FormBinderWin32::Forward(HWND window, Input&& input, std::initializer_list<Property> resync) {
  const std::shared_ptr<bool> alive = alive_;
  input();
  if (!*alive) return;
  Binding* binding = Find(window);
  if (binding == nullptr) return;
  for (Property what : resync) Mirror(*binding, what);
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

// A selection made with the keyboard is a click on the item, as for the list's ItemClick; one
// made by a mouse press is reported by the NM_CLICK of its release, so it counts once.
void FormBinderWin32::ListItemChanged(Binding& binding, const NMLISTVIEW& change) {
  if ((change.uChanged & LVIF_STATE) == 0 ||
      ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) == 0) {
    return;
  }
  if (GetKeyState(VK_LBUTTON) < 0) return;
  ListSelectionChanged(binding);
}

// The model learns the window's selection: a newly selected item is clicked; a selection the
// user cleared raises nothing, as in the list view control, and only clears the model's.
void FormBinderWin32::ListSelectionChanged(Binding& binding) {
  auto& list = *static_cast<ListView*>(binding.control);
  const auto selected = static_cast<int>(
      SendMessageA(binding.window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (selected < 0) {
    if (list.SelectedIndex()) list.SelectItem(std::nullopt);
    return;
  }
  if (list.SelectedIndex() == static_cast<std::size_t>(selected)) return;
  Forward(binding.window,
          [&list, selected] { list.UserClickItem(static_cast<std::size_t>(selected)); },
          {Property::kSelection});
}

void FormBinderWin32::ListClicked(Binding& binding, int item) {
  if (item < 0) {
    ListSelectionChanged(binding);
    return;
  }
  auto& list = *static_cast<ListView*>(binding.control);
  Forward(binding.window, [&list, item] { list.UserClickItem(static_cast<std::size_t>(item)); },
          {Property::kSelection});
}

LRESULT FormBinderWin32::ListDisplayInfo(Binding& binding, NMLVDISPINFOA& info) {
  LVITEMA& item = info.item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return 0;
  const auto& list = *static_cast<const ListView*>(binding.control);
  std::string_view text;
  if (item.iItem >= 0 && static_cast<std::size_t>(item.iItem) < list.ItemCount()) {
    text = list.Item(static_cast<std::size_t>(item.iItem)).KeyText(item.iSubItem);
  }
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  std::memcpy(item.pszText, text.data(), length);
  item.pszText[length] = '\0';
  return 0;
}

// Typing in the list jumps to the next item whose text starts with what was typed.
LRESULT FormBinderWin32::ListFindItem(Binding& binding, const NMLVFINDITEMA& find) {
  const LVFINDINFOA& wanted = find.lvfi;
  if ((wanted.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || wanted.psz == nullptr) return -1;
  const auto& list = *static_cast<const ListView*>(binding.control);
  const std::size_t count = list.ItemCount();
  const std::string_view typed(wanted.psz);
  const std::size_t start =
      find.iStart >= 0 && static_cast<std::size_t>(find.iStart) < count ? find.iStart : 0;
  const std::size_t end = (wanted.flags & LVFI_WRAP) != 0 ? start + count : count;
  for (std::size_t i = start; i < end; ++i) {
    const std::string& text = list.Item(i % count).Text();
    const bool match = (wanted.flags & LVFI_PARTIAL) != 0
                           ? EqualNoCase(std::string_view(text).substr(0, typed.size()), typed)
                           : EqualNoCase(text, typed);
    if (match) return static_cast<LRESULT>(i % count);
  }
  return -1;
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

// ---------------------------------------------------------------------------------------------
// Window procedures

LRESULT CALLBACK FormBinderWin32::FormProc(HWND hwnd, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<FormBinderWin32*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND: return self->OnCommand(hwnd, wParam, lParam);
    case WM_NOTIFY: return self->OnNotify(hwnd, wParam, lParam);
    case WM_HSCROLL:
    case WM_VSCROLL: return self->OnScroll(hwnd, message, wParam, lParam);
    case WM_TIMER: return self->OnTimer(hwnd, wParam);
    case WM_SETCURSOR: return self->OnSetCursor(hwnd, message, wParam, lParam);
    case WM_CLOSE: return self->OnClose(hwnd);
    case WM_ACTIVATE: return self->OnActivate(hwnd, wParam);
    case WM_SETFOCUS: return self->OnSetFocus(hwnd);
    case WM_NEXTDLGCTL: return self->OnNextDialogControl(hwnd, wParam, lParam);
    case WM_DESTROY: return self->OnDestroy(hwnd);
    case kCreateDeferredMessage:
      if (hwnd == self->window_) self->CreateDeferredWindows();
      return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

// A group box reports nothing of its own; what its child windows send their parent goes on to
// the form, and it paints its inside, which it would otherwise leave as it was.
LRESULT CALLBACK FormBinderWin32::FrameProc(HWND hwnd, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (original == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: return ForwardFromFrame(hwnd, original, message, wParam, lParam);
    case WM_NOTIFYFORMAT: return FrameNotifyFormat(hwnd, original, wParam, lParam);
    case WM_ERASEBKGND: return EraseFrame(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_NCDESTROY: return ReleaseFrame(hwnd, original, wParam, lParam);
    default: return CallWindowProcA(original, hwnd, message, wParam, lParam);
  }
}

LRESULT FormBinderWin32::ForwardFromFrame(HWND frame, WNDPROC original, UINT message,
                                          WPARAM wParam, LPARAM lParam) {
  const HWND form = FormWindowAbove(frame);
  if (form == nullptr) return CallWindowProcA(original, frame, message, wParam, lParam);
  return SendMessageA(form, message, wParam, lParam);
}

// Controls inside a frame ask it which kind of notifications to send; the form's answer holds.
LRESULT FormBinderWin32::FrameNotifyFormat(HWND frame, WNDPROC original, WPARAM wParam,
                                           LPARAM lParam) {
  if (lParam != NF_QUERY) return CallWindowProcA(original, frame, WM_NOTIFYFORMAT, wParam, lParam);
  return ForwardFromFrame(frame, original, WM_NOTIFYFORMAT, wParam, lParam);
}

LRESULT FormBinderWin32::EraseFrame(HWND frame, HDC dc) {
  RECT client;
  GetClientRect(frame, &client);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(frame), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(frame)));
  if (brush == nullptr) brush = GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &client, brush);
  return 1;
}

LRESULT FormBinderWin32::ReleaseFrame(HWND frame, WNDPROC original, WPARAM wParam,
                                      LPARAM lParam) {
  SetWindowLongPtrA(frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  SetWindowLongPtrA(frame, GWLP_USERDATA, 0);
  return CallWindowProcA(original, frame, WM_NCDESTROY, wParam, lParam);
}

LRESULT FormBinderWin32::OnCommand(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const auto control = reinterpret_cast<HWND>(lParam);
  if (control == nullptr || mirroring_ > 0) return 0;
  Binding* binding = Find(control);
  if (binding == nullptr) {
    // Dialog keys (Enter on a button, a mnemonic) report to the top-level form whatever window
    // the control sits in; the form of a panel shown inside this one takes it from here.
    const HWND owner = IsWindow(control) ? FormWindowAbove(control) : nullptr;
    if (owner != nullptr && owner != hwnd && IsChild(hwnd, owner)) {
      return SendMessageA(owner, WM_COMMAND, wParam, lParam);
    }
    return 0;
  }
  const UINT code = HIWORD(wParam);
  switch (binding->control->Kind()) {
    case ControlKind::kCommandButton:
    case ControlKind::kCheckBox:
    case ControlKind::kOptionButton:
      if (code == BN_CLICKED) ButtonClicked(*binding);
      break;
    case ControlKind::kTextBox:
      if (code == EN_CHANGE) TextEdited(*binding);
      break;
    case ControlKind::kComboBox:
      if (code == CBN_SELCHANGE) ComboSelected(*binding);
      if (code == CBN_EDITCHANGE) ComboEdited(*binding);
      break;
    default: break;
  }
  return 0;
}

LRESULT FormBinderWin32::OnNotify(HWND, WPARAM, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  Binding* binding = Find(header->hwndFrom);
  if (binding == nullptr) return 0;
  const ControlKind kind = binding->control->Kind();
  if (kind == ControlKind::kListView) {
    // Requests for data, answered also while the model is being mirrored.
    if (header->code == LVN_GETDISPINFOA) {
      return ListDisplayInfo(*binding, *reinterpret_cast<NMLVDISPINFOA*>(lParam));
    }
    if (header->code == LVN_ODFINDITEMA) {
      return ListFindItem(*binding, *reinterpret_cast<const NMLVFINDITEMA*>(lParam));
    }
  }
  if (kind == ControlKind::kUpDown && header->code == UDN_DELTAPOS) {
    // The model moves the value and writes the buddy; the control itself keeps still.
    if (mirroring_ == 0) {
      auto& upDown = *static_cast<UpDown*>(binding->control);
      const int steps = reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta;
      Forward(binding->window, [&upDown, steps] { upDown.UserSpin(steps); }, {Property::kValue});
    }
    return TRUE;
  }
  if (mirroring_ > 0 || kind != ControlKind::kListView) return 0;
  switch (header->code) {
    case LVN_COLUMNCLICK: {
      auto& list = *static_cast<ListView*>(binding->control);
      const int column = reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem + 1;
      Forward(binding->window, [&list, column] { list.UserClickColumn(column); }, {});
      break;
    }
    case LVN_ITEMCHANGED:
      ListItemChanged(*binding, *reinterpret_cast<const NMLISTVIEW*>(lParam));
      break;
    case NM_CLICK:
      ListClicked(*binding, reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
      break;
    // A press that turns into a drag sends no NM_CLICK, but may have moved the selection.
    case LVN_BEGINDRAG: ListSelectionChanged(*binding); break;
    default: break;
  }
  return 0;
}

LRESULT FormBinderWin32::OnScroll(HWND, UINT, WPARAM wParam, LPARAM lParam) {
  const auto control = reinterpret_cast<HWND>(lParam);
  if (control == nullptr || mirroring_ > 0) return 0;
  Binding* binding = Find(control);
  if (binding != nullptr && binding->control->Kind() == ControlKind::kSlider) {
    SliderMoved(*binding, LOWORD(wParam));
  }
  return 0;
}

LRESULT FormBinderWin32::OnTimer(HWND hwnd, WPARAM wParam) {
  if (timers_ != nullptr) timers_->Dispatch(hwnd, static_cast<UINT_PTR>(wParam));
  return 0;
}

LRESULT FormBinderWin32::OnSetCursor(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (form_ != nullptr && form_->MousePointer() == kPointerHourglass) {
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    return TRUE;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Closing a top-level form unloads it, as a user expects; the unload takes the windows away.
LRESULT FormBinderWin32::OnClose(HWND hwnd) {
  if (form_ == nullptr) return DefWindowProcA(hwnd, WM_CLOSE, 0, 0);
  form_->Unload();
  return 0;
}

// A top-level form gives the focus back to the control that had it, as a dialog does.
LRESULT FormBinderWin32::OnActivate(HWND hwnd, WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE) {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd, focus)) lastFocus_ = focus;
    return 0;
  }
  if (HIWORD(wParam) != 0) return 0;  // minimised
  return OnSetFocus(hwnd);
}

LRESULT FormBinderWin32::OnSetFocus(HWND hwnd) {
  HWND target = lastFocus_ != nullptr && IsWindow(lastFocus_) && IsChild(hwnd, lastFocus_)
                    ? lastFocus_
                    : GetNextDlgTabItem(hwnd, nullptr, FALSE);
  if (target != nullptr && target != hwnd) SetFocus(target);
  return 0;
}

// What IsDialogMessage asks of a dialog for Tab and the arrow keys; a plain window answers it
// here. As in a dialog, a push button with the focus is the default one, which Enter presses.
LRESULT FormBinderWin32::OnNextDialogControl(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  HWND focus = GetFocus();
  if (focus == hwnd) focus = nullptr;
  const HWND target = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                          : GetNextDlgTabItem(hwnd, focus, wParam != 0);
  if (target == nullptr) return 0;
  if (focus != nullptr && (SendMessageA(focus, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) != 0) {
    SendMessageA(focus, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
  }
  SetFocus(target);
  const LRESULT code = SendMessageA(target, WM_GETDLGCODE, 0, 0);
  if ((code & DLGC_UNDEFPUSHBUTTON) != 0) SendMessageA(target, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  if ((code & DLGC_HASSETSEL) != 0) SendMessageA(target, EM_SETSEL, 0, -1);
  return 0;
}

LRESULT FormBinderWin32::OnDestroy(HWND) {
  Release(false);
  return 0;
}

bool TranslateDialogMessage(MSG& message) {
  if (message.hwnd == nullptr || !IsWindow(message.hwnd)) return false;
  // The top-level window, found without GetAncestor, which Windows 95 and NT 4 lack.
  HWND root = message.hwnd;
  while ((GetWindowLongA(root, GWL_STYLE) & WS_CHILD) != 0 && GetParent(root) != nullptr) {
    root = GetParent(root);
  }
  if (!IsFormWindow(root)) return false;
  return IsDialogMessageA(root, &message) != FALSE;
}

}  // namespace zephyr::ui
