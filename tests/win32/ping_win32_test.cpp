// The real network and background ports: echoes over loopback answered on the window's thread,
// and, in a network of the test's own where nothing answers, an echo that fails after its timeout
// while the window keeps handling its messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "fakes/fake_network.h"
#include "pinger/largest_packet.h"
#include "pinger/ping.h"
#include "platform/background_win32.h"
#include "platform/network_win32.h"
#include "platform/win32_handle.h"
#include "win32/program_under_test_win32.h"

namespace zephyr::testing {
namespace {

constexpr UINT kProbeMessage = WM_APP + 7;

// A window that notes how long each posted probe waited before it was handled.
class ProbeWindow {
 public:
  ProbeWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &ProbeWindow::Proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ZephyrnetPingProbe";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "ZephyrnetPingProbe", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~ProbeWindow() { DestroyWindow(window_); }

  // Runs this thread's messages, posting a probe every few milliseconds, until `finished` or the
  // limit.
  template <class Finished>
  void PumpUntil(Finished finished, DWORD limitMs) {
    const DWORD start = GetTickCount();
    while (!finished() && GetTickCount() - start < limitMs) {
      PostMessageA(window_, kProbeMessage, GetTickCount(), 0);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
  }

  int handled = 0;
  DWORD worstDelayMs = 0;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProbeMessage) {
      auto* self = reinterpret_cast<ProbeWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
      ++self->handled;
      const DWORD delay = GetTickCount() - static_cast<DWORD>(wParam);
      self->worstDelayMs = std::max(self->worstDelayMs, delay);
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  HWND window_ = nullptr;
};

struct Answer {
  mdlPing::PingOutcome outcome;
  DWORD thread = 0;
};

class PingWin32 : public ::testing::Test {
 protected:
  void Ping(const std::string& host, DWORD timeoutMs) {
    pinger.PingHost(host, timeoutMs, [this](mdlPing::PingOutcome outcome) {
      answers.push_back({outcome, GetCurrentThreadId()});
    });
  }

  NetworkWin32 network;
  BackgroundWin32 background;
  std::vector<std::string> messages;
  mdlPing::Pinger pinger{network, background, [this](const std::string& text, std::uint32_t) {
                           messages.push_back(text);
                         }};
  std::vector<Answer> answers;
  ProbeWindow probe;
};

TEST_F(PingWin32, EchoesOverLoopbackAreAnsweredOnTheWindowsThreadEachOnce) {
  ASSERT_TRUE(network.HasIcmp());
  Ping("127.0.0.1", 10000);
  Ping("localhost", 10000);  // looked up by name
  Ping("127.0.0.1", 10000);
  // All three wait on threads of their own; the answers come through the message loop.
  EXPECT_EQ(background.Pending(), 3u);
  EXPECT_TRUE(answers.empty());
  probe.PumpUntil([&] { return answers.size() == 3; }, 30000);
  ASSERT_EQ(answers.size(), 3u);
  for (const Answer& answer : answers) {
    EXPECT_TRUE(answer.outcome.answered);
    EXPECT_EQ(answer.thread, GetCurrentThreadId());
  }
  EXPECT_EQ(messages, std::vector<std::string>{});
  EXPECT_EQ(background.Pending(), 0u);
  // Nothing more arrives later.
  probe.PumpUntil([] { return false; }, 200);
  EXPECT_EQ(answers.size(), 3u);
}

// What mdlPing relies on, held by the real port and by the fake the unit tests use alike.
TEST(NetworkWin32, TheFakeNetworkAnswersAsTheRealOne) {
  NetworkWin32 real;
  FakeNetwork fake;
  fake.answers[{127, 0, 0, 1}] = {0, 1};
  for (NetworkPort* network : std::initializer_list<NetworkPort*>{&real, &fake}) {
    SCOPED_TRACE(network == &real ? "real" : "fake");
    EXPECT_EQ(network->WsaCleanup(), -1) << "a clean-up without a start-up is SOCKET_ERROR";
    WsaData data;
    ASSERT_EQ(network->WsaStartup(mdlPing::kWinsockVersion11, data), 0);
    EXPECT_EQ(data.version, 0x0101);
    EXPECT_GE(data.maxSockets, 1);
    const std::uintptr_t handle = network->IcmpCreateFile();
    ASSERT_NE(handle, kInvalidIcmpHandle);
    std::vector<std::uint8_t> reply(mdlPing::kReplyBufferSize);
    const std::string payload(mdlPing::kEchoPayload);
    EXPECT_EQ(network->IcmpSendEcho(handle, {127, 0, 0, 1}, payload.data(), 9, reply.data(),
                                    mdlPing::kReplyBufferSize, 5000),
              1u);
    EXPECT_EQ(reply[4] | reply[5] | reply[6] | reply[7], 0) << "status IP_SUCCESS";
    // "Don't fragment" over loopback: the whole payload comes back.
    const IcmpEchoResult flagged = network->IcmpSendEchoWithOptions(
        handle, {127, 0, 0, 1}, payload.data(), 9, {.flags = kIpFlagDontFragment}, reply.data(),
        mdlPing::kReplyBufferSize, 5000);
    EXPECT_EQ(mdlLargestPacket::ClassifyEcho(flagged, reply.data(), reply.size(), 9).kind,
              mdlLargestPacket::ProbeKind::kAnswered);
    // A reply buffer too small for the record and the echoed data takes no reply.
    EXPECT_EQ(network->IcmpSendEcho(handle, {127, 0, 0, 1}, payload.data(), 9, reply.data(), 16,
                                    5000),
              0u);
    EXPECT_TRUE(network->IcmpCloseHandle(handle));
    EXPECT_EQ(network->WsaCleanup(), 0);
  }
}

// Loopback carries packets of 64 KiB, so the search ends at the largest echo there is.
TEST(LargestPacketWin32, LoopbackGivesTheSizeCap) {
  NetworkWin32 network;
  mdlPing::Request request(network);
  const std::atomic<bool> cancel{false};
  const auto result = mdlLargestPacket::FindLargestPacket(request, "127.0.0.1", cancel);
  EXPECT_EQ(result.outcome, mdlLargestPacket::Outcome::kSizeCap)
      << mdlLargestPacket::ResultText("127.0.0.1", result, 0);
  EXPECT_EQ(result.ProposedMtu(), 65535);
  EXPECT_EQ(result.probes, 2);
}

TEST(BackgroundWin32, WorkStillRunningWhenThePortGoesIsWaitedForAndNotCalledBack) {
  const Win32Handle go(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  bool worked = false;
  bool called = false;
  {
    BackgroundWin32 background;
    background.Run(
        [&] {
          WaitForSingleObject(go.get(), INFINITE);
          worked = true;
        },
        [&] { called = true; });
    // Lets the work go only once the port is being destroyed.
    SetEvent(go.get());
  }
  EXPECT_TRUE(worked);
  EXPECT_FALSE(called);
}

// Run by tests/wine/quiet_network.sh in a network namespace of its own where loopback ignores
// echo requests; skipped elsewhere.
TEST_F(PingWin32, InAQuietNetworkAnEchoFailsAfterItsTimeoutWhileTheWindowKeepsAnswering) {
  if (!std::getenv("ZEPHYR_QUIET_NETWORK")) GTEST_SKIP() << "needs tests/wine/quiet_network.sh";
  const char* seconds = std::getenv("ZEPHYR_ECHO_TIMEOUT_S");
  const DWORD timeoutMs = seconds ? static_cast<DWORD>(std::atoi(seconds)) * 1000 : 3000;
  const DWORD start = GetTickCount();
  Ping("127.0.0.1", timeoutMs);
  probe.PumpUntil([&] { return !answers.empty(); }, timeoutMs + 20000);
  const DWORD took = GetTickCount() - start;
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_FALSE(answers[0].outcome.answered);
  // The timeout is in force: the answer waited for it, and the window answered all along.
  EXPECT_GE(took + 100, timeoutMs);
  EXPECT_GT(probe.handled, 10);
  std::printf("unanswered %lu ms echo: answer after %lu ms; %d posted messages handled, the worst "
              "after %lu ms\n",
              static_cast<unsigned long>(timeoutMs), static_cast<unsigned long>(took),
              probe.handled, static_cast<unsigned long>(probe.worstDelayMs));
}

// The program closed while "Ping Now" waits for an echo nobody answers: it ends within the echo's
// timeout, without a crash. Run by tests/wine/quiet_network.sh; skipped elsewhere.
TEST(PingWin32Program, InAQuietNetworkClosingWhileAnEchoWaitsEndsCleanlyWithinItsTimeout) {
  if (!std::getenv("ZEPHYR_QUIET_NETWORK")) GTEST_SKIP() << "needs tests/wine/quiet_network.sh";
  const std::string key = "SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\NetPinger";
  const std::pair<const char*, const char*> settings[] = {
      {"chkDoPinging", "1"}, {"optAuto", "False"},           {"optManual", "True"},
      {"txtPingHost", "127.0.0.1"}, {"cmbPingInterval", "59"}, {"chkSound", "0"}};
  std::vector<automation::SavedRegistryValues::Value> touched;
  for (const auto& [name, text] : settings) touched.push_back({HKEY_LOCAL_MACHINE, key, name});
  automation::SavedRegistryValues restore(touched);
  HKEY stored = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &stored, nullptr),
            ERROR_SUCCESS);
  for (const auto& [name, text] : settings) {
    RegSetValueExA(stored, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(std::string(text).size() + 1));
  }
  RegCloseKey(stored);

  automation::ProgramUnderTest program;
  ASSERT_TRUE(program.Prepare("PingCloseWhileWaiting"));
  ASSERT_TRUE(program.Start());
  HWND main =
      program.Await("frmMain", [&] { return automation::FindTop(program.id(), "frmMain"); });
  ASSERT_TRUE(main);
  ASSERT_TRUE(automation::PressMovieButton(main, "IDC_FS_pingSetting", "pinger"));
  HWND panel = program.Await("frmNetPingerSettings", [&] {
    return automation::FindVisible(main, "frmNetPingerSettings");
  });
  ASSERT_TRUE(panel);
  HWND lastPing = automation::FindNamed(panel, "lblLastPing");
  ASSERT_TRUE(lastPing);
  PostMessageA(automation::FindNamed(panel, "cmdPingNow"), BM_CLICK, 0, 0);
  ASSERT_TRUE(program.Await("the ping under way", [&]() -> HWND {
    return automation::TextOfWindow(lastPing).rfind("Pinging", 0) == 0 ? lastPing : nullptr;
  }));

  const DWORD start = GetTickCount();
  PostMessageA(main, WM_CLOSE, 0, 0);
  // The window goes at once; the process follows once the echo's thread has ended.
  EXPECT_TRUE(program.Await("frmMain gone", [&]() -> HWND {
    return IsWindow(main) && IsWindowVisible(main) ? nullptr : GetDesktopWindow();
  }));
  const DWORD windowGone = GetTickCount() - start;
  ASSERT_EQ(WaitForSingleObject(program.handle(), mdlPing::kPingTimeoutMs * 2), WAIT_OBJECT_0)
      << "still running long after the echo's timeout";
  DWORD exitCode = STILL_ACTIVE;
  GetExitCodeProcess(program.handle(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
  std::printf("closed while an echo waited: the window went after %lu ms, the process after "
              "%lu ms\n",
              static_cast<unsigned long>(windowGone),
              static_cast<unsigned long>(GetTickCount() - start));
}

}  // namespace
}  // namespace zephyr::testing
