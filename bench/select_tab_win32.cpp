// Selects a tab in every top-level window of another program that has the given title, as a click
// would, for scripts/bench to show Wine's task manager on its Performance page:
//   select_tab_win32.exe TITLE INDEX
// The first SysTabControl32 inside each window gets clicks along its top edge until the tab at
// INDEX is the selected one (the control tells its selection by a message that carries no
// pointer, so it can be asked from another process). Exit status 0 when every such window shows
// the tab, 1 when there was none or a tab could not be selected, 2 on bad arguments.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Titled {
  std::string title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTitled(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Titled*>(param);
  char text[256] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  if (IsWindowVisible(hwnd) && search->title == text) search->found.push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK FindTabControl(HWND hwnd, LPARAM param) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  if (lstrcmpiA(name, WC_TABCONTROLA) != 0) return TRUE;
  *reinterpret_cast<HWND*>(param) = hwnd;
  return FALSE;
}

bool Select(HWND tabs, int index) {
  RECT client;
  GetClientRect(tabs, &client);
  for (int x = 4; x < client.right; x += 8) {
    if (SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index) return true;
    const LPARAM at = MAKELPARAM(x, 8);
    SendMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(tabs, WM_LBUTTONUP, 0, at);
  }
  return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: select_tab_win32.exe TITLE INDEX\n");
    return 2;
  }
  Titled search{argv[1], {}};
  EnumWindows(CollectTitled, reinterpret_cast<LPARAM>(&search));
  if (search.found.empty()) {
    std::fprintf(stderr, "no window titled \"%s\"\n", argv[1]);
    return 1;
  }
  int status = 0;
  for (HWND window : search.found) {
    HWND tabs = nullptr;
    EnumChildWindows(window, FindTabControl, reinterpret_cast<LPARAM>(&tabs));
    if (!tabs || !Select(tabs, std::atoi(argv[2]))) {
      std::fprintf(stderr, "could not select tab %s in \"%s\"\n", argv[2], argv[1]);
      status = 1;
    }
  }
  return status;
}
