// The freeing pass's write bandwidth: FreeUpMemory over 64 MB of spaces (128 MB written) against
// allocating and memset-ting the same 128 MB. Goal: at least 0.8 of memset's bandwidth, that is
// a time ratio of at most 1.25.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "ratio_reporter.h"
#include "fakes/fake_message_pump.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_system.h"
#include "memory/free_ram.h"

namespace zephyr::testing {
namespace {

constexpr std::int64_t kCharacters = 64 * 1048576;

void BM_FreeUpMemory(benchmark::State& state) {
  FakeSystem system;
  system.memory.availVirtual = 1ull << 40;
  FakeMessagePump pump;
  FakeShell shell;
  FreeRAM ram(system, pump, shell);
  for (auto _ : state) benchmark::DoNotOptimize(ram.FreeUpMemory(kCharacters));
  state.SetBytesProcessed(state.iterations() * kCharacters * 2);
}
BENCHMARK(BM_FreeUpMemory)->Unit(benchmark::kMillisecond);

void BM_MallocAndMemset(benchmark::State& state) {
  for (auto _ : state) {
    void* block = std::malloc(kCharacters * 2);
    std::memset(block, 0x20, kCharacters * 2);
    benchmark::DoNotOptimize(block);
    benchmark::ClobberMemory();
    std::free(block);
  }
  state.SetBytesProcessed(state.iterations() * kCharacters * 2);
}
BENCHMARK(BM_MallocAndMemset)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zephyr::testing

int main(int argc, char** argv) {
  return zephyr::testing::RunBenchmarksWithRatios(
      argc, argv, {{"FreeUpMemory / malloc and memset of the same size", "BM_FreeUpMemory",
                    "BM_MallocAndMemset"}});
}
