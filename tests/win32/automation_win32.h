// Finding the program's windows by the automation contract: every window the program makes
// carries the property "Name", a global atom with the form's or control's name, or with the
// command a movie button sends ("screen:<id>" for one that only opens a screen).
#pragma once

#include <windows.h>

#include <cstdlib>

#include <functional>
#include <string>
#include <vector>

namespace zephyr::automation {

inline std::string NameOf(HWND hwnd) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropA(hwnd, "Name")));
  if (!atom) return {};
  char name[256];
  const UINT length = GlobalGetAtomNameA(atom, name, sizeof name);
  return std::string(name, length);
}

inline BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
  return TRUE;
}

// Every descendant window of `root`, depth first.
inline std::vector<HWND> Descendants(HWND root) {
  std::vector<HWND> windows;
  EnumChildWindows(root, Collect, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// The one limit of every wait for the program. Generous: on a busy machine a window can come
// many seconds late, and a wait that is met returns at once. ZEPHYR_WAIT_LIMIT_MS raises it where
// the program runs emulated, ten to a hundred times slower.
inline int WaitLimitFromEnvironment() {
  char text[32] = {};
  if (GetEnvironmentVariableA("ZEPHYR_WAIT_LIMIT_MS", text, sizeof text) == 0) return 60000;
  const int limit = std::atoi(text);
  return limit >= 60000 ? limit : 60000;
}
inline const int kWaitLimitMs = WaitLimitFromEnvironment();

// Waits up to `ms` for `found` to give a window.
inline HWND WaitFor(const std::function<HWND()>& found, int ms = kWaitLimitMs) {
  for (int waited = 0; waited < ms; waited += 50) {
    if (HWND hwnd = found()) return hwnd;
    Sleep(50);
  }
  return nullptr;
}

struct TopSearch {
  DWORD processId;
  std::string name;
  std::string windowClass;
  HWND found;
};

inline BOOL CALLBACK MatchTop(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<TopSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  // Process 0 stands for any process.
  if (search->processId != 0 && owner != search->processId) return TRUE;
  char windowClass[64] = {};
  GetClassNameA(hwnd, windowClass, sizeof windowClass);
  if ((!search->name.empty() && NameOf(hwnd) == search->name) ||
      (!search->windowClass.empty() && search->windowClass == windowClass)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

inline HWND FindTop(DWORD processId, const std::string& name, const std::string& windowClass = {}) {
  TopSearch search{processId, name, windowClass, nullptr};
  EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&search));
  if (!search.found && !windowClass.empty()) {
    // Message-only windows are not top-level windows.
    HWND candidate = nullptr;
    while ((candidate = FindWindowExA(HWND_MESSAGE, candidate, windowClass.c_str(), nullptr))) {
      DWORD owner = 0;
      GetWindowThreadProcessId(candidate, &owner);
      if (processId == 0 || owner == processId) return candidate;
    }
  }
  return search.found;
}

// A visible window named `name` inside `root`.
inline HWND FindVisible(HWND root, const std::string& name) {
  for (HWND hwnd : Descendants(root)) {
    if (IsWindowVisible(hwnd) && NameOf(hwnd) == name) return hwnd;
  }
  return nullptr;
}

inline HWND FindNamed(HWND root, const std::string& name) {
  for (HWND hwnd : Descendants(root)) {
    if (NameOf(hwnd) == name) return hwnd;
  }
  return nullptr;
}

// Presses the movie button that sends `command` (or opens "screen:<id>"), on the screen shown
// now or, with `via`, on the screen the button "screen:<via>" opens first. The click is posted,
// as the command may open a message box and wait for it. False when a button is not found.
inline bool PressMovieButton(HWND main, const std::string& command, const std::string& via = {}) {
  if (!via.empty()) {
    const HWND screen = WaitFor([&] { return FindVisible(main, "screen:" + via); });
    if (!screen) return false;
    SendMessageA(screen, BM_CLICK, 0, 0);
  }
  const HWND button = WaitFor([&] { return FindVisible(main, command); });
  if (!button) return false;
  PostMessageA(button, BM_CLICK, 0, 0);
  return true;
}

// Presses `button` (cmdApply or cmdCancel) in the preview window frmPreview that "Optimize Now"
// and "Finish" open. The click is posted: Apply may end in a message box. False when the
// window or its button does not appear.
inline bool AnswerPreview(DWORD processId, const std::string& button) {
  const HWND preview = WaitFor([&] { return FindTop(processId, "frmPreview"); });
  if (!preview) return false;
  const HWND pressed = WaitFor([&] { return FindVisible(preview, button); });
  if (!pressed) return false;
  PostMessageA(pressed, BM_CLICK, 0, 0);
  return true;
}

}  // namespace zephyr::automation
