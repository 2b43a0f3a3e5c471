#include "monitor/system_status_form.h"

#include <algorithm>

#include "monitor/system_status_services.h"

namespace zephyr {

std::string PercentText(double percent) {
  // A tenth of a percent is what the eye can use; fifteen digits would not fit the frame.
  return FormatNumber(static_cast<double>(RoundToEven(percent * 10)) / 10);
}

std::string MemoryToolTipText(bool inPercent, double percent, std::int64_t freeMegabytes) {
  if (inPercent) return "Memory Usage (" + PercentText(percent) + "%).";
  return "Memory Usage (" + std::to_string(freeMegabytes) + "MB).";
}

std::string FreedMemoryText(FreeingKind kind, std::uint64_t beforeBytes, std::uint64_t afterBytes) {
  const std::int64_t before = MegabytesOf(KilobytesOf(beforeBytes));
  const std::int64_t after = MegabytesOf(KilobytesOf(afterBytes));
  const std::string what =
      kind == FreeingKind::kOptimizeNow ? "Optimize Now" : "Automatic optimization";
  const std::string figures = std::to_string(before) + " MB free before, " +
                              std::to_string(after) + " MB after";
  const std::int64_t freed = std::max<std::int64_t>(after - before, 0);
  if (freed == 0) return what + ": nothing could be freed (" + figures + ").";
  return what + " freed " + std::to_string(freed) + " MB (" + figures + ").";
}

SystemStatusForm::SystemStatusForm(SystemStatusServices& program)
    : ui::Form({.name = "frmSystemStatus", .caption = "System Status",
                .bounds = {0, 0, ui::kPanelFrameWidth, 255}}),
      program_(program) {
  sldFreeMomoryReq.Change.Connect(this, &SystemStatusForm::sldFreeMomoryReq_Change);
  cmdOptimaize.Click.Connect(this, &SystemStatusForm::cmdOptimaize_Click);
  sldCPUSpeed.Click.Connect(this, &SystemStatusForm::sldCPUSpeed_Click);
  sldMemorySpeed.Click.Connect(this, &SystemStatusForm::sldMemorySpeed_Click);
  sldCPUZoom.Click.Connect(this, &SystemStatusForm::sldCPUZoom_Click);
  sldMemoryZoom.Click.Connect(this, &SystemStatusForm::sldMemoryZoom_Click);
  tmrCPU.Tick.Connect(this, &SystemStatusForm::tmrCPU_Timer);
  tmrMemory.Tick.Connect(this, &SystemStatusForm::tmrMemory_Timer);
  tmrFreedReport.Tick.Connect(this, &SystemStatusForm::tmrFreedReport_Timer);
}

SystemStatusForm::~SystemStatusForm() { *alive_ = false; }

FreeRAM& SystemStatusForm::Ram() {
  if (!freeRam_) {
    freeRam_.emplace(program_.System(), program_.Pump(), program_.Shell());
  }
  return *freeRam_;
}

void SystemStatusForm::Form_Load() {
  if (IsNTPlatform(program_.System())) {
    queryObject_ = std::make_unique<clsCPUUsageNT>(program_.System());
  } else {
    queryObject_ = std::make_unique<clsCPUUsage>(program_.Registry(), program_.System());
  }
  queryObject_->Initialize();
  tmrCPU.SetEnabled(Visible());
  UpdateFreeMemoryTarget();
  sldFreeMomoryReq_Change();
}

// A graph that went on sampling while nobody saw it would wake the computer three times a second
// for nothing; one that joined the bars from before the panel was hidden to those after would draw
// minutes as a step. So the processor graph starts afresh when the panel is shown, its first bar
// measured from that moment.
void SystemStatusForm::VisibleChanged() {
  if (!Visible()) {
    tmrCPU.SetEnabled(false);
    return;
  }
  if (!Loaded() || !queryObject_) return;
  histCPU.ClearHistory();
  queryObject_->Query();
  tmrCPU.SetEnabled(true);
}

void SystemStatusForm::UpdateFreeMemoryTarget() {
  totalKilobytes_ = KilobytesOf(Ram().GetTotalPhysical());
  totalMegabytes_ = MegabytesOf(totalKilobytes_);
  sldFreeMomoryReq.SetMin(0);
  sldFreeMomoryReq.SetMax(static_cast<int>(std::min<std::int64_t>(totalMegabytes_, 0x7FFFFFFF)));
}

void SystemStatusForm::sldFreeMomoryReq_Change() {
  const std::string value = std::to_string(sldFreeMomoryReq.Value());
  sldFreeMomoryReq.SetToolTipText(value + " MB to free when Optimize is clicked");
  lblTargetMemoryNeeded.SetCaption("Target Level Of RAM " + value + "MB.");
}

bool SystemStatusForm::LetEventsRun(int times) {
  return zephyr::LetEventsRun(program_.Pump(), times, alive_);
}

void SystemStatusForm::cmdOptimaize_Click() {
  const std::uint64_t before = Ram().GetFreePhysical();
  if (!LetEventsRun(kOptimizeYields)) return;
  SetMousePointer(ui::kPointerHourglass);
  const std::shared_ptr<bool> alive = alive_;
  Ram().FreeUpMemory(static_cast<std::int64_t>(sldFreeMomoryReq.Value()) * 1048576);
  if (!*alive) return;
  SetMousePointer(ui::kPointerDefault);
  if (!LetEventsRun(kOptimizeYields)) return;
  ReportFreeing(FreeingKind::kOptimizeNow, before);
}

void SystemStatusForm::ReportFreeing(FreeingKind kind, std::uint64_t beforeBytes) {
  if (tmrFreedReport.Running()) return;
  reportKind_ = kind;
  reportBefore_ = beforeBytes;
  lblFreedMemory.SetCaption(kind == FreeingKind::kOptimizeNow ? "Optimize Now: measuring..."
                                                              : "Automatic optimization: measuring...");
  tmrFreedReport.SetEnabled(true);
}

void SystemStatusForm::tmrFreedReport_Timer() {
  tmrFreedReport.SetEnabled(false);
  lblFreedMemory.SetCaption(FreedMemoryText(reportKind_, reportBefore_, Ram().GetFreePhysical()));
}

void SystemStatusForm::sldCPUSpeed_Click() {
  tmrCPU.SetInterval(kSpeedIntervalBase - sldCPUSpeed.Value());
}

void SystemStatusForm::sldMemorySpeed_Click() {
  tmrMemory.SetInterval(kSpeedIntervalBase - sldMemorySpeed.Value());
}

void SystemStatusForm::sldCPUZoom_Click() { histCPU.SetMaxLines(sldCPUZoom.Value()); }
void SystemStatusForm::sldMemoryZoom_Click() { histMemory.SetMaxLines(sldMemoryZoom.Value()); }

void SystemStatusForm::tmrCPU_Timer() {
  const std::int32_t busy = queryObject_->Query();
  if (queryObject_->LastQueryFailed()) {
    // The graph takes the failed figure, which it draws as no bar; the caption says it plainly.
    histCPU.SetCurrentValue(-1);
    frameCPUUsage.SetCaption("Processor usage (not available).");
    return;
  }
  // Counter skew can put the computed figure just outside 0 to 100.
  histCPU.SetCurrentValue(std::clamp(busy, 0, 100));
  frameCPUUsage.SetCaption("Processor usage (" + FormatNumber(histCPU.CurrentValue()) + "%).");
}

void SystemStatusForm::tmrMemory_Timer() {
  freeBytes_ = Ram().GetFreePhysical();
  freeKilobytes_ = KilobytesOf(freeBytes_);
  freeMegabytes_ = MegabytesOf(freeKilobytes_);
  const double percent = totalMegabytes_ > 0 ? static_cast<double>(freeMegabytes_) /
                                                   static_cast<double>(totalMegabytes_) * 100
                                             : 0.0;
  histMemory.SetCurrentValue(percent);
  fameMemoryUsage.SetCaption("Memory Usage (" + PercentText(histMemory.CurrentValue()) + "%).");

  ui::Tray* tray = program_.tray();
  if (tray == nullptr) return;
  const bool inPercent = program_.MemoryTipInPercent();
  // The shell is told only of a new text (or when it lost the icon), not three times a second.
  std::string tip = MemoryToolTipText(inPercent, histMemory.CurrentValue(), freeMegabytes_);
  if (tray->IsVisible() && tip == tray->TrayToolTip()) return;
  tray->SetTrayToolTip(std::move(tip));
  tray->Show(true);
}

}  // namespace zephyr
