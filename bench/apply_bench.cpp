// An apply with its backup (NT layout, three interfaces) on the fake registry, against writing the
// same backup file alone: the ratio shows what the registry work adds to the file system's floor.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "backup/backup_file.h"
#include "backup_folder.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_registry.h"
#include "fakes/native_file_system.h"
#include "fakes/temp_dir.h"
#include "ratio_reporter.h"
#include "tuning/presets.h"
#include "tuning/tuning_params.h"

namespace zephyr::testing {
namespace {

void EmptyFolder(const std::filesystem::path& folder) {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
    std::filesystem::remove(entry.path(), ignored);
  }
}

void BM_ApplyWithBackupNtThreeInterfaces(benchmark::State& state) {
  FakeRegistry registry;
  AddThreeInterfaces(registry);
  FakeClock clock;
  TempDir dir;
  const TuningParams automaticE = InitPresets()[4];
  const auto folder = dir.path() / "Backups";
  NativeFileSystem files;
  int written = 0;
  for (auto _ : state) {
    if (++written == 900) {
      state.PauseTiming();
      EmptyFolder(folder);
      written = 1;
      state.ResumeTiming();
    }
    const ApplyResult result = ApplyTuningSet(automaticE, {registry, clock, files, kOsWindowsXp, folder.string(), {}});
    benchmark::DoNotOptimize(result.writes);
  }
}
BENCHMARK(BM_ApplyWithBackupNtThreeInterfaces);

// The reference: the same backup text written through a temporary file and renamed into place.
void BM_WriteBackupFileAlone(benchmark::State& state) {
  FakeRegistry registry;
  AddThreeInterfaces(registry);
  TempDir dir;
  const std::string text =
      SerializeBackup(TakeSnapshot(registry, kOsWindowsXp, {2026, 12, 7, 14, 5, 9}).backup);
  const auto file = dir.path() / "001.BCK";
  for (auto _ : state) {
    const auto temporary = dir.path() / "001.BCK.tmp";
    {
      std::FILE* out = std::fopen(temporary.c_str(), "wb");
      std::fwrite(text.data(), 1, text.size(), out);
      std::fclose(out);
    }
    std::filesystem::rename(temporary, file);
  }
}
BENCHMARK(BM_WriteBackupFileAlone);

}  // namespace
}  // namespace zephyr::testing

int main(int argc, char** argv) {
  return zephyr::testing::RunBenchmarksWithRatios(
      argc, argv,
      {{"apply with backup / backup file alone", "BM_ApplyWithBackupNtThreeInterfaces",
        "BM_WriteBackupFileAlone"}});
}
