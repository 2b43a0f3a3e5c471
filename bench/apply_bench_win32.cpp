// The apply with its backup (NT layout, three interfaces) timed against the real registry under
// Wine or Windows, beside the same backup file written alone, in the same run.
//   apply_bench_win32.exe [runs]
// It changes the machine's TCP/IP values, so it runs only where ZEPHYR_DISPOSABLE_REGISTRY says
// the registry is a throw-away one (the project's Wine prefix).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "backup/backup_file.h"
#include "fakes/temp_dir.h"
#include "platform/clock_win32.h"
#include "platform/file_system_win32.h"
#include "platform/registry_win32.h"
#include "tuning/presets.h"
#include "tuning/registry_layout.h"
#include "tuning/tuning_params.h"
#include "timing_win32.h"

int main(int argc, char** argv) {
  using namespace zephyr;
  using namespace zephyr::testing;
  if (!std::getenv("ZEPHYR_DISPOSABLE_REGISTRY")) {
    std::fprintf(stderr, "This benchmark changes the TCP/IP settings; run it through scripts/bench.\n");
    return 2;
  }
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  RegistryWin32 registry;
  ClockWin32 clock;
  for (const char* id : {"{B0000000-0000-4000-8000-000000000001}",
                         "{B0000000-0000-4000-8000-000000000002}",
                         "{B0000000-0000-4000-8000-000000000003}"}) {
    RegKey key = 0;
    registry.CreateKeyEx(kHKeyLocalMachine, layout::InterfaceKey(id), kKeyAllAccess, &key);
    registry.CloseKey(key);
  }
  testing::TempDir dir;
  FileSystemWin32 files;
  const TuningParams automaticE = InitPresets()[4];

  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  for (int i = 0; i < runs; ++i) {
    const auto folder = dir.path() / ("apply" + std::to_string(i));
    const ApplyResult result = ApplyTuningSet(automaticE, {registry, clock, files, kOsWindowsXp, folder.string(), {}});
    if (!result.Changed()) {
      std::fprintf(stderr, "apply failed: %s\n", result.backupError.c_str());
      return 1;
    }
  }
  QueryPerformanceCounter(&end);
  const double apply = Milliseconds(start, end) / runs;

  const std::string text = SerializeBackup(TakeSnapshot(registry, kOsWindowsXp, clock.Now()).backup);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < runs; ++i) {
    const auto folder = dir.path() / ("file" + std::to_string(i));
    std::filesystem::create_directory(folder);
    const auto temporary = folder / "001.BCK.tmp";
    std::FILE* out = _wfopen(temporary.c_str(), L"wb");
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    std::filesystem::rename(temporary, folder / "001.BCK");
  }
  QueryPerformanceCounter(&end);
  const double file = Milliseconds(start, end) / runs;

  std::printf("apply with backup (NT layout, 3 interfaces): %.2f ms per apply over %d runs\n",
              apply, runs);
  std::printf("backup file alone (folder, write, rename):   %.2f ms\n", file);
  std::printf("ratio: %.1f; goal: an apply with its backup under 50 ms\n", apply / file);
  return 0;
}
