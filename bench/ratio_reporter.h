// Google Benchmark's console output, then the ratio of each benchmark to its reference of the
// same run: what the goals of the benchmarks are stated in.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace zephyr::testing {

struct BenchmarkRatio {
  std::string label;      // printed as "<label>: <ratio>"
  std::string measured;   // the benchmark's name
  std::string reference;  // the name of the one it is divided by
};

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::vector<BenchmarkRatio> ratios) : ratios_(std::move(ratios)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const BenchmarkRatio& ratio : ratios_) {
      const auto measured = times_.find(ratio.measured);
      const auto reference = times_.find(ratio.reference);
      if (measured == times_.end() || reference == times_.end() || reference->second <= 0) {
        continue;
      }
      std::printf("%s: %.2f\n", ratio.label.c_str(), measured->second / reference->second);
    }
  }

 private:
  std::vector<BenchmarkRatio> ratios_;
  std::map<std::string, double> times_;
};

// The main of a benchmark program that reports these ratios.
inline int RunBenchmarksWithRatios(int argc, char** argv, std::vector<BenchmarkRatio> ratios) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter(std::move(ratios));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace zephyr::testing
