// The processor samplers: how busy the processors were, in percent, since the previous sample.
// clsCPUUsageNT computes it from the system's idle and current time; clsCPUUsage reads the
// kernel's own statistic under HKEY_DYN_DATA on Windows 9x.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/registry_port.h"
#include "platform/system_port.h"

namespace zephyr {

inline constexpr RegKey kHKeyDynData = 0x80000006;

class CpuSampler {
 public:
  virtual ~CpuSampler() = default;
  virtual void Initialize() = 0;
  // Percent busy; -1 when the system could not be asked.
  virtual std::int32_t Query() = 0;
  virtual void Terminate() = 0;
  // Whether the last Query could not ask the system, so its figure means nothing.
  virtual bool LastQueryFailed() const = 0;
};

// The busy share from counter differences in 100 ns units, as a signed fixed-point number with
// four decimal places: the idle ratio idle ÷ sys (idle itself when sys is 0), t = 100 × ratio,
// u = 100 − t ÷ processors + 0.5, and the floor of u. Not kept between 0 and 100: counter skew
// gives figures just outside.
std::int32_t BusyPercentOf(std::int64_t idleDifference, std::int64_t timeDifference,
                           int processors);

class clsCPUUsageNT final : public CpuSampler {
 public:
  explicit clsCPUUsageNT(SystemPort& system) : system_(system) {}
  void Initialize() override;
  std::int32_t Query() override;
  void Terminate() override {}
  bool LastQueryFailed() const override { return failed_; }

 private:
  struct Sample {
    std::uint8_t processors = 0;
    std::int64_t systemTime = 0;
    std::int64_t idleTime = 0;
  };
  // The three records; nothing when one of the queries failed.
  std::optional<Sample> Read(bool withProcessors);

  SystemPort& system_;
  std::int64_t previousIdleTime_ = 0;
  std::int64_t previousSystemTime_ = 0;
  bool failed_ = false;
};

class clsCPUUsage final : public CpuSampler {
 public:
  // `system` serves the fallback where the statistic cannot be started (Wine has no
  // HKEY_DYN_DATA): the NT computation, so the graph still shows real figures.
  clsCPUUsage(RegistryPort& registry, SystemPort& system) : registry_(registry), fallback_(system) {}
  ~clsCPUUsage() override;
  void Initialize() override;
  std::int32_t Query() override;
  void Terminate() override;
  bool LastQueryFailed() const override { return usingFallback_ && fallback_.LastQueryFailed(); }
  bool UsingFallback() const { return usingFallback_; }

 private:
  void ReadStatistic(RegKey key);

  RegistryPort& registry_;
  clsCPUUsageNT fallback_;
  bool usingFallback_ = false;
  RegKey key_ = 0;
  std::uint8_t data_[4] = {};
};

}  // namespace zephyr
