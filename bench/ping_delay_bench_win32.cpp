// How long the main window keeps a message waiting while an echo goes unanswered.
//
// Run inside tests/wine/quiet_network.sh, where loopback ignores echo requests: the driver sets
// the pinger to 127.0.0.1 (manual mode, 60 minutes, so the timer stays quiet), starts
// zephyrnet.exe from its own folder, opens the pinger panel and measures the round trip of a
// message sent to frmMain every 10 ms: first while the program idles (the reference), then from
// the click on "Ping Now" until the panel tells "no answer". It prints both worst cases and their
// ratio, and puts the settings back.
//   ping_delay_bench_win32.exe [reference seconds, 3 by default]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "win32/automation_win32.h"

namespace {

using namespace zephyr::automation;

constexpr char kPingerKey[] = "SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\NetPinger";

double NowMs() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string TextOf(HWND hwnd) {
  char text[512] = {};
  SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

void WriteSettings(bool remove) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPingerKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  const std::pair<const char*, const char*> values[] = {
      {"chkDoPinging", "1"}, {"optAuto", "False"},           {"optManual", "True"},
      {"txtPingHost", "127.0.0.1"}, {"cmbPingInterval", "59"}, {"chkSound", "0"}};
  for (const auto& [name, text] : values) {
    if (remove) {
      RegDeleteValueA(key, name);
    } else {
      RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     static_cast<DWORD>(std::strlen(text) + 1));
    }
  }
  RegCloseKey(key);
}

// Sends frmMain a message every 10 ms until `done` says so; the longest round trip.
template <class Done>
double WorstRoundTrip(HWND main, Done done, double limitMs) {
  double worst = 0;
  const double start = NowMs();
  while (!done() && NowMs() - start < limitMs) {
    const double before = NowMs();
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored);
    worst = std::max(worst, NowMs() - before);
    Sleep(10);
  }
  return worst;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("ZEPHYR_QUIET_NETWORK")) {
    std::fprintf(stderr, "run me through tests/wine/quiet_network.sh\n");
    return 2;
  }
  const double referenceMs = 1000.0 * (argc > 1 ? std::atoi(argv[1]) : 3);
  char self[MAX_PATH];
  std::string folder(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  folder.resize(folder.find_last_of("\\/"));
  std::string commandLine = "\"" + folder + "\\zephyrnet.exe\"";

  WriteSettings(false);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    std::fprintf(stderr, "cannot start %s\n", commandLine.c_str());
    WriteSettings(true);
    return 1;
  }
  int result = 1;
  HWND main = WaitFor([&] { return FindTop(process.dwProcessId, "frmMain"); });
  HWND panel = nullptr;
  if (main && PressMovieButton(main, "IDC_FS_pingSetting", "pinger")) {
    panel = WaitFor([&] { return FindVisible(main, "frmNetPingerSettings"); });
  }
  HWND pingNow = panel ? FindNamed(panel, "cmdPingNow") : nullptr;
  HWND lastPing = panel ? FindNamed(panel, "lblLastPing") : nullptr;
  if (pingNow && lastPing) {
    const double idle = WorstRoundTrip(main, [] { return false; }, referenceMs);
    const double start = NowMs();
    PostMessageA(pingNow, BM_CLICK, 0, 0);
    const auto answered = [&] { return TextOf(lastPing).find("no answer") != std::string::npos; };
    const double during = WorstRoundTrip(main, answered, 60000);
    const double took = NowMs() - start;
    if (answered()) {
      std::printf("worst round trip of a message to frmMain: idle %.1f ms, during an unanswered "
                  "10 s echo %.1f ms (ratio %.2f); the echo's answer came after %.0f ms\n",
                  idle, during, idle > 0 ? during / idle : 0.0, took);
      result = 0;
    } else {
      std::fprintf(stderr, "no \"no answer\" within 60 s; the line says: %s\n",
                   TextOf(lastPing).c_str());
    }
  } else {
    std::fprintf(stderr, "the pinger panel was not found\n");
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, 10000);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  WriteSettings(true);
  return result;
}
