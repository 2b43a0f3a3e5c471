#include "app/main_window.h"

#include "app/main_settings_form.h"
#include "app/system_shortcuts.h"
#include "backup/backup_file.h"
#include "backup/change_list_form.h"
#include "backup/backup_manager_form.h"
#include "memory/ram_configuration_form.h"
#include "monitor/system_status_form.h"
#include "pinger/net_pinger_form.h"
#include "platform/registry.h"
#include "tuning/apply_messages.h"
#include "tuning/normal_mode_form.h"
#include "tuning/wizard_mode_form.h"
#include "app/version_text.h"

#include <utility>

namespace zephyr {
namespace {

std::unique_ptr<ui::Form> DefaultPanel(Program& program, PanelId id) {
  switch (id) {
    case PanelId::kMainSettings: return std::make_unique<MainSettingsForm>(program);
    case PanelId::kWizardMode: return std::make_unique<WizardModeForm>(program);
    case PanelId::kNormalMode: return std::make_unique<NormalModeForm>(program);
    case PanelId::kBackUp: return std::make_unique<BackupManagerForm>(program);
    case PanelId::kNetPingerSettings: return std::make_unique<NetPingerForm>(program);
    case PanelId::kSystemStatus: return std::make_unique<SystemStatusForm>(program);
    case PanelId::kRamConfiguration: return std::make_unique<RamConfigurationForm>(program);
  }
  return nullptr;
}

}  // namespace

PanelFactory DefaultPanels() { return DefaultPanel; }

MainWindow::MainWindow(Program& program)
    : ui::Form({.name = "frmMain", .caption = kProgramName,
                .bounds = {0, 0, kMainWidth, kMainHeight}, .visible = true,
                .borderStyle = ui::BorderStyle::kNone}),
      program_(program) {
  cmdZephyrnet.Connect(&ui::CommandButton::Click, [this](int i) { cmdZephyrnet_Click(i); });
  cmdNetPinger.Connect(&ui::CommandButton::Click, [this](int i) { cmdNetPinger_Click(i); });
  cmdRamBooster.Connect(&ui::CommandButton::Click, [this](int i) { cmdRamBooster_Click(i); });
  cmdSystemSettings.Connect(&ui::CommandButton::Click,
                            [this](int i) { cmdSystemSettings_Click(i); });
  cmdMainSettings.Click.Connect(this, &MainWindow::cmdMainSettings_Click);
  flash.FSCommand.Connect(this, &MainWindow::flash_FSCommand);
}

void MainWindow::Form_Unload() { program_.Shutdown(); }

void MainWindow::flash_FSCommand(const std::string& command, const std::string& args) {
  program_.OnCommand(command, args);
}

void MainWindow::cmdZephyrnet_Click(int index) {
  switch (index) {
    case 0: program_.Message("Nothandeled"); break;
    case 1: program_.ShowPanel(PanelId::kWizardMode); break;
    case 2: program_.ShowPanel(PanelId::kNormalMode); break;
    case 3:
      if (auto* backup = dynamic_cast<BackupListPanel*>(&program_.Panel(PanelId::kBackUp))) {
        backup->intializeList();
      }
      program_.ShowPanel(PanelId::kBackUp);
      break;
    default: break;
  }
}

void MainWindow::cmdNetPinger_Click(int index) {
  if (index == 0) program_.Message("Nothandeled");
  if (index == 1) program_.ShowPanel(PanelId::kNetPingerSettings);
}

void MainWindow::cmdRamBooster_Click(int index) {
  if (index == 0) program_.Message("Not handeled yet");
  if (index == 1) program_.ShowPanel(PanelId::kSystemStatus);
  if (index == 2) program_.ShowPanel(PanelId::kRamConfiguration);
}

void MainWindow::cmdSystemSettings_Click(int index) {
  ShellPort& shell = program_.ports().shell;
  switch (index) {
    case 0: program_.Message("Not handeled"); break;
    case 1: OpenInternetProperties(shell); break;
    case 2: OpenSystemProperties(shell); break;
    case 3: OpenModemSettings(shell); break;
    case 4: OpenNetworkSettings(shell, program_.os().code); break;
    default: break;
  }
}

void MainWindow::cmdMainSettings_Click() { program_.ShowPanel(PanelId::kMainSettings); }

Program::Program(Ports ports, AppPaths paths)
    : ports_(ports), paths_(std::move(paths)), factory_(DefaultPanel) {}

Program::~Program() = default;

void Program::AttachTray(ui::Tray* tray) {
  tray_ = tray;
  if (!tray_) return;
  tray_->LeftClick.Connect([this] { ShowMainWindow(); });
  tray_->MouseClick.Connect([this](std::int16_t) { ShowMainWindow(); });
  // A right click does nothing: there is no tray menu.
}

bool Program::Start() {
  if (!BeginStart()) return false;
  FinishStart();
  return true;
}

bool Program::StartsInTray() {
  const std::string key = std::string(kSettingsRootKey) + std::string(kMainSettingsSubkey);
  return CheckBoxValueOf(GetMachineSetting(ports_.registry, key, "chkRunProgramMini", "0")) ==
         ui::kChecked;
}

bool Program::BeginStart() {
  if (!ports_.system.ClaimSingleInstance(kInstanceMutexName)) {
    Message(kAlreadyRunningMessage);
    return false;
  }
  mainWindow_ = std::make_unique<MainWindow>(*this);
  MainWindow& window = *mainWindow_;
  window.flash.SetBounds({0, 0, kMainWidth, kMainHeight});
  // The movie covers the panel frame until a panel is shown.
  window.framChildWindow.BringToFront();
  window.flash.BringToFront();
  window.flash.LoadMovie(0, JoinPath(paths_.folder, kMovieFileName));
  window.flash.SetVariable("_root.version", kVersionText);
  os_ = DetectOS(ports_.system);
  vistaOrLater_ = DetectVistaOrLater(ports_.system);
  window.Load(ports_.timers);
  return true;
}

void Program::FinishStart() {
  presets_ = InitPresets();
  if (tray_) tray_->Show(true);
  for (PanelId id : kStartupOrder) Panel(id);

  // The start-in-tray decision, from the value the settings panel has just read.
  if (auto* settings = dynamic_cast<MainSettingsForm*>(&Panel(PanelId::kMainSettings));
      settings && settings->chkRunProgramMini.Value() == ui::kChecked) {
    ShowTrayNotice();
  }
}

void Program::Shutdown() {
  for (PanelId id : kUnloadOrder) {
    // A panel that was never created is created and unloaded, as the unload order has it.
    Panel(id);
    UnloadPanel(id);
  }
  if (tray_) tray_->Show(false);
  if (host_) host_->EndProgram();
}

ui::Form& Program::Panel(PanelId id) {
  auto found = panels_.find(id);
  if (found == panels_.end()) {
    found = panels_.emplace(id, factory_(*this, id)).first;
    found->second->Load(ports_.timers);
  }
  return *found->second;
}

void Program::UnloadPanel(PanelId id) {
  const auto found = panels_.find(id);
  if (found == panels_.end()) return;
  found->second->Unload();
  if (host_) host_->ReleasePanel(*found->second);
  panels_.erase(found);
  if (current_ == id) current_.reset();
}

void Program::HideAllPanels() {
  for (PanelId id : kHideOrder) Panel(id).SetVisible(false);
}

void Program::ShowPanel(PanelId id) {
  HideAllPanels();
  ui::Form& panel = Panel(id);
  if (host_) host_->PlacePanel(panel);
  panel.SetVisible(true);
  current_ = id;
  mainWindow_->framChildWindow.BringToFront();
}

void Program::ResizeFrame(PanelId id) {
  ui::Rect bounds = mainWindow_->framChildWindow.Bounds();
  bounds.width = kPanelFrameWidth;
  bounds.height = InfoOf(id).frameHeight;
  mainWindow_->framChildWindow.SetBounds(bounds);
}

void Program::OfferMTUInAdvancedMode(std::int32_t mtu) {
  OnCommand(ShowCommandOf(PanelId::kNormalMode));
  if (auto* advanced = dynamic_cast<NormalModeForm*>(&Panel(PanelId::kNormalMode))) {
    advanced->UseMeasuredMTU(mtu);
  }
}

void Program::BringMovieToFront() { mainWindow_->flash.BringToFront(); }

std::int32_t Program::ProcessorBusy() {
  auto* status = dynamic_cast<SystemStatusForm*>(&Panel(PanelId::kSystemStatus));
  return status != nullptr ? status->QueryObject().Query() : -1;
}

void Program::ReportFreeing(FreeingKind kind, std::uint64_t beforeBytes) {
  if (auto* status = dynamic_cast<SystemStatusForm*>(&Panel(PanelId::kSystemStatus))) {
    status->ReportFreeing(kind, beforeBytes);
  }
}

bool Program::MemoryTipInPercent() {
  auto* ram = dynamic_cast<RamConfigurationForm*>(&Panel(PanelId::kRamConfiguration));
  return ram != nullptr && ram->optPer.Value();
}

void Program::ReturnMovieHome() {
  BringMovieToFront();
  mainWindow_->flash.SetVariable("_root.home", "true");
}

void Program::ShowMainWindow() { mainWindow_->SetVisible(true); }

void Program::ShowTrayNotice() {
  mainWindow_->SetVisible(false);
  if (os_.code <= kOsWindowsMe) {
    // Before Windows 2000 and ME the tray has no balloons: the program's own, for 5 seconds,
    // without a tail, in the bottom-right corner above the tray.
    const ScreenSize screen = ports_.screen.Size();
    msgFrm_.MsgAuto_box(kTrayNoticeText, ui::kBalloonInformation, kTrayNoticeTitle, 5, true,
                        ui::BalloonRgb(242, 248, 200), static_cast<float>(screen.width - 40),
                        static_cast<float>(screen.height), 0);
  } else if (tray_) {
    tray_->showBalloonoolTip(true);
  }
}

int Program::Message(const std::string& text, std::uint32_t flags) {
  return ports_.dialogs.ShowMessage(host_ ? host_->WindowHandle() : 0, text, kProgramName, flags);
}

ApplyResult Program::ApplyCurrentTuningSet() {
  return ApplyPreview(PreviewTuningSet(currentTuning_, ports_.registry, os_.code));
}

ApplyResult Program::ApplyPreview(const TuningPreview& preview) {
  const ApplyResult result = ApplyTuningChanges(
      preview, {ports_.registry, ports_.clock, ports_.files, os_.code, BackupFolder(),
                BackupFolders()});
  if (const auto message = ApplyResultMessage(result)) {
    const bool failedBackup = result.outcome == ApplyResult::Outcome::kBackupFailed;
    Message(*message, failedBackup ? kMbIconError : kMbIconWarning);
  }
  return result;
}

void Program::PreviewCurrentTuningSet(std::function<void(const ApplyResult&)> applied,
                                      std::function<void()> cancelled) {
  // Shared with the form's handlers, which run after this call has returned.
  auto preview = std::make_shared<TuningPreview>(
      PreviewTuningSet(currentTuning_, ports_.registry, os_.code));
  std::vector<ValueChange> changes;
  for (const TuningChange& change : preview->changes) changes.push_back(change.change);
  ChangeListArgs args{.name = kPreviewFormName,
                      .caption = "Zephyrnet - Changes to make",
                      .summary = PreviewSummary(changes.size(), preview->unchanged)};
  if (vistaOrLater_) args.note = NotReadOnVistaLine(ValuesNotReadOnVista(*preview));
  args.apply = [this, preview, applied = std::move(applied)] {
    CloseDialog();
    const ApplyResult result = ApplyPreview(*preview);
    if (applied) applied(result);
  };
  args.cancel = [this, cancelled = std::move(cancelled)] {
    CloseDialog();
    if (cancelled) cancelled();
  };
  OpenDialog(std::make_unique<ChangeListForm>(std::move(args), changes));
}

void Program::OpenDialog(std::unique_ptr<ui::Form> dialog) {
  if (dialog_ && dialogOpen_) CloseDialog();
  if (dialog_ && host_) host_->CloseDialog(*dialog_);
  dialog_ = std::move(dialog);
  dialogOpen_ = true;
  dialog_->SetVisible(true);
  dialog_->Load(ports_.timers);
  if (host_) host_->ShowDialog(*dialog_);
}

void Program::CloseDialog() {
  if (!dialog_ || !dialogOpen_) return;
  dialogOpen_ = false;
  if (host_) host_->CloseDialog(*dialog_);
}

const std::string& Program::DataFolder() const {
  if (dataFolderSearch_ && paths_.dataFolder.empty()) {
    paths_.dataFolder = std::exchange(dataFolderSearch_, nullptr)();
  }
  return paths_.dataFolder;
}

std::string Program::BackupFolder() const {
  const std::string beside = JoinPath(paths_.folder, kBackupFolderName);
  const std::string& dataFolder = DataFolder();
  if (dataFolder.empty() || FolderWritable(ports_.files, beside)) return beside;
  if (!ports_.files.IsFolder(dataFolder)) ports_.files.CreateFolder(dataFolder);
  return JoinPath(dataFolder, kBackupFolderName);
}

std::vector<std::string> Program::BackupFolders() const {
  std::vector<std::string> folders{BackupFolder()};
  for (const std::string& other : {JoinPath(paths_.folder, kBackupFolderName),
                                   DataFolder().empty()
                                       ? std::string()
                                       : JoinPath(DataFolder(), kBackupFolderName)}) {
    if (!other.empty() && other != folders.front() && ports_.files.IsFolder(other)) {
      folders.push_back(other);
    }
  }
  return folders;
}

std::string Program::ExePath() const { return paths_.folder + "\\" + paths_.exeName + ".exe"; }

std::string Program::RunEntry() const { return "\"" + ExePath() + "\""; }

void Program::OnCommand(std::string_view command, std::string_view) {
  const auto show = [this](PanelId id) {
    ShowPanel(id);
    ResizeFrame(id);
  };
  const auto endProgram = [this](const auto& order) {
    for (PanelId id : order) UnloadPanel(id);
  };

  if (command == "IDC_FS_minimize") {
    if (host_) host_->Minimize();
  } else if (command == "IDC_FS_about") {
    beforeAbout_.reset();
    if (current_ && PanelExists(*current_) && Panel(*current_).Visible()) beforeAbout_ = current_;
    BringMovieToFront();
    HideAllPanels();
  } else if (command == "IDC_FS_closeAbout") {
    // Only the panel that was on screen before comes back; a panel never placed in the frame
    // would otherwise appear as a window of its own. The movie stays in front.
    if (beforeAbout_ && PanelExists(*beforeAbout_)) Panel(*beforeAbout_).SetVisible(true);
    beforeAbout_.reset();
  } else if (command == "IDC_FS_main" || command == "IDC_FS_sysSettingClicked") {
    HideAllPanels();
    BringMovieToFront();
  } else if (command == "IDC_FS_close") {
    endProgram(kCloseOrder);
    if (tray_) tray_->Show(false);
    if (host_) host_->EndProgram();
  } else if (command == "IDC_FS_tray") {
    ShowTrayNotice();
  } else if (command == "IDC_FS_home" || command == "IDC_FS_hide") {
    BringMovieToFront();
  } else if (command == "IDC_FS_settings") {
    show(PanelId::kMainSettings);
  } else if (command == "IDC_FS_help") {
    ports_.shell.OpenDocument(host_ ? host_->WindowHandle() : 0,
                              paths_.folder + "\\" + kHelpFileName, "", "C:\\",
                              kSwShowNormal);
  } else if (command == "Drag") {
    if (host_) host_->DragWindow();
  } else if (command == "IDC_FS_wizardMode") {
    show(PanelId::kWizardMode);
  } else if (command == "IDC_FS_normalMode") {
    // The advanced mode always starts afresh at its first page.
    UnloadPanel(PanelId::kNormalMode);
    Panel(PanelId::kNormalMode);
    show(PanelId::kNormalMode);
  } else if (command == "IDC_FS_backupManger") {
    if (auto* backup = dynamic_cast<BackupListPanel*>(&Panel(PanelId::kBackUp))) {
      backup->intializeList();
    }
    show(PanelId::kBackUp);
  } else if (command == "IDC_FS_pingSetting") {
    show(PanelId::kNetPingerSettings);
  } else if (command == "IDC_FS_systemSatus") {
    show(PanelId::kSystemStatus);
  } else if (command == "IDC_FS_ramConfig") {
    show(PanelId::kRamConfiguration);
  } else if (command == "IDC_FS_internetProperties") {
    OpenInternetProperties(ports_.shell);
  } else if (command == "IDC_FS_systemSetting") {
    OpenSystemProperties(ports_.shell);
  } else if (command == "IDC_FS_modemSetting") {
    OpenModemSettings(ports_.shell);
  } else if (command == "IDC_FS_networkSetting") {
    OpenNetworkSettings(ports_.shell, os_.code);
  } else if (command == "IDC_FS_restart") {
    // Windows may refuse; until it has granted the restart the program stays as it was, its
    // panels loaded and its icon in the tray.
    if (!RestartWindows(ports_.shell)) {
      Message(kRestartRefusedMessage, kMbOk | kMbIconWarning);
      return;
    }
    endProgram(kUnloadOrder);
    if (tray_) tray_->Show(false);
    if (host_) host_->EndProgram();
  }
}

}  // namespace zephyr
