// The program on fake ports: every port faked, and a program made on them in a temporary folder
// and hosted by the fake main window. Where the tests and benchmarks of the panels start.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "app/main_window.h"
#include "backup/change_list_form.h"
#include "fakes/fake_background.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_dialogs.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_main_window_host.h"
#include "fakes/fake_message_pump.h"
#include "fakes/fake_network.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_screen.h"
#include "fakes/fake_scheduler.h"
#include "fakes/native_file_system.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_sound.h"
#include "fakes/fake_system.h"
#include "fakes/fake_timer_scheduler.h"
#include "fakes/temp_dir.h"
#include "platform/system_port.h"

namespace zephyr::testing {

struct FakePorts {
  Ports ports() {
    return {registry, system, shell, dialogs, clock, realFiles ? *realFiles : files, timers,
            realLocale ? *realLocale : locale, network, sound, background, screen,
            scheduler, pump};
  }

  FakeRegistry registry;
  FakeSystem system;
  FakeShell shell;
  FakeDialogs dialogs;
  FakeClock clock;
  NativeFileSystem files;
  FakeTimerScheduler timers;
  FakeLocale locale;
  FakeNetwork network;
  FakeSound sound;
  FakeBackground background;
  FakeScreen screen;
  FakeScheduler scheduler;
  FakeMessagePump pump;
  LocalePort* realLocale = nullptr;  // the user's own formats instead of the fake's, when set
  FileSystemPort* realFiles = nullptr;  // the real file system instead of the tests' one, when set
};

struct FakeProgram : FakePorts {
  // Makes the program as a Windows of this version reports itself; starting it is the caller's.
  // Its folder is `programFolder`, or the temporary `folder` while that is empty.
  void Make(std::uint32_t platform = kVerPlatformWin32Nt, std::uint32_t major = 5,
            std::uint32_t minor = 1) {
    system.SetVersion(platform, major, minor);
    const std::filesystem::path where = programFolder.empty() ? folder.path() : programFolder;
    program =
        std::make_unique<Program>(ports(), AppPaths{where.string(), "zephyrnet", dataFolder});
    program->AttachHost(&mainHost);
  }

  FakeMainWindowHost mainHost;
  TempDir folder;
  std::filesystem::path programFolder;
  std::string dataFolder;  // the shared data folder's Zephyrnet folder; none while empty
  std::unique_ptr<Program> program;
};

// Presses Apply, or Cancel, in the preview (or comparison) the program shows; false when none is
// on screen or the button cannot be pressed.
inline bool AnswerPreview(Program& program, bool apply = true) {
  auto* form = dynamic_cast<ChangeListForm*>(program.Dialog());
  if (form == nullptr) return false;
  return (apply ? form->cmdApply : form->cmdCancel).UserClick();
}

}  // namespace zephyr::testing
