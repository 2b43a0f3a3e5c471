// The processor graph's figures against the kernel's own count, for scripts/bench: both samplers
// of System Status on the real ports (clsCPUUsageNT on the NT counters, clsCPUUsage on the 9x
// statistic under HKEY_DYN_DATA) sampled over the same windows as Linux's /proc/stat, which this
// program reads itself, through the drive Wine maps to the Linux root, right beside each sample.
//   cpu_accuracy_bench_win32.exe PROC-STAT-PATH SECONDS WINDOWS
// First line: "9x-path statistic" where the 9x statistic could be started, "9x-path fallback"
// where clsCPUUsage computes from the NT counters instead (Wine has no HKEY_DYN_DATA), and
// whether the statistic's value KERNEL\CPUUsage can be read at all. Then one line per window:
//   "nt <percent> 9x <percent> proc <percent busy> iowait <percent>"
// where the /proc/stat figure is the aggregate "cpu" line's (total − idle − iowait) ÷ total, and
// iowait its share of waiting for the disk (which Wine's idle time does not count as idle).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "monitor/cpu_usage.h"
#include "platform/registry_win32.h"
#include "platform/system_win32.h"

namespace {

struct KernelCount {
  unsigned long long busy = 0, iowait = 0, total = 0;
};

bool ReadKernelCount(const char* path, KernelCount* count) {
  std::FILE* file = std::fopen(path, "r");
  if (!file) return false;
  // user nice system idle iowait irq softirq steal; guest time is inside user already.
  unsigned long long field[8] = {};
  const int read = std::fscanf(file, "cpu %llu %llu %llu %llu %llu %llu %llu %llu", &field[0],
                               &field[1], &field[2], &field[3], &field[4], &field[5], &field[6],
                               &field[7]);
  std::fclose(file);
  if (read < 4) return false;
  count->total = 0;
  for (unsigned long long value : field) count->total += value;
  count->busy = count->total - field[3] - field[4];
  count->iowait = field[4];
  return true;
}

bool StatisticReadable(zephyr::RegistryPort& registry) {
  zephyr::RegKey data = 0;
  if (registry.OpenKeyEx(zephyr::kHKeyDynData, "PerfStats\\StatData", zephyr::kKeyRead, &data) !=
      zephyr::kErrorSuccess) {
    return false;
  }
  std::uint8_t value[4];
  std::uint32_t type = 0, size = sizeof value;
  const bool read = registry.QueryValueEx(data, "KERNEL\\CPUUsage", &type, value, &size) ==
                    zephyr::kErrorSuccess;
  registry.CloseKey(data);
  return read;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || std::atoi(argv[2]) <= 0 || std::atoi(argv[3]) <= 0) {
    std::fprintf(stderr, "usage: cpu_accuracy_bench_win32.exe PROC-STAT-PATH SECONDS WINDOWS\n");
    return 2;
  }
  const DWORD windowMs = static_cast<DWORD>(std::atoi(argv[2])) * 1000;
  const int windows = std::atoi(argv[3]);
  zephyr::SystemWin32 system;
  zephyr::RegistryWin32 registry;
  zephyr::clsCPUUsageNT nt(system);
  zephyr::clsCPUUsage nineX(registry, system);
  const bool statistic = StatisticReadable(registry);

  KernelCount before;
  if (!ReadKernelCount(argv[1], &before)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  nt.Initialize();
  nineX.Initialize();
  std::printf("9x-path %s; KERNEL\\CPUUsage %s\n", nineX.UsingFallback() ? "fallback" : "statistic",
              statistic ? "readable" : "absent");
  int status = 0;
  for (int window = 0; window < windows; ++window) {
    Sleep(windowMs);
    const std::int32_t ntFigure = nt.Query();
    const std::int32_t nineXFigure = nineX.Query();
    KernelCount after;
    if (!ReadKernelCount(argv[1], &after) || after.total == before.total) {
      std::fprintf(stderr, "cannot read %s\n", argv[1]);
      return 1;
    }
    const double total = static_cast<double>(after.total - before.total);
    const double kernel = 100.0 * static_cast<double>(after.busy - before.busy) / total;
    const double iowait = 100.0 * static_cast<double>(after.iowait - before.iowait) / total;
    if (nt.LastQueryFailed()) status = 1;
    std::printf("nt %d 9x %d proc %.1f iowait %.1f\n", ntFigure, nineXFigure, kernel, iowait);
    std::fflush(stdout);
    before = after;
  }
  nineX.Terminate();
  return status;
}
