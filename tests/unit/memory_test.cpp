// The memory booster's service and the processor samplers: the unit conversions, freeing with its
// yields and its one halving, the shell and exit words, the platform test, and the busy share of
// both samplers.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "fakes/fake_message_pump.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_system.h"
#include "memory/free_ram.h"
#include "monitor/cpu_usage.h"

namespace zephyr::testing {
namespace {

TEST(MemoryUnits, EachStepRoundsToTheNearestTiesToEven) {
  struct Case {
    std::uint64_t bytes;
    std::int64_t kilobytes;
    std::int64_t megabytes;
  };
  for (const Case& c : {Case{1536, 2, 0}, Case{2560, 2, 0}, Case{3584, 4, 0},
                        // 1535.5 KB round to 1536, and 1.5 MB to 2: the product alone gives 1.
                        Case{1572352, 1536, 2}, Case{2621440, 2560, 2},
                        Case{512ull << 20, 524288, 512}, Case{300ull << 30, 314572800, 307200}}) {
    EXPECT_EQ(KilobytesOf(c.bytes), c.kilobytes) << c.bytes;
    EXPECT_EQ(MegabytesOf(KilobytesOf(c.bytes)), c.megabytes) << c.bytes;
  }
  EXPECT_EQ(FormatNumber(25), "25");
  EXPECT_EQ(FormatNumber(100.0 / 3), "33.3333333333333");
  for (const char* text : {"", " ", "abc", "1e", "1.2.3", "--1", "12a"}) {
    EXPECT_FALSE(NumberOf(text)) << text;
  }
  EXPECT_EQ(NumberOf(" 250 "), 250.0);
  EXPECT_EQ(NumberOf("-1.5"), -1.5);
}

class FreeUpMemory : public ::testing::Test {
 protected:
  // A writer that refuses the counts in `refused` and records what was asked and what is held.
  FreeRAM Ram() {
    return FreeRAM(system, pump, shell, [this](std::uint64_t characters) -> SpaceBlock {
      asked.push_back(characters);
      if (refused.count(characters) != 0) return nullptr;
      ++held;
      return SpaceBlock(&held, [](void* count) { --*static_cast<int*>(count); });
    });
  }

  FakeSystem system;
  FakeMessagePump pump;
  FakeShell shell;
  std::vector<std::uint64_t> asked;
  std::set<std::uint64_t> refused;
  int held = 0;
};

TEST_F(FreeUpMemory, WritesTheBlockBetweenFiveYieldsAndReleasesItAtTheEnd) {
  std::vector<int> heldAtYield;
  pump.pending = [&] { heldAtYield.push_back(held); };
  EXPECT_EQ(Ram().FreeUpMemory(10 * 1048576), 10 * 1048576);
  EXPECT_EQ(heldAtYield, (std::vector<int>{0, 0, 0, 0, 0, 1, 1, 1, 1, 1}));
  EXPECT_EQ(held, 0);
  EXPECT_EQ(Ram().FreeUpMemory(0), 0);
  EXPECT_EQ(pump.yields, 20);
}

TEST_F(FreeUpMemory, HalvesOnceTiesToEvenAndGivesZeroWhenTheHalfFailsToo) {
  refused = {3, 5, 7};
  EXPECT_EQ(Ram().FreeUpMemory(3), 2);
  EXPECT_EQ(Ram().FreeUpMemory(5), 2);
  EXPECT_EQ(asked, (std::vector<std::uint64_t>{3, 2, 5, 2}));
  refused = {8, 4};
  EXPECT_EQ(Ram().FreeUpMemory(8), 0);
  EXPECT_EQ(held, 0);
  // A count beyond the free address space is cut to what it could hold, a negative one to 0.
  system.memory.availVirtual = 100;
  asked.clear();
  EXPECT_EQ(Ram().FreeUpMemory(1000), 50);
  EXPECT_EQ(Ram().FreeUpMemory(-4), 0);
  EXPECT_EQ(asked, (std::vector<std::uint64_t>{50, 0}));
}

TEST_F(FreeUpMemory, TheRealWriterWritesEverySpaceAndRefusesTheImpossible) {
  const SpaceBlock block = WriteSpaceBlock(4096);
  ASSERT_TRUE(block);
  const auto* characters = static_cast<const std::uint16_t*>(block.get());
  EXPECT_EQ(characters[0], 0x20);
  EXPECT_EQ(characters[4095], 0x20);
  EXPECT_FALSE(WriteSpaceBlock(~0ull));
}

TEST_F(FreeUpMemory, StatusShellAndExitOperationsPassTheSystemsWords) {
  system.memory = {.memoryLoad = 40, .totalPhys = 64ull << 30, .availPhys = 40ull << 30,
                   .totalVirtual = 4ull << 30, .availVirtual = 3ull << 30};
  FreeRAM ram = Ram();
  // Figures beyond 4 GB arrive whole.
  EXPECT_EQ(ram.GetTotalPhysical(), 64ull << 30);
  EXPECT_EQ(ram.GetFreePhysical(), 40ull << 30);
  EXPECT_EQ(ram.GetMemoryLoad(), 40u);
  EXPECT_EQ(ram.GetFreeVirtual(), 3ull << 30);
  EXPECT_EQ(ram.GetTotalVirtual(), 4ull << 30);

  EXPECT_TRUE(ram.ExitWindows("ShutDown"));
  EXPECT_TRUE(ram.ExitWindows("REBOOT"));
  EXPECT_TRUE(ram.ExitWindows("logoff"));
  EXPECT_FALSE(ram.ExitWindows("hibernate"));
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"exit 1 0", "exit 2 0", "exit 0 0"}));
  ram.GoToURL("http://127.0.0.1/");
  ram.eMail("user@example.invalid");
  ASSERT_EQ(shell.opened.size(), 2u);
  EXPECT_EQ(shell.opened[1].file, "mailto:user@example.invalid");
}

TEST(IsNTPlatform, TrueExactlyOnTheNtFamily) {
  FakeSystem system;
  for (auto [platform, nt] : {std::pair{kVerPlatformWin32Nt, true},
                              std::pair{kVerPlatformWin32Windows, false},
                              std::pair{kVerPlatformWin32s, false}}) {
    system.SetVersion(platform, 4, 0);
    EXPECT_EQ(IsNTPlatform(system), nt) << platform;
  }
}

// Counter differences in 100 ns units; 10 000 of them are one unit of the fixed-point type.
TEST(CpuUsageNT, BusyShareFromTheCountersAsTheFixedPointMathsGivesIt) {
  struct Case {
    std::int64_t idle, time;
    int processors;
    std::int32_t busy;
  };
  for (const Case& c : {
           Case{0, 0, 1, 100},             // the same clock tick, nothing idle
           Case{10000, 0, 1, 0},           // the same tick: the idle difference itself, 1.0
           Case{2000000, 1000000, 2, 0},   // two idle processors
           Case{500000, 1000000, 1, 50},   // one processor, half busy
           Case{250000, 1000000, 1, 75},
           Case{1004000, 1000000, 1, 0},   // skew: u just below 0.5 still gives 0
           Case{1010000, 1000000, 1, -1},  // skew: u below 0 is returned as it is
           Case{500000, 1000000, 0, 50},   // a record that names no processor counts as one
       }) {
    EXPECT_EQ(BusyPercentOf(c.idle, c.time, c.processors), c.busy)
        << c.idle << " idle of " << c.time << " on " << c.processors;
  }
}

TEST(CpuUsageNT, AFailedQueryGivesMinusOneAndTheNextCoversTheLongerInterval) {
  FakeSystem system;
  system.processors = 2;
  system.systemTime = 5'000'000;
  system.idleTime = 1'000'000;
  clsCPUUsageNT sampler(system);
  sampler.Initialize();
  system.systemTime += 1'000'000;
  system.idleTime += 1'000'000;  // one of two processors idle
  EXPECT_EQ(sampler.Query(), 50);
  EXPECT_FALSE(sampler.LastQueryFailed());

  system.systemTime += 1'000'000;
  system.idleTime += 2'000'000;
  system.queryStatus[kSystemPerformanceInformation] = kStatusNotImplemented;
  EXPECT_EQ(sampler.Query(), -1);
  EXPECT_TRUE(sampler.LastQueryFailed());
  system.queryStatus.clear();
  system.systemTime += 1'000'000;  // busy now: both idle over the first half only
  EXPECT_EQ(sampler.Query(), 50);
}

TEST(CpuUsage9x, ReadsTheLowByteOfTheStatisticOrFallsBackToTheNtCounters) {
  FakeRegistry registry;
  FakeSystem system;
  registry.AddHive(kHKeyDynData, "HKEY_DYN_DATA");
  const std::vector<std::uint8_t> statistic = {0x23, 0x01, 0, 0};
  registry.Put(kHKeyDynData, "PerfStats\\StartStat", "KERNEL\\CPUUsage", kRegBinary, statistic);
  registry.Put(kHKeyDynData, "PerfStats\\StatData", "KERNEL\\CPUUsage", kRegBinary, statistic);
  registry.Put(kHKeyDynData, "PerfStats\\StopStat", "KERNEL\\CPUUsage", kRegBinary, statistic);
  {
    clsCPUUsage sampler(registry, system);
    sampler.Initialize();
    EXPECT_FALSE(sampler.UsingFallback());
    EXPECT_EQ(sampler.Query(), 0x23);  // 291 in the value: only its low byte
    sampler.Terminate();
  }

  // Without HKEY_DYN_DATA (Wine) the share comes from the system's counters.
  FakeRegistry empty;
  clsCPUUsage sampler(empty, system);
  system.systemTime = 1'000'000;
  sampler.Initialize();
  EXPECT_TRUE(sampler.UsingFallback());
  system.systemTime += 1'000'000;
  system.idleTime += 500'000;
  EXPECT_EQ(sampler.Query(), 50);
  system.queryStatus[kSystemBasicInformation] = kStatusNotImplemented;
  EXPECT_EQ(sampler.Query(), -1);
  EXPECT_TRUE(sampler.LastQueryFailed());
}

}  // namespace
}  // namespace zephyr::testing
