// The program idle with every timer on, for the processor-time row of scripts/bench: the soak's
// settings (the pinger on, pinging this computer; the low-memory alarm firing) and System Status
// shown, its graphs drawing.
//   idle_cpu_win32.exe PROGRAM.exe SECONDS [--home]
// (--home leaves the program on its home screen, no panel shown: the share of the graphs is the
// difference.) Prints "ready <process id>" once the panel is shown, leaves the program alone for SECONDS, then
// closes it and puts the settings back. The script reads the processor time of the Linux process
// running the program over those seconds. Exit status 0 when the program ran to the end, 1 when
// it did not start, the panel did not appear or the program ended early, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "soak_setup_win32.h"
#include "win32/automation_win32.h"

int main(int argc, char** argv) {
  using namespace zephyr::automation;
  using namespace zephyr::bench;
  if (argc < 3 || std::atoi(argv[2]) <= 0) {
    std::fprintf(stderr, "usage: idle_cpu_win32.exe PROGRAM.exe SECONDS [--home]\n");
    return 2;
  }
  const DWORD seconds = static_cast<DWORD>(std::atoi(argv[2]));
  const bool home = argc > 3 && std::string(argv[3]) == "--home";
  std::unique_ptr<SavedRegistryValues> saved;
  PROCESS_INFORMATION started{};
  if (!StartWithSettings(argv[1], &saved, &started)) return 1;
  int status = 1;
  const HWND main = WaitFor([&] { return FindTop(started.dwProcessId, "frmMain"); });
  // As the soak goes to a panel: the menu's home, then the panel's screen and its button.
  const auto showStatus = [&] {
    if (!PressMovieButton(main, "IDC_FS_main")) return false;
    Sleep(300);
    return PressMovieButton(main, "IDC_FS_systemSatus", "memory") &&
           WaitFor([&] { return FindVisible(main, "frmSystemStatus"); }) != nullptr;
  };
  if (!main) {
    std::fprintf(stderr, "idle: the main window frmMain did not appear\n");
  } else if (!home && !showStatus()) {
    std::fprintf(stderr, "idle: System Status did not appear\n");
  } else {
    std::printf("ready %lu\n", static_cast<unsigned long>(started.dwProcessId));
    std::fflush(stdout);
    if (WaitForSingleObject(started.hProcess, seconds * 1000) == WAIT_TIMEOUT) {
      status = 0;
    } else {
      std::fprintf(stderr, "idle: the program ended by itself\n");
    }
  }
  if (main) PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(started.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(started.hProcess, 1);
  }
  CloseHandle(started.hProcess);
  saved.reset();  // the settings as they were
  return status;
}
