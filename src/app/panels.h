// The seven panels the main window shows in its frame, one at a time.
#pragma once

#include <array>
#include <string_view>

#include "ui/form_model.h"

namespace zephyr {

enum class PanelId {
  kWizardMode,
  kNormalMode,
  kBackUp,
  kNetPingerSettings,
  kSystemStatus,
  kRamConfiguration,
  kMainSettings,
};

struct PanelInfo {
  PanelId id;
  std::string_view formName;
  std::string_view caption;
  int frameHeight;  // the panel's own form is as high; the frame is kPanelFrameWidth wide
};

using ui::kPanelFrameWidth;

inline constexpr std::array<PanelInfo, 7> kPanels = {{
    {PanelId::kWizardMode, "frmWizardMode", "Wizard Mode", 250},
    {PanelId::kNormalMode, "frmNormalMode", "Advanced Mode", 252},
    {PanelId::kBackUp, "frmBackUp", "Backup Manager", 246},
    {PanelId::kNetPingerSettings, "frmNetPingerSettings", "Net Pinger Settings", 340},
    {PanelId::kSystemStatus, "frmSystemStatus", "System Status", 255},
    {PanelId::kRamConfiguration, "frmRamConfiguration", "Ram Configuration", 255},
    {PanelId::kMainSettings, "frmMainSettings", "Main Settings", 245},
}};

inline const PanelInfo& InfoOf(PanelId id) { return kPanels[static_cast<std::size_t>(id)]; }

// The order in which panels are hidden (and made visible again after the about screen).
inline constexpr std::array<PanelId, 7> kHideOrder = {
    PanelId::kWizardMode,    PanelId::kNormalMode,        PanelId::kBackUp,
    PanelId::kNetPingerSettings, PanelId::kSystemStatus, PanelId::kRamConfiguration,
    PanelId::kMainSettings};

// The order in which the close command unloads them.
inline constexpr std::array<PanelId, 7> kCloseOrder = kHideOrder;

// The order of the restart command and of the main window's own unload step.
inline constexpr std::array<PanelId, 7> kUnloadOrder = {
    PanelId::kWizardMode,    PanelId::kNormalMode,        PanelId::kBackUp,
    PanelId::kNetPingerSettings, PanelId::kRamConfiguration, PanelId::kMainSettings,
    PanelId::kSystemStatus};

// The panels created at start-up, in order; the advanced mode is created when first shown.
inline constexpr std::array<PanelId, 6> kStartupOrder = {
    PanelId::kWizardMode,      PanelId::kBackUp,            PanelId::kNetPingerSettings,
    PanelId::kSystemStatus,    PanelId::kRamConfiguration, PanelId::kMainSettings};

// The movie command that shows each panel in the frame.
inline constexpr std::string_view ShowCommandOf(PanelId id) {
  switch (id) {
    case PanelId::kWizardMode: return "IDC_FS_wizardMode";
    case PanelId::kNormalMode: return "IDC_FS_normalMode";
    case PanelId::kBackUp: return "IDC_FS_backupManger";
    case PanelId::kNetPingerSettings: return "IDC_FS_pingSetting";
    case PanelId::kSystemStatus: return "IDC_FS_systemSatus";
    case PanelId::kRamConfiguration: return "IDC_FS_ramConfig";
    case PanelId::kMainSettings: return "IDC_FS_settings";
  }
  return {};
}

}  // namespace zephyr
