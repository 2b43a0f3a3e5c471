// The main window and the program object.
//
// `MainWindow` is the form model of frmMain: the movie that fills it and serves as the main menu,
// the frame `framChildWindow` in which one panel at a time is shown, and the row of buttons
// beneath the movie. `Program` owns the program-wide state (the ports, the OS code, the tuning
// sets, the panels, the main window) and carries out the movie's commands. Panels reach each other
// only through it. What only a real window can do (moving the window, minimising it, ending the
// process, putting a panel's window into the frame) goes through `MainWindowHost`.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_settings_services.h"
#include "app/panels.h"
#include "backup/backup_manager_services.h"
#include "memory/ram_configuration_services.h"
#include "monitor/system_status_services.h"
#include "pinger/net_pinger_services.h"
#include "platform/clock_port.h"
#include "platform/background_port.h"
#include "platform/dialog_port.h"
#include "platform/file_system_port.h"
#include "platform/locale_port.h"
#include "platform/message_pump_port.h"
#include "platform/network_port.h"
#include "platform/os_version.h"
#include "platform/registry_port.h"
#include "platform/screen_port.h"
#include "platform/scheduler_port.h"
#include "platform/shell_port.h"
#include "platform/sound_port.h"
#include "platform/system_port.h"
#include "tuning/presets.h"
#include "tuning/tuning_params.h"
#include "tuning/tuning_preview.h"
#include "tuning/tuning_services.h"
#include "ui/controls.h"
#include "ui/custom_controls.h"
#include "ui/form_model.h"
#include "ui/message_balloon.h"
#include "ui/timer_scheduler.h"
#include "ui/tray.h"

namespace zephyr {

inline constexpr char kProgramName[] = "Zephyrnet";
inline constexpr char kInstanceMutexName[] = "QvZephyrnet";
inline constexpr char kAlreadyRunningMessage[] = "The program already opening";
// The notice that the program keeps running when its window goes to the tray.
inline constexpr char kTrayNoticeTitle[] = "Program notification";
inline constexpr char kTrayNoticeText[] = "The Program Still Running Here";
inline constexpr char kMovieFileName[] = "speed up.swf";
inline constexpr char kSkinFileName[] = "RZephyrnetMask.skn";
inline constexpr char kHelpFileName[] = "ZephyrnetHelp.chm";
inline constexpr int kMainWidth = 724;
inline constexpr int kMainHeight = 540;

// Where the program runs from: the application folder holds the movie, the skin, the help file,
// the sounds and the backup folder.
struct AppPaths {
  std::string folder;   // ANSI, as the file system, the registry and the shell take it
  std::string exeName;  // without ".exe"
  // Zephyrnet's folder in the computer's shared application data folder, where the backups go
  // when the application folder cannot be written; empty where the system has none.
  std::string dataFolder;
};

struct Ports {
  RegistryPort& registry;
  SystemPort& system;
  ShellPort& shell;
  DialogPort& dialogs;
  ClockPort& clock;
  FileSystemPort& files;
  ui::TimerScheduler& timers;
  // The user's date and time formats; the same text everywhere unless the real one is given.
  LocalePort& locale = PortableLocale();
  // Windows Sockets and ICMP, the sounds, and the threads that keep a ping off the window.
  NetworkPort& network;
  SoundPort& sound;
  BackgroundPort& background;
  // The display's size and the mouse pointer, for the program's own balloon message.
  ScreenPort& screen;
  // The log-on task that starts the elevated program on Vista and later; none on older systems.
  SchedulerPort& scheduler = NoScheduler();
  // Lets pending events run while memory is being freed.
  MessagePumpPort& pump = NoMessagePump();
};

// What only the real main window can do.
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  // Makes the panel's window a child of framChildWindow (creating its windows the first time).
  virtual void PlacePanel(ui::Form& panel) = 0;
  // The panel's windows go; the form is about to be destroyed.
  virtual void ReleasePanel(ui::Form& panel) = 0;
  virtual void Minimize() = 0;
  // Moves the window with the mouse, as if its caption were dragged.
  virtual void DragWindow() = 0;
  // Ends the process at once.
  virtual void EndProgram() = 0;
  // The window's handle value, as owner of message boxes and shell windows.
  virtual std::uintptr_t WindowHandle() const = 0;
  // Puts a form of the program's own on screen above the main window, which takes no input
  // until CloseDialog; the form stays loaded and outlives its windows.
  virtual void ShowDialog(ui::Form& dialog) { (void)dialog; }
  virtual void CloseDialog(ui::Form& dialog) { (void)dialog; }
};

class Program;

class MainWindow : public ui::Form {
 public:
  explicit MainWindow(Program& program);

  ui::Movie flash{*this, {.name = "flash", .bounds = {0, 0, kMainWidth, kMainHeight}}};
  ui::Frame framChildWindow{*this, {.name = "framChildWindow", .bounds = {0, 0, 440, 245}}};
  // A second command surface, beneath the movie in the z-order.
  ui::ControlArray<ui::CommandButton> cmdZephyrnet{
      *this, "cmdZephyrnet",
      {{.caption = "Zephyrnet", .bounds = {8, 300, 110, 24}},
       {.caption = "Wizard Mode", .bounds = {8, 328, 110, 24}},
       {.caption = "Advanced Mode", .bounds = {8, 356, 110, 24}},
       {.caption = "Backup", .bounds = {8, 384, 110, 24}}}};
  ui::ControlArray<ui::CommandButton> cmdNetPinger{
      *this, "cmdNetPinger",
      {{.caption = "Net Pinger", .bounds = {124, 300, 110, 24}},
       {.caption = "Ping Settings", .bounds = {124, 328, 110, 24}}}};
  ui::ControlArray<ui::CommandButton> cmdRamBooster{
      *this, "cmdRamBooster",
      {{.caption = "Ram Booster", .bounds = {240, 300, 110, 24}},
       {.caption = "System Status", .bounds = {240, 328, 110, 24}},
       {.caption = "Ram Configuration", .bounds = {240, 356, 110, 24}}}};
  ui::ControlArray<ui::CommandButton> cmdSystemSettings{
      *this, "cmdSystemSettings",
      {{.caption = "System Settings", .bounds = {356, 300, 120, 24}},
       {.caption = "Internet Properties", .bounds = {356, 328, 120, 24}},
       {.caption = "System Properties", .bounds = {356, 356, 120, 24}},
       {.caption = "Modems Settings", .bounds = {356, 384, 120, 24}},
       {.caption = "Network Settings", .bounds = {356, 412, 120, 24}}}};
  ui::CommandButton cmdMainSettings{
      *this, {.name = "cmdMainSettings", .caption = "Main Settings", .bounds = {482, 300, 110, 24}}};
  ui::CommandButton cmdHomePage{
      *this, {.name = "cmdHomePage", .caption = "Home Page", .bounds = {482, 328, 110, 24}}};
  ui::CommandButton cmdAbout{
      *this, {.name = "cmdAbout", .caption = "About", .bounds = {598, 300, 110, 24}}};
  ui::CommandButton cmdHelp{
      *this, {.name = "cmdHelp", .caption = "Help", .bounds = {598, 328, 110, 24}}};

  // The second command surface: every control but the movie and the frame, which the movie
  // covers whole.
  bool BeneathMovie(const ui::Control& control) const {
    return &control != &flash && &control != &framChildWindow;
  }

  // True while the movie covers the panel frame.
  bool MovieInFront() const { return flash.StackLevel() > framChildWindow.StackLevel(); }

 private:
  // Closing the window (Alt+F4, the system menu) ends the program in order.
  void Form_Unload() override;
  void cmdZephyrnet_Click(int index);
  void cmdNetPinger_Click(int index);
  void cmdRamBooster_Click(int index);
  void cmdSystemSettings_Click(int index);
  void cmdMainSettings_Click();
  void flash_FSCommand(const std::string& command, const std::string& args);

  Program& program_;
};

using PanelFactory = std::function<std::unique_ptr<ui::Form>(Program&, PanelId)>;
// The program's own panels (the factory a new Program starts with).
PanelFactory DefaultPanels();

// Each panel sees the program only through the services it declares beside itself.
class Program final : public TuningServices,
                      public BackupManagerServices,
                      public NetPingerServices,
                      public RamConfigurationServices,
                      public SystemStatusServices,
                      public MainSettingsServices {
 public:
  Program(Ports ports, AppPaths paths);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // How panels are made (tests put their own forms in).
  void SetPanelFactory(PanelFactory factory) { factory_ = std::move(factory); }
  void AttachHost(MainWindowHost* host) { host_ = host; }
  // Tray1: the icon in the notification area. Its clicks bring the window back.
  void AttachTray(ui::Tray* tray);
  // The tray icon, when one is attached.
  ui::Tray* tray() override { return tray_; }

  // The load step of the main window. False when another instance runs: the user was told and
  // nothing was created.
  bool Start();
  // Start in two steps, so what the user does not see yet waits until the main window is on
  // screen: BeginStart makes the main window's form (false, as Start, when another instance
  // runs); FinishStart loads the panels, puts the icon into the tray and makes the start-in-tray
  // decision. Start is the two at once.
  bool BeginStart();
  void FinishStart();
  // The stored start-in-tray setting, read without loading the settings panel: a start that goes
  // to the tray shows no window, so nothing waits for one.
  bool StartsInTray();
  // The main window's unload step: the panels in order, then the tray icon; then the end.
  void Shutdown();

  // Carries out one command of the movie. Commands are compared exactly; the arguments are
  // ignored; a command that matches nothing does nothing.
  void OnCommand(std::string_view command, std::string_view args = {});

  // Puts `id` in the frame: every panel hidden (missing ones created), this one placed in the
  // frame and shown, the frame in front of the movie.
  void ShowPanel(PanelId id);
  void HideAllPanels();
  // The movie in front of the frame; the panels keep their state.
  void BringMovieToFront();
  // What a panel does when it has finished an action: the movie in front, back to its home.
  void ReturnMovieHome() override;
  // Hides the main window and tells the user the program keeps running in the tray: in the
  // program's own balloon on the 9x family, in the tray icon's balloon on the NT family.
  void ShowTrayNotice();
  void ShowMainWindow();

  // The panel, created (and loaded) on first reference.
  ui::Form& Panel(PanelId id);
  bool PanelExists(PanelId id) const { return panels_.count(id) != 0; }
  // Unloads and destroys the panel; the next reference creates it afresh.
  void UnloadPanel(PanelId id);
  // The panel last passed to ShowPanel, if any.
  std::optional<PanelId> CurrentPanel() const { return current_; }

  // Opens the advanced mode afresh, as its command does, on its MTU page with `mtu` in the MTU box.
  void OfferMTUInAdvancedMode(std::int32_t mtu) override;

  // Applies the current tuning set (after its backup) and tells the user what went wrong, if
  // anything did.
  ApplyResult ApplyCurrentTuningSet();
  // Applies exactly what a preview shows, the same way.
  ApplyResult ApplyPreview(const TuningPreview& preview);
  // Shows what applying the current tuning set will write and remove (frmPreview). Apply there
  // applies exactly that and then calls `applied`; Cancel or closing it writes nothing, takes
  // no backup and calls `cancelled`.
  void PreviewCurrentTuningSet(std::function<void(const ApplyResult&)> applied,
                               std::function<void()> cancelled = {}) override;

  // Shows a form of the program's own above the main window (the preview, a comparison of
  // backups) until CloseDialog. The program keeps the form until the next one opens, so a
  // dialog's own handler may close it.
  void OpenDialog(std::unique_ptr<ui::Form> dialog) override;
  void CloseDialog() override;
  // The dialog on screen, if any.
  ui::Form* Dialog() { return dialogOpen_ ? dialog_.get() : nullptr; }
  // Windows Vista or later, whose TCP/IP ignores some of the tuned values.
  bool VistaOrLater() const { return vistaOrLater_; }

  // A plain message box with the program's title.
  int Message(const std::string& text, std::uint32_t flags = kMbOk) override;

  Ports& ports() { return ports_; }
  // The ports one at a time, as the panels' services give them.
  RegistryPort& Registry() override { return ports_.registry; }
  SystemPort& System() override { return ports_.system; }
  ShellPort& Shell() override { return ports_.shell; }
  FileSystemPort& Files() override { return ports_.files; }
  ClockPort& Clock() override { return ports_.clock; }
  LocalePort& Locale() override { return ports_.locale; }
  NetworkPort& Network() override { return ports_.network; }
  SoundPort& Sound() override { return ports_.sound; }
  BackgroundPort& Background() override { return ports_.background; }
  SchedulerPort& Scheduler() override { return ports_.scheduler; }
  MessagePumpPort& Pump() override { return ports_.pump; }
  const std::string& AppFolder() const override { return paths_.folder; }
  // The status panel's processor figure and freed-memory report, and the memory panel's choice
  // of percent for the tray's tooltip: what one panel asks of another goes through the program.
  std::int32_t ProcessorBusy() override;
  void ReportFreeing(FreeingKind kind, std::uint64_t beforeBytes) override;
  bool MemoryTipInPercent() override;
  const AppPaths& paths() const { return paths_; }
  // paths().dataFolder; where none was given and a search is set, the search runs the first time
  // the folder is needed (it asks the shell, which a start need not wait for).
  const std::string& DataFolder() const;
  void SetDataFolderSearch(std::function<std::string()> search) {
    dataFolderSearch_ = std::move(search);
  }
  MainWindow& mainWindow() { return *mainWindow_; }
  // The program's own timed balloon message.
  ui::MsgFrm& msgFrm() { return msgFrm_; }
  OsIdentity os() const override { return os_; }
  const Presets& presets() const override { return presets_; }
  TuningParams& currentTuning() override { return currentTuning_; }
  // Where a new backup goes: the backup folder beside the program, or, when that cannot be
  // written (Program Files without elevation, a CD), the one in the shared data folder.
  std::string BackupFolder() const;
  // Every backup folder there is, the one BackupFolder() names first: the backups of both places
  // are listed and numbered as one.
  std::vector<std::string> BackupFolders() const override;
  // The Run-key entry that starts this program at log-on: the path in quotes, so a folder with
  // spaces cannot start another program.
  std::string RunEntry() const override;
  // The program's own file: the folder, "\", the name and ".exe".
  std::string ExePath() const override;

 private:
  void ResizeFrame(PanelId id);

  Ports ports_;
  mutable AppPaths paths_;  // mutable: the data folder is found on first use
  mutable std::function<std::string()> dataFolderSearch_;
  ui::MsgFrm msgFrm_{ports_.screen, ports_.timers};
  MainWindowHost* host_ = nullptr;
  ui::Tray* tray_ = nullptr;
  PanelFactory factory_;
  std::unique_ptr<MainWindow> mainWindow_;
  std::map<PanelId, std::unique_ptr<ui::Form>> panels_;
  std::optional<PanelId> current_;
  // The panel that was on screen when the about screen opened; closing it brings back only that.
  std::optional<PanelId> beforeAbout_;
  OsIdentity os_;
  bool vistaOrLater_ = false;
  std::unique_ptr<ui::Form> dialog_;
  bool dialogOpen_ = false;
  Presets presets_{};
  TuningParams currentTuning_{};
};

}  // namespace zephyr
