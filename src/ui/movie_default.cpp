// The built-in menu. It is written in the movie format itself, so it goes through the same
// checks as a file; it offers every command the program dispatches, in the plain default look.
#include <utility>

#include "ui/movie.h"

namespace zephyr::ui {
namespace {

constexpr std::string_view kDefaultMovie = R"(
[movie]
format = 1
title = Zephyrnet
home = home

[titlebar]
button = "Main menu" go home send IDC_FS_main glyph home
button = Minimize send IDC_FS_minimize glyph minimize
button = "Hide to tray" send IDC_FS_tray glyph tray
button = Close send IDC_FS_close glyph close

[screen home]
heading = Zephyrnet
text = Choose a task on the left.
button = "Network tuning" go network
button = "Net pinger" go pinger
button = "Memory booster" go memory
button = "System settings" go system
button = "Main settings" send IDC_FS_settings
button = Help send IDC_FS_help
button = About go about
button = "Hide panel" send IDC_FS_hide style link

[screen network]
heading = Network tuning
button = "Wizard mode" send IDC_FS_wizardMode
button = "Advanced mode" send IDC_FS_normalMode
button = "Backup manager" send IDC_FS_backupManger
button = "Hide panel" send IDC_FS_hide style link
button = Back go home send IDC_FS_home glyph back at 12 462 216 34

[screen pinger]
heading = Net pinger
button = "Ping settings" send IDC_FS_pingSetting
button = "Hide panel" send IDC_FS_hide style link
button = Back go home send IDC_FS_home glyph back at 12 462 216 34

[screen memory]
heading = Memory booster
button = "System status" send IDC_FS_systemSatus
button = "RAM configuration" send IDC_FS_ramConfig
button = "Hide panel" send IDC_FS_hide style link
button = Back go home send IDC_FS_home glyph back at 12 462 216 34

[screen system]
heading = System settings
enter = IDC_FS_sysSettingClicked
button = "Internet properties" send IDC_FS_internetProperties
button = "System properties" send IDC_FS_systemSetting
button = "Modem settings" send IDC_FS_modemSetting
button = "Network settings" send IDC_FS_networkSetting
button = "Restart Windows" go restart
button = Back go home send IDC_FS_home glyph back at 12 462 216 34

[screen restart]
heading = Restart Windows
text = New network settings take effect after a restart. Save your work in other programs first.
button = "Restart now" send IDC_FS_restart
button = Cancel go system glyph back

[screen about]
heading = About Zephyrnet
enter = IDC_FS_about
leave = IDC_FS_closeAbout
text = Zephyrnet tunes your internet connection and frees memory.
button = Back go home send IDC_FS_home glyph back at 12 462 216 34
)";

}  // namespace

std::string_view DefaultMovieText() { return kDefaultMovie; }

MovieDocument DefaultMovie() {
  MovieParseResult parsed = ParseMovie(kDefaultMovie);
  // The text above is checked by the unit tests; an empty document cannot happen in a build that
  // passed them, but the player still gets something it can show.
  return parsed.document ? std::move(*parsed.document) : MovieDocument{};
}

}  // namespace zephyr::ui
