// Starts a program and measures the time until its first top-level window is on screen and
// painted: visible, with nothing left to paint in it or in any visible window inside it (each has
// handled the WM_PAINT its showing asked for). A window shown but not yet painted is a blank
// rectangle to the user, so being visible alone does not count.
//   startup_probe_win32.exe PROGRAM.exe [seconds to leave it running]
// Prints "<milliseconds to painted> <process id> <milliseconds to visible>", waits, then closes
// the window and waits for the exit. Both the program and its reference are measured by this same
// probe, in the same run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == search->processId && IsWindowVisible(hwnd)) {
    search->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK FindUnpainted(HWND hwnd, LPARAM param) {
  if (IsWindowVisible(hwnd) && GetUpdateRect(hwnd, nullptr, FALSE)) {
    *reinterpret_cast<bool*>(param) = false;
    return FALSE;
  }
  return TRUE;
}

// The update regions are the system's, so another process's windows can be asked.
bool Painted(HWND top) {
  if (GetUpdateRect(top, nullptr, FALSE)) return false;
  bool painted = true;
  EnumChildWindows(top, FindUnpainted, reinterpret_cast<LPARAM>(&painted));
  return painted;
}

double MillisecondsSince(LARGE_INTEGER start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: startup_probe_win32.exe PROGRAM.exe [seconds]\n");
    return 2;
  }
  const int linger = argc > 2 ? std::atoi(argv[2]) : 0;
  std::string commandLine = std::string("\"") + argv[1] + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "cannot start %s\n", argv[1]);
    return 1;
  }
  Search search{process.dwProcessId, nullptr};
  const DWORD limit = GetTickCount() + 30000;
  while (!search.found && GetTickCount() < limit) {
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(1);
  }
  const double visibleMs = MillisecondsSince(start);
  bool painted = false;
  while (search.found && !(painted = Painted(search.found)) && GetTickCount() < limit) Sleep(1);
  const double paintedMs = MillisecondsSince(start);
  if (!painted) {
    std::fprintf(stderr, search.found ? "the window was never painted\n" : "no window appeared\n");
    TerminateProcess(process.hProcess, 1);
    return 1;
  }
  std::printf("%.1f %lu %.1f\n", paintedMs, static_cast<unsigned long>(process.dwProcessId),
              visibleMs);
  std::fflush(stdout);
  Sleep(static_cast<DWORD>(linger) * 1000);
  PostMessageA(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 0;
}
