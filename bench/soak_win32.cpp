// The soak: drives zephyrnet.exe for a number of minutes through every panel in turn and samples
// what it holds every 10 seconds, for scripts/soak (which sets up its folder, its settings, the
// plot and the verdict):
//   soak_win32.exe PROGRAM.exe MINUTES CSV
// The CSV has one row per sample: seconds, private bytes, kernel handles, GDI and USER objects
// (as GetGuiResources reports them) and the program's windows (top-level and child, counted here:
// the USER objects a system without GetGuiResources figures cannot show otherwise). Where the
// system reports no handles for another process (Wine), they are counted from the system's handle
// list. Wine 8 reports no GDI or USER objects for another process at all: those columns stay 0.
// The last column is the number of whole tours of the panels done before the sample.
// The functions newer than the oldest systems are looked up: GetProcessMemoryInfo (psapi.dll, or
// kernel32 as K32GetProcessMemoryInfo) and GetProcessHandleCount. Exit status 0 when the program
// ran to the end, 1 when it ended early or a step failed, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "soak_setup_win32.h"
#include "win32/automation_win32.h"

namespace {

using namespace zephyr::automation;
using namespace zephyr::bench;

// PROCESS_MEMORY_COUNTERS_EX, declared here: psapi.h is not needed for one record.
struct MemoryCounters {
  DWORD cb;
  DWORD PageFaultCount;
  SIZE_T PeakWorkingSetSize;
  SIZE_T WorkingSetSize;
  SIZE_T QuotaPeakPagedPoolUsage;
  SIZE_T QuotaPagedPoolUsage;
  SIZE_T QuotaPeakNonPagedPoolUsage;
  SIZE_T QuotaNonPagedPoolUsage;
  SIZE_T PagefileUsage;
  SIZE_T PeakPagefileUsage;
  SIZE_T PrivateUsage;
};

using MemoryInfoFn = BOOL(WINAPI*)(HANDLE, MemoryCounters*, DWORD);
using HandleCountFn = BOOL(WINAPI*)(HANDLE, PDWORD);
using GuiResourcesFn = DWORD(WINAPI*)(HANDLE, DWORD);

template <class Fn>
Fn Lookup(const char* module, const char* name) {
  HMODULE loaded = GetModuleHandleA(module);
  if (!loaded) loaded = LoadLibraryA(module);
  return loaded ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(loaded, name)))
                : nullptr;
}

struct Probe {
  MemoryInfoFn memoryInfo = Lookup<MemoryInfoFn>("kernel32.dll", "K32GetProcessMemoryInfo");
  HandleCountFn handleCount = Lookup<HandleCountFn>("kernel32.dll", "GetProcessHandleCount");
  GuiResourcesFn guiResources = Lookup<GuiResourcesFn>("user32.dll", "GetGuiResources");
  Probe() {
    if (!memoryInfo) memoryInfo = Lookup<MemoryInfoFn>("psapi.dll", "GetProcessMemoryInfo");
  }
};

using QuerySystemFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);

// Kernel handles from the system's handle list, where GetProcessHandleCount says nothing (Wine
// answers 0 for another process). Each entry names its owner.
unsigned long HandlesFromSystemList(DWORD processId) {
  static const auto query = Lookup<QuerySystemFn>("ntdll.dll", "NtQuerySystemInformation");
  if (!query) return 0;
  struct Entry {
    ULONG ownerPid;
    BYTE objectType, flags;
    USHORT value;
    void* object;
    ULONG access;
  };
  constexpr ULONG kSystemHandleInformation = 16;
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  std::vector<BYTE> buffer(1 << 16);
  LONG status;
  while ((status = query(kSystemHandleInformation, buffer.data(),
                         static_cast<ULONG>(buffer.size()), nullptr)) == kInfoLengthMismatch &&
         buffer.size() < (64u << 20)) {
    buffer.resize(buffer.size() * 2);
  }
  if (status != 0) return 0;
  const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
  unsigned long owned = 0;
  for (ULONG i = 0; i < count; ++i) owned += entries[i].ownerPid == processId;
  return owned;
}

// Every window of the process: its top-level windows and all their descendants.
long WindowsOf(DWORD processId) {
  std::vector<HWND> tops;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&tops));
  long count = 0;
  for (HWND top : tops) {
    DWORD owner = 0;
    GetWindowThreadProcessId(top, &owner);
    if (owner != processId) continue;
    count += 1 + static_cast<long>(Descendants(top).size());
  }
  return count;
}

struct Sample {
  double seconds;
  unsigned long long privateBytes;
  unsigned long handles, gdi, user;
  long windows;
};

Sample Take(const Probe& probe, HANDLE process, DWORD processId, double seconds) {
  Sample sample{seconds, 0, 0, 0, 0, WindowsOf(processId)};
  if (probe.memoryInfo) {
    MemoryCounters counters{};
    counters.cb = sizeof counters;
    if (probe.memoryInfo(process, &counters, sizeof counters)) {
      sample.privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    }
  }
  DWORD handles = 0;
  if (probe.handleCount && probe.handleCount(process, &handles)) sample.handles = handles;
  if (probe.guiResources) {
    sample.gdi = probe.guiResources(process, 0);   // GR_GDIOBJECTS
    sample.user = probe.guiResources(process, 1);  // GR_USEROBJECTS
  }
  if (sample.handles == 0) sample.handles = HandlesFromSystemList(processId);
  return sample;
}

// One step of the tour: the movie button that opens a panel, the screen it is on, the panel's
// form, and a button inside the panel to press once it is shown (empty for none).
struct Step {
  const char* command;
  const char* via;
  const char* form;
  const char* press;
};

constexpr Step kTour[] = {
    {"IDC_FS_wizardMode", "network", "frmWizardMode", ""},
    {"IDC_FS_normalMode", "network", "frmNormalMode", ""},
    {"IDC_FS_backupManger", "network", "frmBackUp", ""},
    {"IDC_FS_pingSetting", "pinger", "frmNetPingerSettings", "cmdPingNow"},
    {"IDC_FS_systemSatus", "memory", "frmSystemStatus", ""},
    {"IDC_FS_ramConfig", "memory", "frmRamConfiguration", ""},
    {"IDC_FS_settings", "", "frmMainSettings", ""},
};

bool Alive(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

// Lets the program's messages run for `ms` while keeping an eye on it.
void Pause(HANDLE process, DWORD ms) { WaitForSingleObject(process, ms); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: soak_win32.exe PROGRAM.exe MINUTES CSV\n");
    return 2;
  }
  const double minutes = std::atof(argv[2]);
  if (minutes <= 0) return 2;
  std::FILE* csv = std::fopen(argv[3], "w");
  if (!csv) {
    std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return 2;
  }
  std::fprintf(csv, "seconds,private_bytes,handles,gdi_objects,user_objects,windows,tours\n");

  std::unique_ptr<SavedRegistryValues> saved;
  PROCESS_INFORMATION started{};
  if (!StartWithSettings(argv[1], &saved, &started)) return 1;
  const HANDLE process = started.hProcess;
  const DWORD processId = started.dwProcessId;
  int status = 0;
  const auto fail = [&](const std::string& what) {
    std::fprintf(stderr, "soak: %s\n", what.c_str());
    status = 1;
  };

  HWND main = WaitFor([&] { return FindTop(processId, "frmMain"); });
  if (!main) fail("the main window frmMain did not appear");
  const Probe probe;
  if (!probe.memoryInfo) std::fprintf(stderr, "soak: no GetProcessMemoryInfo here\n");
  if (!probe.handleCount) std::fprintf(stderr, "soak: no GetProcessHandleCount here\n");

  const DWORD begin = GetTickCount();
  const double total = minutes * 60.0;
  double nextSample = 0;
  std::size_t step = 0;
  unsigned long tours = 0;
  while (status == 0) {
    const double now = static_cast<double>(GetTickCount() - begin) / 1000.0;
    if (!Alive(process)) {
      fail("the program ended by itself");
      break;
    }
    if (now >= nextSample) {
      const Sample s = Take(probe, process, processId, now);
      std::fprintf(csv, "%.1f,%llu,%lu,%lu,%lu,%ld,%lu\n", s.seconds, s.privateBytes, s.handles,
                   s.gdi, s.user, s.windows, tours);
      std::fflush(csv);
      nextSample += 10;
      if (nextSample > total + 0.5) break;
    }
    // The next panel of the tour: back to the menu's home, then its screen and its button.
    const Step& next = kTour[step];
    if (!PressMovieButton(main, "IDC_FS_main")) {
      fail("no Main menu button");
      break;
    }
    Pause(process, 300);
    if (!PressMovieButton(main, next.command, next.via)) {
      fail(std::string("no movie button sends ") + next.command);
      break;
    }
    const HWND panel = WaitFor([&] { return FindVisible(main, next.form); });
    if (!panel) {
      fail(std::string("the panel ") + next.form + " did not appear");
      break;
    }
    if (*next.press) {
      if (HWND button = FindVisible(panel, next.press)) PostMessageA(button, BM_CLICK, 0, 0);
    }
    // Long enough for the graphs to draw and a ping to come back before the next panel.
    Pause(process, 1200);
    if (++step == std::size(kTour)) {
      step = 0;
      ++tours;
    }
  }
  std::fclose(csv);
  std::fprintf(stderr, "soak: %lu tours of the %zu panels\n", tours, std::size(kTour));

  if (main) PostMessageA(main, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
  CloseHandle(process);
  saved.reset();  // the settings as they were
  return status;
}
