// The memory booster and the processor sampler on the real system: the memory status and the
// NtQuerySystemInformation records as the program reads them, the message pump, and the panels
// on the real system port, with the sound going to a port the test reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "fakes/fake_program.h"
#include "memory/free_ram.h"
#include "memory/ram_configuration_form.h"
#include "monitor/cpu_usage.h"
#include "monitor/system_status_form.h"
#include "platform/message_pump_win32.h"
#include "platform/system_win32.h"

namespace zephyr::testing {
namespace {

TEST(MemoryWin32, StatusRecordsAndPumpAnswerAsTheSystemDoes) {
  SystemWin32 system;
  const MemoryStatus status = system.GetMemoryStatus();
  EXPECT_GT(status.totalPhys, 0u);
  EXPECT_GT(status.availPhys, 0u);
  EXPECT_LE(status.availPhys, status.totalPhys);
  EXPECT_LE(status.memoryLoad, 100u);

  unsigned char basic[kBasicInformationLength] = {};
  ASSERT_EQ(system.QuerySystemInformation(kSystemBasicInformation, basic, sizeof basic),
            kStatusSuccess);
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_EQ(basic[40], info.dwNumberOfProcessors);

  clsCPUUsageNT sampler(system);
  sampler.Initialize();
  // Wine counts idle time in the kernel's 10 ms ticks: over a short interval one tick more or
  // less is several points (over 50 ms on two processors, 10), so the sample spans a second,
  // where the counters' skew is a point or two either way.
  Sleep(1000);
  const std::int32_t busy = sampler.Query();
  EXPECT_FALSE(sampler.LastQueryFailed());
  EXPECT_GE(busy, -2);
  EXPECT_LE(busy, 102);

  // Posted messages run inside DoEvents; a quit request is left for the main loop.
  MessagePumpWin32 pump;
  PostThreadMessageA(GetCurrentThreadId(), WM_USER + 7, 0, 0);
  PostQuitMessage(3);
  pump.DoEvents();
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_USER + 7, WM_USER + 7, PM_REMOVE));
}

TEST(MemoryWin32, AnAlarmLevelAboveFreeMemoryWithSoundOnPlaysTheWarning) {
  FakePorts fakes;
  SystemWin32 system;
  MessagePumpWin32 pump;
  Ports real{fakes.registry, system, fakes.shell, fakes.dialogs, fakes.clock, fakes.files,
             fakes.timers, fakes.locale, fakes.network, fakes.sound, fakes.background, fakes.screen,
             fakes.scheduler, pump};
  const std::string key = "SOFTWARE\\Corvanta\\Zephyrnet\\Settings\\RamSettings";
  fakes.registry.PutString(kHKeyLocalMachine, key, "chkSoundon", "1");
  fakes.registry.PutString(kHKeyLocalMachine, key, "txtAlarm", "32767");
  const auto freeMegabytes = system.GetMemoryStatus().availPhys >> 20;
  if (freeMegabytes >= 32767) GTEST_SKIP() << "more than 32 GB free: no alarm level above it";

  Program program(real, AppPaths{"C:\\Zephyr", "zephyrnet", {}});
  ASSERT_TRUE(program.Start());
  fakes.timers.Advance(300);
  auto& status = dynamic_cast<SystemStatusForm&>(program.Panel(PanelId::kSystemStatus));
  EXPECT_GT(status.histMemory.CurrentValue(), 0);
  EXPECT_EQ(status.totalMegabytes(), MegabytesOf(KilobytesOf(system.GetMemoryStatus().totalPhys)));
  fakes.timers.Advance(kSoundPlayerInterval - 300);
  ASSERT_EQ(fakes.sound.played.size(), 1u);
  EXPECT_EQ(fakes.sound.played[0].path, "C:\\Zephyr\\low-memory.wav");
  EXPECT_EQ(fakes.sound.played[0].flags, kSndAsync | kSndFilename);
  program.Shutdown();
}

}  // namespace
}  // namespace zephyr::testing
