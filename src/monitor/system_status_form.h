// frmSystemStatus: live graphs of processor usage and free physical memory, each with its own
// timer, speed and zoom; "Optimize Now" frees the amount chosen on its slider and then tells how
// much memory became free. Its memory timer keeps the tray icon's tooltip up to date. The panel
// owns the program's one processor sampler, which the RAM alarm asks too.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "memory/free_ram.h"
#include "monitor/cpu_usage.h"
#include "ui/controls.h"
#include "ui/custom_controls.h"
#include "ui/form_model.h"

namespace zephyr {

class SystemStatusServices;

inline constexpr int kGraphInterval = 300;
// The speed sliders give an interval of this minus their value: 300 gives 1000 ms, 1000 gives 300.
inline constexpr int kSpeedIntervalBase = 1300;
// Yields before and after "Optimize Now" frees memory.
inline constexpr int kOptimizeYields = 6;
// How long after a freeing the memory status is read again. The system may keep its answer for
// up to a second (Wine does), and a read sooner would repeat the figure from before the freeing.
inline constexpr int kFreedReportDelay = 1100;

class SystemStatusForm : public ui::Form {
 public:
  explicit SystemStatusForm(SystemStatusServices& program);
  ~SystemStatusForm() override;

  ui::Frame frameMemoryStatus{*this, {.name = "frameMemoryStatus", .caption = "System Status",
                                      .bounds = {8, 2, 424, 250}}};
  ui::Frame frameCPUUsage{*this, {.name = "frameCPUUsage", .container = &frameMemoryStatus,
                                  .caption = "Processor usage", .bounds = {8, 16, 200, 144}}};
  ui::Histogram histCPU{*this, {.name = "histCPU", .container = &frameCPUUsage,
                                .bounds = {8, 18, 184, 72}, .maxLines = 30,
                                .barColor = 0x00FF00}};
  ui::Label lblCPUSpeed{*this, {.name = "lblCPUSpeed", .container = &frameCPUUsage,
                                .caption = "Speed", .bounds = {8, 98, 40, 16}}};
  ui::Slider sldCPUSpeed{*this, {.name = "sldCPUSpeed", .container = &frameCPUUsage,
                                 .bounds = {48, 94, 144, 22}, .min = 300, .max = 1000,
                                 .value = 300, .smallChange = 1, .largeChange = 5}};
  ui::Label lblCPUZoom{*this, {.name = "lblCPUZoom", .container = &frameCPUUsage,
                               .caption = "Zoom", .bounds = {8, 120, 40, 16}}};
  ui::Slider sldCPUZoom{*this, {.name = "sldCPUZoom", .container = &frameCPUUsage,
                                .bounds = {48, 116, 144, 22}, .min = 30, .max = 100, .value = 30,
                                .smallChange = 1, .largeChange = 5}};

  ui::Frame fameMemoryUsage{*this, {.name = "fameMemoryUsage", .container = &frameMemoryStatus,
                                    .caption = "Memory usage", .bounds = {216, 16, 200, 144}}};
  ui::Histogram histMemory{*this, {.name = "histMemory", .container = &fameMemoryUsage,
                                   .bounds = {8, 18, 184, 72}, .maxLines = 30,
                                   .barColor = 0x00FF00}};
  ui::Label lblMemorySpeed{*this, {.name = "lblMemorySpeed", .container = &fameMemoryUsage,
                                   .caption = "Speed", .bounds = {8, 98, 40, 16}}};
  ui::Slider sldMemorySpeed{*this, {.name = "sldMemorySpeed", .container = &fameMemoryUsage,
                                    .bounds = {48, 94, 144, 22}, .min = 300, .max = 1000,
                                    .value = 300, .smallChange = 1, .largeChange = 5}};
  ui::Label lblMemoryZoom{*this, {.name = "lblMemoryZoom", .container = &fameMemoryUsage,
                                  .caption = "Zoom", .bounds = {8, 120, 40, 16}}};
  ui::Slider sldMemoryZoom{*this, {.name = "sldMemoryZoom", .container = &fameMemoryUsage,
                                   .bounds = {48, 116, 144, 22}, .min = 30, .max = 100,
                                   .value = 30, .smallChange = 2, .largeChange = 5}};

  ui::Frame frameMemoryControl{*this, {.name = "frameMemoryControl",
                                       .container = &frameMemoryStatus,
                                       .caption = "Memory Control", .bounds = {8, 164, 408, 80}}};
  ui::Slider sldFreeMomoryReq{*this, {.name = "sldFreeMomoryReq", .container = &frameMemoryControl,
                                      .bounds = {8, 16, 280, 24}, .min = 0, .max = 10,
                                      .value = 0, .smallChange = 1, .largeChange = 5}};
  ui::CommandButton cmdOptimaize{*this, {.name = "cmdOptimaize", .container = &frameMemoryControl,
                                         .caption = "Optimize Now", .bounds = {296, 14, 104, 26}}};
  ui::Label lblTargetMemoryNeeded{*this, {.name = "lblTargetMemoryNeeded",
                                          .container = &frameMemoryControl,
                                          .caption = "Target Level Of RAM ",
                                          .bounds = {8, 42, 392, 16}}};
  // What the last freeing gave: free memory before and after it.
  ui::Label lblFreedMemory{*this, {.name = "lblFreedMemory", .container = &frameMemoryControl,
                                   .bounds = {8, 60, 392, 16}}};

  // The processor graph samples only while the panel is seen (VisibleChanged starts and stops
  // it); the memory timer runs always, as the tray icon's tooltip tells the free memory.
  ui::Timer tmrCPU{*this, {.name = "tmrCPU", .interval = kGraphInterval, .enabled = false}};
  ui::Timer tmrMemory{*this, {.name = "tmrMemory", .interval = kGraphInterval}};
  // One shot: reads the memory status again a while after a freeing.
  ui::Timer tmrFreedReport{*this, {.name = "tmrFreedReport", .interval = kFreedReportDelay,
                                   .enabled = false}};

  // The processor sampler, made when the panel loads.
  CpuSampler& QueryObject() { return *queryObject_; }

  // A freeing has just ended and `beforeBytes` were free before it: a while later the panel
  // tells how much became free. Freeings while a report is pending join it.
  void ReportFreeing(FreeingKind kind, std::uint64_t beforeBytes);

  std::int64_t totalMegabytes() const { return totalMegabytes_; }
  std::int64_t freeMegabytes() const { return freeMegabytes_; }

 private:
  void Form_Load() override;
  void VisibleChanged() override;
  void sldFreeMomoryReq_Change();
  void cmdOptimaize_Click();
  void sldCPUSpeed_Click();
  void sldMemorySpeed_Click();
  void sldCPUZoom_Click();
  void sldMemoryZoom_Click();
  void tmrCPU_Timer();
  void tmrMemory_Timer();
  void tmrFreedReport_Timer();

  void UpdateFreeMemoryTarget();
  FreeRAM& Ram();
  bool LetEventsRun(int times);

  SystemStatusServices& program_;
  std::unique_ptr<CpuSampler> queryObject_;
  std::optional<FreeRAM> freeRam_;
  std::uint64_t freeBytes_ = 0;
  std::int64_t freeKilobytes_ = 0;
  std::int64_t freeMegabytes_ = 0;
  std::int64_t totalKilobytes_ = 0;
  std::int64_t totalMegabytes_ = 0;
  FreeingKind reportKind_ = FreeingKind::kOptimizeNow;
  std::uint64_t reportBefore_ = 0;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// A share in percent as the captions show it: to a tenth, no trailing zeros.
std::string PercentText(double percent);
// The tray tooltip: the free share in percent, or free megabytes.
std::string MemoryToolTipText(bool inPercent, double percent, std::int64_t freeMegabytes);
// What a freeing gave, from the free bytes before and after it.
std::string FreedMemoryText(FreeingKind kind, std::uint64_t beforeBytes, std::uint64_t afterBytes);

}  // namespace zephyr
