// Starts a program and measures the time until it shows its first visible top-level window:
//   startup_probe_win32.exe PROGRAM.exe [seconds to leave it running]
// Prints "<milliseconds> <process id>", waits, then closes the window and waits for the exit.
// Both the program and its reference are measured by this same probe, in the same run.
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
  LARGE_INTEGER frequency, start, shown;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "cannot start %s\n", argv[1]);
    return 1;
  }
  Search search{process.dwProcessId, nullptr};
  for (int i = 0; i < 30000 && !search.found; ++i) {
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(1);
  }
  QueryPerformanceCounter(&shown);
  if (!search.found) {
    std::fprintf(stderr, "no window appeared\n");
    TerminateProcess(process.hProcess, 1);
    return 1;
  }
  std::printf("%.1f %lu\n",
              1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) /
                  static_cast<double>(frequency.QuadPart),
              static_cast<unsigned long>(process.dwProcessId));
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
