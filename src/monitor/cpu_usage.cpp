#include "monitor/cpu_usage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace zephyr {
namespace {

// The fixed-point type: a count of ten-thousandths in a signed 64-bit integer.
constexpr double kScale = 10000.0;

std::int64_t FixedOf(double value) {
  constexpr double kLimit = 9.2e18;
  return static_cast<std::int64_t>(std::nearbyint(std::clamp(value * kScale, -kLimit, kLimit)));
}

std::int64_t Read64(const unsigned char* at) {
  std::int64_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

constexpr char kCpuUsageValue[] = "KERNEL\\CPUUsage";

}  // namespace

std::int32_t BusyPercentOf(std::int64_t idleDifference, std::int64_t timeDifference,
                           int processors) {
  std::int64_t ratio = idleDifference;
  if (timeDifference != 0) {
    ratio = FixedOf((static_cast<double>(idleDifference) / kScale) /
                    (static_cast<double>(timeDifference) / kScale));
  }
  // 100 × ratio is exact in the fixed-point type; past its range it saturates.
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max() / 100;
  const std::int64_t hundredfold = std::clamp(ratio, -kMax, kMax) * 100;
  const double t = static_cast<double>(hundredfold) / kScale;
  // A basic record that names no processor counts as one, rather than dividing by zero.
  const double u = 100.0 - t / std::max(processors, 1) + 0.5;
  const std::int64_t fixed = FixedOf(u);
  // The floor of a fixed-point number: whole units, rounded towards minus infinity.
  std::int64_t whole = fixed / 10000;
  if (fixed % 10000 != 0 && fixed < 0) --whole;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      whole, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::optional<clsCPUUsageNT::Sample> clsCPUUsageNT::Read(bool withProcessors) {
  Sample sample;
  if (withProcessors) {
    unsigned char basic[kBasicInformationLength] = {};
    if (system_.QuerySystemInformation(kSystemBasicInformation, basic, sizeof basic) !=
        kStatusSuccess) {
      return std::nullopt;
    }
    sample.processors = basic[40];
  }
  unsigned char time[kTimeOfDayInformationLength] = {};
  if (system_.QuerySystemInformation(kSystemTimeOfDayInformation, time, sizeof time) !=
      kStatusSuccess) {
    return std::nullopt;
  }
  unsigned char performance[kPerformanceInformationLength] = {};
  if (system_.QuerySystemInformation(kSystemPerformanceInformation, performance,
                                     sizeof performance) != kStatusSuccess) {
    return std::nullopt;
  }
  sample.systemTime = Read64(time + 8);
  sample.idleTime = Read64(performance);
  return sample;
}

void clsCPUUsageNT::Initialize() {
  if (const auto sample = Read(false)) {
    previousIdleTime_ = sample->idleTime;
    previousSystemTime_ = sample->systemTime;
  }
}

std::int32_t clsCPUUsageNT::Query() {
  const auto sample = Read(true);
  failed_ = !sample;
  if (!sample) return -1;
  // Differences wrap as the 64-bit counters do rather than overflow.
  const auto difference = [](std::int64_t now, std::int64_t before) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(now) -
                                     static_cast<std::uint64_t>(before));
  };
  const std::int32_t busy =
      BusyPercentOf(difference(sample->idleTime, previousIdleTime_),
                    difference(sample->systemTime, previousSystemTime_), sample->processors);
  previousIdleTime_ = sample->idleTime;
  previousSystemTime_ = sample->systemTime;
  return busy;
}

clsCPUUsage::~clsCPUUsage() {
  // The key is closed, but the statistic stays started as the program leaves it.
  if (key_ != 0) registry_.CloseKey(key_);
}

void clsCPUUsage::ReadStatistic(RegKey key) {
  std::uint32_t type = 0;
  std::uint32_t size = sizeof data_;
  registry_.QueryValueEx(key, kCpuUsageValue, &type, data_, &size);
}

void clsCPUUsage::Initialize() {
  RegKey start = 0;
  if (registry_.OpenKeyEx(kHKeyDynData, "PerfStats\\StartStat", kKeyAllAccess, &start) !=
      kErrorSuccess) {
    usingFallback_ = true;
    fallback_.Initialize();
    return;
  }
  // Reading the start value starts the statistic.
  ReadStatistic(start);
  registry_.CloseKey(start);
  RegKey data = 0;
  if (registry_.OpenKeyEx(kHKeyDynData, "PerfStats\\StatData", kKeyRead, &data) ==
      kErrorSuccess) {
    key_ = data;
  }
}

std::int32_t clsCPUUsage::Query() {
  if (usingFallback_) return fallback_.Query();
  // A failed read leaves the previous figure in the buffer, and that is what is shown.
  if (key_ != 0) ReadStatistic(key_);
  return data_[0];
}

void clsCPUUsage::Terminate() {
  if (usingFallback_) return;
  if (key_ != 0) {
    registry_.CloseKey(key_);
    key_ = 0;
  }
  RegKey stop = 0;
  if (registry_.OpenKeyEx(kHKeyDynData, "PerfStats\\StopStat", kKeyAllAccess, &stop) ==
      kErrorSuccess) {
    ReadStatistic(stop);
    registry_.CloseKey(stop);
  }
}

}  // namespace zephyr
