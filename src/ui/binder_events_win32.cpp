// The form binder's window procedures: the form window's messages, each to its handler, the
// frames' messages passed on to the form, and the dialog keys of the main loop.
#include "ui/form_binder_internal_win32.h"

#include <commctrl.h>

#include "ui/controls.h"
#include "ui/timer_scheduler_win32.h"

namespace zephyr::ui {

using namespace binder;

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
    case WM_ERASEBKGND: return FillWithParentColor(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_NCDESTROY: return EndSubclass(hwnd, original, wParam, lParam);
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

// The colours the parent gives a static window, asked as the static control asks: the brush
// fills the window, and the text colour stays set in the DC.
LRESULT FormBinderWin32::FillWithParentColor(HWND window, HDC dc) {
  RECT client;
  GetClientRect(window, &client);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(window), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(window)));
  if (brush == nullptr) brush = GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &client, brush);
  return 1;
}

LRESULT FormBinderWin32::EndSubclass(HWND window, WNDPROC original, WPARAM wParam,
                                     LPARAM lParam) {
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  return CallWindowProcA(original, window, WM_NCDESTROY, wParam, lParam);
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
