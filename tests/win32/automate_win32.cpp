// Drives a running zephyrnet.exe from scripts (the screenshots of the documentation):
//   automate.exe press COMMAND [SCREEN]   press the movie button sending COMMAND, on the screen
//                                         that the button "screen:SCREEN" opens first if given
//   automate.exe click FORM CONTROL       click a button, check box or option of a panel
//   automate.exe wait NAME                wait until a window named NAME is visible
// Exits with 1 when a window cannot be found within a few seconds.
#include <windows.h>

#include <cstdio>
#include <string>

#include "win32/automation_win32.h"

using namespace zephyr::automation;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: automate.exe press COMMAND [SCREEN] | click FORM CONTROL | wait NAME\n");
    return 2;
  }
  const std::string verb = argv[1];
  HWND main = WaitFor([] { return FindTop(0, "frmMain"); });
  if (!main) {
    std::fprintf(stderr, "zephyrnet.exe is not running\n");
    return 1;
  }
  if (verb == "press") {
    if (!PressMovieButton(main, argv[2], argc > 3 ? argv[3] : "")) return 1;
  } else if (verb == "click" && argc > 3) {
    HWND form = WaitFor([&] { return FindVisible(main, argv[2]); }, 3000);
    HWND control = form ? FindNamed(form, argv[3]) : nullptr;
    if (!control) return 1;
    PostMessageA(control, BM_CLICK, 0, 0);
  } else if (verb == "wait") {
    if (!WaitFor([&] { return FindVisible(main, argv[2]); }, 5000)) return 1;
  } else {
    return 2;
  }
  Sleep(300);
  return 0;
}
