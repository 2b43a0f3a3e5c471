// What the form binder's files share: names, small window helpers and the way user input
// reaches the model. Only the binder's own files include it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "ui/controls.h"
#include "ui/form_binder_win32.h"

namespace zephyr::ui::binder {

inline constexpr char kFormClass[] = "ZephyrnetForm";
// Automation contract: the property other tools read a window's name from.
inline constexpr char kNameProperty[] = "Name";
// Posted by Bind to the form's own window when some controls wait for their windows. The form
// window's class is ours alone, so a private message number is safe.
inline constexpr UINT kCreateDeferredMessage = WM_APP + 1;

inline HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

inline std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

inline void SetWindowTextIfChanged(HWND window, const std::string& text) {
  if (WindowText(window) != text) SetWindowTextA(window, text.c_str());
}

inline HANDLE AtomHandle(ATOM atom) {
  return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom));
}

inline ATOM NameWindow(HWND window, const std::string& name) {
  if (name.empty()) return 0;
  const ATOM atom = GlobalAddAtomA(name.c_str());
  if (atom != 0) SetPropA(window, kNameProperty, AtomHandle(atom));
  return atom;
}

inline void UnnameWindow(HWND window, ATOM atom) {
  if (atom == 0) return;
  // Only our own name: a handle can have been reused by a window that is not ours.
  if (window != nullptr && IsWindow(window) &&
      GetPropA(window, kNameProperty) == AtomHandle(atom)) {
    RemovePropA(window, kNameProperty);
  }
  GlobalDeleteAtom(atom);
}

inline bool IsFormWindow(HWND window) {
  char name[sizeof kFormClass + 1] = {};
  return GetClassNameA(window, name, sizeof name) > 0 && std::strcmp(name, kFormClass) == 0;
}

// The form window a frame or control belongs to: the nearest form window above it.
inline HWND FormWindowAbove(HWND window) {
  for (HWND above = GetParent(window); above != nullptr; above = GetParent(above)) {
    if (IsFormWindow(above)) return above;
  }
  return nullptr;
}

inline bool Inside(const Control& control, const Control& frame) {
  for (const Control* container = control.Container(); container != nullptr;
       container = container->Container()) {
    if (container == &frame) return true;
  }
  return false;
}

inline WPARAM CheckStateOf(int value) {
  if (value == kChecked) return BST_CHECKED;
  if (value == kGrayed) return BST_INDETERMINATE;
  return BST_UNCHECKED;
}

inline void SetStyleBit(HWND window, LONG bit, bool on) {
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const LONG wanted = on ? (style | bit) : (style & ~bit);
  if (wanted != style) SetWindowLongA(window, GWL_STYLE, wanted);
}

}  // namespace zephyr::ui::binder

namespace zephyr::ui {

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

}  // namespace zephyr::ui
