// WinMain: builds the real ports and the program, puts the main window on screen and runs the
// message loop. The window's part of the program's work (hosting the movie player, putting panels
// into the frame, skinning them, moving and minimising the borderless window) is MainWindowWin32;
// everything else lives in the portable Program.
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <map>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "platform/background_win32.h"
#include "platform/clock_win32.h"
#include "platform/dialog_win32.h"
#include "platform/file_system_win32.h"
#include "platform/locale_win32.h"
#include "platform/message_pump_win32.h"
#include "platform/network_win32.h"
#include "platform/notification_area_win32.h"
#include "platform/registry_win32.h"
#include "platform/screen_win32.h"
#include "platform/scheduler_win32.h"
#include "platform/shell_win32.h"
#include "platform/sound_win32.h"
#include "platform/system_win32.h"
#include "ui/form_binder_win32.h"
#include "ui/dpi_win32.h"
#include "ui/message_balloon_win32.h"
#include "ui/movie.h"
#include "ui/movie_player_win32.h"
#include "ui/skin.h"
#include "ui/skin_win32.h"
#include "ui/timer_scheduler_win32.h"
#include "ui/tray_win32.h"

namespace zephyr {
namespace {

// "Zephyrnet" in the computer's shared application data folder (C:\ProgramData on Vista and
// later). The shell functions that know it came with Internet Explorer 4 and Windows 2000, so
// they are looked up; without them the backups have no second place.
std::string SharedDataFolder() {
  constexpr int kCsidlCommonAppData = 0x23;
  char folder[MAX_PATH + 1] = {};
  bool found = false;
  using SpecialFolderFn = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);
  if (HMODULE shell = GetModuleHandleA("shell32.dll")) {
    if (const auto get = reinterpret_cast<SpecialFolderFn>(
            reinterpret_cast<void*>(GetProcAddress(shell, "SHGetSpecialFolderPathA")))) {
      found = get(nullptr, folder, kCsidlCommonAppData, TRUE) && folder[0] != '\0';
    }
  }
  if (!found) {
    using FolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);
    if (HMODULE shfolder = LoadLibraryA("shfolder.dll")) {
      if (const auto get = reinterpret_cast<FolderPathFn>(
              reinterpret_cast<void*>(GetProcAddress(shfolder, "SHGetFolderPathA")))) {
        found = get(nullptr, kCsidlCommonAppData | 0x8000, nullptr, 0, folder) == S_OK &&
                folder[0] != '\0';
      }
      FreeLibrary(shfolder);
    }
  }
  return found ? JoinPath(folder, "Zephyrnet") : std::string();
}

AppPaths PathsOfThisProgram() {
  // The ANSI name: the wide-character one is empty on Windows 95, 98 and ME.
  char ansi[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, ansi, MAX_PATH);
  const std::string file(ansi, length);
  AppPaths paths;
  paths.folder = std::string(FolderOf(file));
  std::string name(FileNameOf(file));
  if (name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".exe") == 0) {
    name.resize(name.size() - 4);
  }
  paths.exeName = name;
  return paths;
}

// The program's icon at the system's small-icon size (16 pixels at 96 dots per inch, more on
// screens with more), picked from the sizes the icon file holds.
HICON SmallIcon(HINSTANCE instance) {
  return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(1), IMAGE_ICON,
                                       GetSystemMetrics(SM_CXSMICON),
                                       GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
}

// Where the guard keeps the player's own window procedure: in the window, not in a global.
constexpr char kPreviousProcProperty[] = "ZephyrnetPreviousProc";

// The menu never opens a context menu of its own: a right click is turned into the null message,
// and the context-menu key is swallowed, before the player sees them.
LRESULT CALLBACK MoviePlayerGuardProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RBUTTONDOWN) message = WM_NULL;
  if (message == WM_CONTEXTMENU) return 0;
  const auto previous = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kPreviousProcProperty));
  if (message == WM_NCDESTROY) {
    RemovePropA(hwnd, kPreviousProcProperty);
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
  }
  return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

// Finds the player among the main window's children by its class name and guards it.
void SubclassMoviePlayer(HWND mainWindow) {
  for (HWND child = GetWindow(mainWindow, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char className[250] = {};
    GetClassNameA(child, className, sizeof className);
    std::string lower(className);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.find("zephyrnetmovieplayer") != std::string::npos) {
      SetPropA(child, kPreviousProcProperty,
               reinterpret_cast<HANDLE>(GetWindowLongPtrA(child, GWLP_WNDPROC)));
      SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MoviePlayerGuardProc));
      return;
    }
  }
}

class MainWindowWin32 final : public MainWindowHost, private ui::ControlWindowHost {
 public:
  MainWindowWin32(Program& program, ui::TimerSchedulerWin32& timers)
      : program_(program), timers_(timers) {
    binder_.SetMovieHost(this);
  }

  // Puts frmMain on screen: borderless, 724 x 540, centred, with the movie filling it.
  bool Show() {
    skin_.Load(program_.ports().files, JoinPath(program_.paths().folder, kSkinFileName));
    MainWindow& form = program_.mainWindow();
    // The window is shown once its frame is skinned and the player guarded.
    const bool visible = form.Visible();
    form.SetVisible(false);
    // The buttons beneath the movie can be neither seen nor clicked while it covers them: their
    // windows are made once the menu is on screen, so it appears without waiting for them.
    if (!binder_.Bind(form, nullptr, timers_,
                      [&form](const ui::Control& control) { return form.BeneathMovie(control); })) {
      return false;
    }
    hwnd_ = binder_.FormWindow();
    if (HWND frame = binder_.WindowOf(form.framChildWindow)) {
      skin_.Apply(frame, "NoFrame");
      // The frame and the movie overlap; each must paint only its own part.
      SetWindowLongPtrA(frame, GWL_STYLE, GetWindowLongPtrA(frame, GWL_STYLE) | WS_CLIPSIBLINGS);
    }
    SubclassMoviePlayer(hwnd_);
    form.SetVisible(visible);
    return true;
  }

  // The taskbar's and Alt+Tab's pictures of the window, each drawn at the size the system asks
  // for, not one stretched to fit. The borderless window shows neither itself, so they can wait
  // until its first paint is on screen.
  void SetIcons() {
    if (HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1))) {
      SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
    if (HICON icon = SmallIcon(GetModuleHandleA(nullptr))) {
      SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
  }

  // MainWindowHost
  void PlacePanel(ui::Form& panel) override {
    // The heading above the frame names the panel shown in it.
    player_.SetPanelTitle(panel.Caption());
    HWND frame = binder_.WindowOf(program_.mainWindow().framChildWindow);
    auto& binder = panels_[&panel];
    if (!binder) binder = std::make_unique<ui::FormBinderWin32>();
    if (binder->Bound()) return;
    if (!binder->Bind(panel, frame, timers_)) return;
    // Every panel is skinned as a whole, then control by control.
    skin_.Apply(binder->FormWindow(), "controlForm");
    applyAllControls(*binder, panel);
  }

  void ReleasePanel(ui::Form& panel) override { panels_.erase(&panel); }

  void Minimize() override { ShowWindow(hwnd_, SW_MINIMIZE); }

  void DragWindow() override {
    ReleaseCapture();
    SendMessageA(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  }

  void EndProgram() override { PostQuitMessage(0); }

  std::uintptr_t WindowHandle() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }

  // A dialog is a top-level window of its own, centred as the main window is, owned by it (so it
  // stays above it and off the taskbar); the main window takes no input while it is up.
  void ShowDialog(ui::Form& dialog) override {
    dialog_ = std::make_unique<ui::FormBinderWin32>();
    if (!dialog_->Bind(dialog, nullptr, timers_)) return;
    HWND window = dialog_->FormWindow();
    SetWindowLongPtrA(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(hwnd_));
    skin_.Apply(window, "controlForm");
    applyAllControls(*dialog_, dialog);
    EnableWindow(hwnd_, FALSE);
    ShowWindow(window, SW_SHOW);
  }

  // The binder stays until the next dialog: this may run inside one of the dialog's own handlers.
  void CloseDialog(ui::Form&) override {
    // The main window takes input again before the dialog goes, and is made the active window
    // itself: left to the window manager, activation can stay nowhere for a while, and a button
    // of an inactive window may not take a click.
    EnableWindow(hwnd_, TRUE);
    SetActiveWindow(hwnd_);
    if (dialog_) dialog_->Unbind();
    SetFocus(hwnd_);
  }

 private:
  // The skin element of each control by its kind; a control without a window is left alone.
  void applyAllControls(const ui::FormBinderWin32& binder, ui::Form& form) {
    for (ui::Control* control : form.Controls()) {
      const auto element = ui::SkinElementFor(control->Kind());
      HWND window = binder.WindowOf(*control);
      if (element && window) skin_.Apply(window, *element);
    }
  }

  // ControlWindowHost: the movie player in place of the flash control.
  HWND CreateControlWindow(ui::Control& control, HWND parent) override {
    auto* flash = dynamic_cast<ui::Movie*>(&control);
    if (!flash) return nullptr;
    const ui::MovieLoadResult movie = ui::LoadMovieFile(
        program_.ports().files, JoinPath(program_.paths().folder, kMovieFileName));
    // The movie's layout is the form's, at 96 dots per inch; the player draws it at the scale.
    const ui::Rect layout = control.Bounds();
    const ui::Rect bounds = binder_.Scale().Scale(layout);
    ui::MoviePlayerWindowArgs args;
    args.parent = parent;
    args.bounds = {bounds.x, bounds.y, bounds.x + bounds.width, bounds.y + bounds.height};
    args.scale = binder_.Scale();
    args.name = control.Name();
    args.buttonsAfterFirstPaint = true;
    const ui::Rect panelArea = movie.document.panelFrame;
    if (!player_.Create(args, movie.document, [flash](const std::string& command,
                                                      const std::string& arguments) {
          flash->SendCommand(command, arguments);
        })) {
      return nullptr;
    }
    for (const char* variable : {"_root.version", "_root.home"}) {
      const std::string value = flash->GetVariable(variable);
      if (!value.empty()) player_.SetVariable(variable, value);
    }
    // The panels go where the menu leaves room for them, in the form's layout like the frame.
    ui::Frame& panelFrame = program_.mainWindow().framChildWindow;
    panelFrame.SetBounds({layout.x + panelArea.x, layout.y + panelArea.y,
                          panelFrame.Bounds().width, panelFrame.Bounds().height});
    return player_.Hwnd();
  }

  void ControlChanged(ui::Control& control, HWND, ui::Property what) override {
    auto* flash = dynamic_cast<ui::Movie*>(&control);
    if (!flash) return;
    if (what == ui::Property::kVariables) {
      const auto& [name, value] = flash->LastVariableSet();
      player_.SetVariable(name, value);
    } else if (what == ui::Property::kZOrder) {
      // The movie covers the frame again: its own screen is what the user sees.
      player_.SetPanelTitle("");
    }
  }

  Program& program_;
  ui::TimerSchedulerWin32& timers_;
  ui::FormBinderWin32 binder_;
  ui::MoviePlayerWindow player_;
  ui::SkinWin32 skin_;
  std::map<ui::Form*, std::unique_ptr<ui::FormBinderWin32>> panels_;
  std::unique_ptr<ui::FormBinderWin32> dialog_;
  HWND hwnd_ = nullptr;
};

}  // namespace
}  // namespace zephyr

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace zephyr;
  ui::RegisterCommonControls();

  RegistryWin32 registry;
  SystemWin32 system;
  ShellWin32 shell;
  DialogWin32 dialogs;
  ClockWin32 clock;
  FileSystemWin32 files;
  ui::TimerSchedulerWin32 timers;
  LocaleWin32 locale;
  NetworkWin32 network;
  SoundWin32 sound;
  // The balloon message lays itself out in 96-dpi units; the screen is reported in the same.
  ScreenWin32 screen(ui::ScreenScale().Dpi());
  MessagePumpWin32 pump(&ui::TranslateDialogMessage);
  // Made before the program and gone after it: a ping still waiting at the end is waited for.
  BackgroundWin32 background;
  SchedulerWin32 scheduler;
  Program program({registry, system, shell, dialogs, clock, files, timers, locale, network, sound,
                   background, screen, scheduler, pump},
                  PathsOfThisProgram());
  program.SetDataFolderSearch(SharedDataFolder);

  NotificationAreaWin32 notificationArea;
  ui::TrayArgs trayArgs;
  // The notification area shows small icons.
  if (HICON icon = SmallIcon(instance)) {
    trayArgs.trayImage = {kPicTypeIcon, reinterpret_cast<std::uintptr_t>(icon)};
  }
  ui::TrayWin32 tray(notificationArea, trayArgs);
  program.AttachTray(&tray.control());
  // The program's own balloon message, for the tray notice on the 9x family.
  ui::BalloonWindowWin32 balloon(program.msgFrm(), instance);

  MainWindowWin32 window(program, timers);
  program.AttachHost(&window);
  // A second instance has been told and ends here, having created nothing.
  if (!program.BeginStart()) return 0;
  if (program.StartsInTray()) {
    // No window is shown: the whole start comes first, as it decides that.
    program.FinishStart();
    if (!window.Show()) return 1;
    window.SetIcons();
  } else {
    // The icons, the panels, the tray icon and their timers wait until the menu is on screen
    // and painted.
    if (!window.Show()) return 1;
    RedrawWindow(reinterpret_cast<HWND>(window.WindowHandle()), nullptr, nullptr,
                 RDW_UPDATENOW | RDW_ALLCHILDREN);
    window.SetIcons();
    program.FinishStart();
  }

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (ui::TranslateDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return static_cast<int>(message.wParam);
}
