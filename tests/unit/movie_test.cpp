#include "ui/movie.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/native_file_system.h"
#include "fakes/temp_dir.h"
#include "ui/movie_player.h"

namespace zephyr::testing {
namespace {

using ui::MovieHit;
using ui::MovieHitKind;
using ui::MoviePlayer;

// Every command the dispatcher knows, spelt as it compares them.
const std::set<std::string> kDispatcherCommands = {
    "IDC_FS_minimize", "IDC_FS_about", "IDC_FS_closeAbout", "IDC_FS_main", "IDC_FS_close",
    "IDC_FS_tray", "IDC_FS_home", "IDC_FS_settings", "IDC_FS_help", "Drag", "IDC_FS_hide",
    "IDC_FS_wizardMode", "IDC_FS_normalMode", "IDC_FS_backupManger", "IDC_FS_pingSetting",
    "IDC_FS_systemSatus", "IDC_FS_ramConfig", "IDC_FS_internetProperties",
    "IDC_FS_systemSetting", "IDC_FS_modemSetting", "IDC_FS_networkSetting", "IDC_FS_restart",
    "IDC_FS_sysSettingClicked"};

std::filesystem::path ShippedMoviePath() {
  // __FILE__ is relative to the build folder when ccache compiles with a base directory.
#ifdef ZEPHYR_SOURCE_DIR
  const std::filesystem::path source = ZEPHYR_SOURCE_DIR "/tests/unit/movie_test.cpp";
#else
  const std::filesystem::path source = __FILE__;
#endif
  std::filesystem::path path = source.parent_path().parent_path().parent_path() / "resources" /
                               std::string(ui::kMovieFileName);
#ifdef _WIN32
  // A cross-compiled test carries a Unix source path; Wine shows the Unix root as drive Z:.
  if (!std::filesystem::exists(path) && source.string().starts_with('/')) {
    path = std::filesystem::path("Z:" + path.string());
  }
#endif
  return path;
}

std::string ShippedMovieText() {
  std::ifstream file(ShippedMoviePath(), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string Errors(const std::vector<ui::MovieError>& errors) {
  std::string all;
  for (const auto& error : errors) all += error.ToString() + "\n";
  return all;
}

// A player whose commands are recorded.
struct Recorder {
  explicit Recorder(ui::MovieDocument document) : player(std::move(document)) {
    player.SetCommandHandler([this](const std::string& command, const std::string& args) {
      sent.push_back(command);
      EXPECT_EQ(args, "");
    });
  }
  int Item(const std::string& caption) const {
    for (int i = 0; i < static_cast<int>(player.Items().size()); ++i) {
      if (player.IsShown(i) &&
          player.Items()[static_cast<std::size_t>(i)].button->caption == caption) {
        return i;
      }
    }
    ADD_FAILURE() << "no button " << caption << " on screen " << player.CurrentScreen().id;
    return -1;
  }
  void Click(const std::string& caption) { player.Activate(Item(caption)); }
  MoviePlayer player;
  std::vector<std::string> sent;
};

ui::MovieDocument Parse(std::string_view text) {
  auto result = ui::ParseMovie(text);
  EXPECT_TRUE(result.document) << Errors(result.errors);
  return result.document ? std::move(*result.document) : ui::MovieDocument{};
}

constexpr std::string_view kSmallMovie = R"(# two screens
[movie]
title = "Test \"movie\""
panel = 264 96 440 255

[look]
accent = #10a0Ff
heading-font = "MS Shell Dlg" 10 bold

[titlebar]
button = Close send IDC_FS_close glyph close

[screen home]
heading = Home
text = First paragraph.
text = "Second, quoted."
button = "Network tuning" go network hint "Tune it."
button = Help send IDC_FS_help
button = "Hide panel" send IDC_FS_hide style link

[screen network]
enter = IDC_FS_enter
leave = IDC_FS_leave
button = Wizard send IDC_FS_wizardMode
button = Back go home send IDC_FS_home at 12 462 216 34
)";

TEST(MovieFormat, ReadsScreensButtonsLookAndPlacesUnpositionedButtons) {
  const ui::MovieDocument doc = Parse(kSmallMovie);
  EXPECT_EQ(doc.title, "Test \"movie\"");
  EXPECT_EQ(doc.home, "home");  // the first screen when none is named
  EXPECT_EQ(doc.look.accent, (ui::MovieColor{0x10, 0xA0, 0xFF}));
  EXPECT_EQ(doc.look.headingFont, (ui::MovieFont{"MS Shell Dlg", 10, true}));
  EXPECT_EQ(doc.look.font, ui::MovieLook{}.font);  // unset entries keep the program's look
  ASSERT_EQ(doc.screens.size(), 2u);
  const ui::MovieScreen& home = doc.screens[0];
  EXPECT_EQ(home.paragraphs, (std::vector<std::string>{"First paragraph.", "Second, quoted."}));
  ASSERT_EQ(home.buttons.size(), 3u);
  EXPECT_EQ(home.buttons[0].AutomationName(), "screen:network");
  EXPECT_EQ(home.buttons[0].hint, "Tune it.");
  EXPECT_EQ(home.buttons[1].AutomationName(), "IDC_FS_help");
  EXPECT_EQ(doc.screens[1].enterCommand, "IDC_FS_enter");
  EXPECT_EQ(doc.screens[1].leaveCommand, "IDC_FS_leave");

  // Menu entries stack down the menu column, the link sits right-aligned above the panel frame,
  // a tool sits at the right end of the title bar, and a given position is kept.
  const ui::Rect& first = home.buttons[0].bounds;
  const ui::Rect& second = home.buttons[1].bounds;
  EXPECT_GE(first.x, doc.menuArea.x);
  EXPECT_LE(first.x + first.width, doc.menuArea.x + doc.menuArea.width);
  EXPECT_EQ(second.x, first.x);
  EXPECT_GT(second.y, first.y + first.height - 1);
  const ui::Rect& link = home.buttons[2].bounds;
  EXPECT_EQ(link.x + link.width, doc.panelFrame.x + doc.panelFrame.width);
  EXPECT_LE(link.y + link.height, doc.panelFrame.y);
  const ui::Rect& close = doc.titleBarButtons[0].bounds;
  EXPECT_GT(close.x, doc.width / 2);
  EXPECT_LE(close.y + close.height, doc.titleArea.y + doc.titleArea.height);
  EXPECT_EQ(doc.screens[1].buttons[1].bounds, (ui::Rect{12, 462, 216, 34}));
}

struct Damage {
  std::string text;
  int line;             // of the first error
  std::string message;  // part of the first error
};

TEST(MovieFormat, DamagedFilesAreRefusedWithTheLineAndFallBackToTheBuiltInMenu) {
  const std::string screen = "[screen home]\nbutton = Help send IDC_FS_help\n";
  const std::vector<Damage> cases = {
      {"", 0, "no [screen]"},
      {"   \n# only a comment\n", 0, "no [screen]"},
      {"[movie]\ntitle = Zephyrnet\n[scr", 3, "must end with ']'"},
      {screen + "button = \"Wizard mo", 3, "not closed"},
      {screen + "button = Wizard send", 3, "needs a value"},
      {screen + "button = Wizard go network", 3, "'network', which is not declared"},
      {screen + "button = Wizard", 3, "neither sends a command nor opens a screen"},
      {screen + "buton = Wizard send IDC_FS_wizardMode", 3, "unknown key 'buton'"},
      {screen + "button = Wizard send IDC_FS_x colour red", 3, "unknown button attribute"},
      {"[sound]\n" + screen, 1, "unknown section"},
      {"title = x\n" + screen, 1, "before the first [section]"},
      {"[movie]\nsize = 724 x\n" + screen, 2, "not a whole number"},
      {"[movie]\nsize = 99999999999999999999999 540\n" + screen, 2, "out of range"},
      {"[movie]\nsize = 100000 540\n" + screen, 2, "out of range"},
      {"[movie]\nsize = -724 540\n" + screen, 2, "out of range"},
      {screen + "button = B send X at 10 400 2147483648 20", 3, "out of range"},
      {screen + "button = B send X at 10 400 4000 20", 3, "outside the movie"},
      {"[movie]\nhome = start\n" + screen, 2, "home screen 'start' is not declared"},
      {"[movie]\nformat = 2\n" + screen, 2, "newer than this program reads"},
      {"[movie]\npanel = 300 100 400 255\n" + screen, 2, "at least 440 x 255"},
      {"[look]\naccent = blue\n" + screen, 2, "#RRGGBB"},
      {"[look]\nfont = Tahoma 500\n" + screen, 2, "out of range"},
      {screen + "[screen home]\nbutton = X send Y\n", 3, "declared twice"},
      {screen + "[screen empty]\n", 3, "has no buttons"},
      {screen + "button = Over send X at 20 60 100 30", 3, "overlaps button 'Help' (line 2)"},
      {screen + "button = Under send X at 300 120 100 30", 3, "under the panel frame"},
      {screen + "button = Bell send X\x07", 3, "control character"},
      {std::string("[screen home]\nbutton = Help send IDC_FS_help\0\0", 46), 0, "binary"},
      {screen + "text = " + std::string(5000, 'x'), 3, "longer than"},
  };
  for (const Damage& damage : cases) {
    SCOPED_TRACE(damage.text.substr(0, 120));
    const ui::MovieParseResult parsed = ui::ParseMovie(damage.text);
    EXPECT_FALSE(parsed.document);
    ASSERT_FALSE(parsed.errors.empty());
    EXPECT_EQ(parsed.errors.front().line, damage.line) << Errors(parsed.errors);
    EXPECT_NE(parsed.errors.front().message.find(damage.message), std::string::npos)
        << Errors(parsed.errors);

    const ui::MovieLoadResult loaded = ui::LoadMovieText(damage.text);
    EXPECT_TRUE(loaded.usedDefault);
    EXPECT_EQ(loaded.document.screens.size(), ui::DefaultMovie().screens.size());
  }

  // A file of nothing but noise gives a bounded list of errors, not one per line.
  std::string noise;
  for (int i = 0; i < 50000; ++i) noise += "noise\n";
  EXPECT_LE(ui::ParseMovie(noise).errors.size(), 20u);

  // Too many buttons would mean too many windows.
  std::string crowded = "[movie]\nsize = 4096 4096\nmenu = 0 44 240 4000\n[screen home]\n";
  for (int i = 0; i < 40; ++i) crowded += "button = B" + std::to_string(i) + " send X\n";
  EXPECT_NE(Errors(ui::ParseMovie(crowded).errors).find("more than 32 buttons"), std::string::npos);
}

TEST(MovieFormat, FilesAreReadFromDiskWithTheSameFallback) {
  TempDir dir;
  NativeFileSystem files;
  const auto missing = ui::LoadMovieFile(files, (dir.path() / "speed up.swf").string());
  EXPECT_TRUE(missing.usedDefault);
  ASSERT_EQ(missing.errors.size(), 1u);
  EXPECT_EQ(missing.errors[0].line, 0);

  const auto big = ui::LoadMovieFile(files, dir.Write("big.swf", std::string(300 * 1024, '#')).string());
  EXPECT_TRUE(big.usedDefault);
  EXPECT_NE(Errors(big.errors).find("larger than"), std::string::npos);

  const auto good = ui::LoadMovieFile(files, dir.Write("good.swf", kSmallMovie).string());
  EXPECT_FALSE(good.usedDefault) << Errors(good.errors);
  EXPECT_EQ(good.document.title, "Test \"movie\"");

  // Windows line ends and a byte-order mark are fine.
  std::string crlf = "\xEF\xBB\xBF";
  for (const char c : kSmallMovie) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_FALSE(ui::LoadMovieFile(files, dir.Write("crlf.swf", crlf).string()).usedDefault);
}

// Walks every screen the user can reach from home and presses every button on it, each time in
// a fresh player that was led there by the same clicks a user would make.
std::set<std::string> CommandsReachableFromHome(const ui::MovieDocument& doc) {
  std::set<std::string> commands;
  std::map<std::string, std::vector<std::string>> pathTo = {{doc.home, {}}};
  std::vector<std::string> queue = {doc.home};
  for (std::size_t next = 0; next < queue.size(); ++next) {
    const std::vector<std::string> path = pathTo[queue[next]];
    const std::size_t buttons =
        doc.FindScreen(queue[next])->buttons.size() + doc.titleBarButtons.size();
    for (std::size_t b = 0; b < buttons; ++b) {
      Recorder recorder{ui::MovieDocument(doc)};
      for (const std::string& caption : path) recorder.Click(caption);
      EXPECT_EQ(recorder.player.CurrentScreen().id, queue[next]);
      recorder.sent.clear();
      const std::vector<int> shown = recorder.player.KeyboardOrder();
      const int item = shown[b];
      const std::string caption =
          recorder.player.Items()[static_cast<std::size_t>(item)].button->caption;
      recorder.player.Activate(item);
      commands.insert(recorder.sent.begin(), recorder.sent.end());
      const std::string reached = recorder.player.CurrentScreen().id;
      if (!pathTo.contains(reached)) {
        std::vector<std::string> longer = path;
        longer.push_back(caption);
        pathTo[reached] = longer;
        queue.push_back(reached);
      }
    }
  }
  EXPECT_EQ(queue.size(), doc.screens.size()) << "a screen no button leads to";
  Recorder drag{ui::MovieDocument(doc)};
  drag.player.MouseDown(doc.titleArea.x + 4, doc.titleArea.y + 4);
  commands.insert(drag.sent.begin(), drag.sent.end());
  return commands;
}

TEST(MovieMenu, TheShippedAndTheBuiltInMenuOfferEveryCommandAndNoOther) {
  const std::string shipped = ShippedMovieText();
#ifdef _WIN32
  if (shipped.empty()) GTEST_SKIP() << "the resources folder is out of reach of this build";
#endif
  ASSERT_FALSE(shipped.empty()) << ShippedMoviePath();
  const ui::MovieLoadResult loaded = ui::LoadMovieText(shipped);
  EXPECT_FALSE(loaded.usedDefault) << Errors(loaded.errors);
  EXPECT_EQ(CommandsReachableFromHome(loaded.document), kDispatcherCommands);

  const ui::MovieParseResult builtIn = ui::ParseMovie(ui::DefaultMovieText());
  ASSERT_TRUE(builtIn.document) << Errors(builtIn.errors);
  EXPECT_EQ(CommandsReachableFromHome(*builtIn.document), kDispatcherCommands);
}

TEST(MoviePlayer, ScreensSendTheirEnterAndLeaveCommandsAroundTheButtonsCommand) {
  Recorder r{ui::DefaultMovie()};
  r.Click("System settings");
  EXPECT_EQ(r.player.CurrentScreen().id, "system");
  r.Click("Restart Windows");  // asks first
  EXPECT_EQ(r.sent, (std::vector<std::string>{"IDC_FS_sysSettingClicked"}));
  r.Click("Cancel");
  r.Click("Back");
  r.sent.clear();

  r.Click("About");
  EXPECT_EQ(r.sent, (std::vector<std::string>{"IDC_FS_about"}));
  r.Click("Back");
  EXPECT_EQ(r.sent, (std::vector<std::string>{"IDC_FS_about", "IDC_FS_closeAbout", "IDC_FS_home"}));
  EXPECT_TRUE(r.player.AtHome());

  // A button that opens the screen already shown sends only its own command.
  r.sent.clear();
  r.Click("Main menu");
  EXPECT_EQ(r.sent, (std::vector<std::string>{"IDC_FS_main"}));

  // A button of another screen does nothing.
  const int wizard = [&] {
    for (int i = 0; i < static_cast<int>(r.player.Items().size()); ++i) {
      if (r.player.Items()[static_cast<std::size_t>(i)].button->command == "IDC_FS_wizardMode") {
        return i;
      }
    }
    return -1;
  }();
  r.sent.clear();
  r.player.Activate(wizard);
  r.player.Activate(-1);
  r.player.Activate(100000);
  EXPECT_TRUE(r.sent.empty());
}

TEST(MoviePlayer, RootHomeTrueReturnsHomeEveryTimeWithoutSendingCommands) {
  Recorder r{ui::DefaultMovie()};
  int changes = 0;
  r.player.SetScreenChangedHandler([&] { ++changes; });
  r.Click("About");
  r.sent.clear();
  r.player.SetVariable("_root.home", "false");
  r.player.SetVariable("_root.home", "TRUE");
  r.player.SetVariable("_root.Home", "true");
  EXPECT_EQ(r.player.CurrentScreen().id, "about");
  r.player.SetVariable("_root.home", "true");
  EXPECT_TRUE(r.player.AtHome());
  EXPECT_TRUE(r.sent.empty());
  EXPECT_EQ(changes, 2);

  // Again, though the variable already holds "true"; and from inside a command, as a panel
  // that finishes its work at once would.
  r.Click("Network tuning");
  r.player.SetVariable("_root.home", "true");
  EXPECT_TRUE(r.player.AtHome());
  r.player.SetCommandHandler([&](const std::string& command, const std::string&) {
    r.sent.push_back(command);
    if (command == "IDC_FS_wizardMode") r.player.SetVariable("_root.home", "true");
  });
  r.Click("Network tuning");
  r.Click("Wizard mode");
  EXPECT_TRUE(r.player.AtHome());

  EXPECT_EQ(r.player.VersionText(), "");
  r.player.SetVariable("_root.version", "1.0.0.4");
  EXPECT_EQ(r.player.VersionText(), "Version 1.0.0.4");
  EXPECT_EQ(r.player.Variable("_root.version"), "1.0.0.4");
}

TEST(MoviePlayer, MouseHitsShownButtonsPressesOnDownActsOnUpAndDragsOnTheTitle) {
  Recorder r{ui::DefaultMovie()};
  const ui::MovieDocument& doc = r.player.Document();
  const int help = r.Item("Help");
  const ui::Rect at = r.player.Items()[static_cast<std::size_t>(help)].button->bounds;
  const int cx = at.x + at.width / 2;
  const int cy = at.y + at.height / 2;
  EXPECT_EQ(r.player.HitTest(cx, cy), (MovieHit{MovieHitKind::kButton, help}));
  EXPECT_EQ(r.player.HitTest(at.x + at.width, cy).item, -1) << "right edge is outside";
  EXPECT_EQ(r.player.HitTest(doc.panelFrame.x + 5, doc.panelFrame.y + 5), MovieHit{});

  const int close = r.Item("Close");
  const ui::Rect tool = r.player.Items()[static_cast<std::size_t>(close)].button->bounds;
  EXPECT_EQ(r.player.HitTest(tool.x + 1, tool.y + 1).item, close) << "a tool wins over the title";
  EXPECT_EQ(r.player.HitTest(10, 10).kind, MovieHitKind::kTitleArea);

  r.player.MouseMove(cx, cy);
  EXPECT_EQ(r.player.Hovered(), help);
  r.player.MouseDown(cx, cy);
  EXPECT_EQ(r.player.Pressed(), help);
  r.player.MouseUp(cx, doc.height - 1);  // released elsewhere: no click
  EXPECT_EQ(r.player.Pressed(), -1);
  EXPECT_TRUE(r.sent.empty());
  r.player.MouseDown(cx, cy);
  r.player.MouseUp(cx, cy);
  r.player.MouseDown(10, 10);
  r.player.MouseUp(10, 10);
  EXPECT_EQ(r.sent, (std::vector<std::string>{"IDC_FS_help", "Drag"}));
  r.player.MouseLeave();
  EXPECT_EQ(r.player.Hovered(), -1);

  // After a change of screen the old screen's buttons are gone from under the mouse.
  r.Click("Network tuning");
  EXPECT_NE(r.player.HitTest(cx, cy).item, help);
}

TEST(MoviePlayer, KeyboardVisitsTheScreenThenTheTitleBarAndKeepsFocusAcrossScreens) {
  Recorder r{ui::ParseMovie(kSmallMovie).document.value()};
  std::vector<std::string> visited;
  for (int i = 0; i < 5; ++i) {
    const int item = r.player.FocusNext(false);
    visited.push_back(r.player.Items()[static_cast<std::size_t>(item)].button->caption);
  }
  EXPECT_EQ(visited, (std::vector<std::string>{"Network tuning", "Help", "Hide panel", "Close",
                                               "Network tuning"}));
  EXPECT_EQ(r.player.HintText(), "Tune it.");
  r.player.FocusNext(true);
  EXPECT_EQ(r.player.Focused(), r.Item("Close"));

  r.player.SetFocused(r.Item("Network tuning"));
  r.player.Activate(r.player.Focused());
  EXPECT_EQ(r.player.CurrentScreen().id, "network");
  EXPECT_EQ(r.player.Focused(), r.Item("Wizard")) << "focus moves to the new screen's first";
  EXPECT_EQ(r.player.KeyboardOrder().size(), 3u);
}

TEST(MoviePlayer, AHandlerThatDestroysThePlayerEndsTheClickSafely) {
  auto player = std::make_unique<MoviePlayer>(ui::DefaultMovie());
  std::vector<std::string> sent;
  player->SetCommandHandler([&](const std::string& command, const std::string&) {
    sent.push_back(command);
    if (command == "IDC_FS_closeAbout") player.reset();  // as ending the program would
  });
  const auto click = [&](const std::string& caption) {
    for (int i = 0; i < static_cast<int>(player->Items().size()); ++i) {
      if (player->IsShown(i) &&
          player->Items()[static_cast<std::size_t>(i)].button->caption == caption) {
        player->Activate(i);
        return;
      }
    }
  };
  click("About");
  click("Back");  // would send IDC_FS_home next
  EXPECT_FALSE(player);
  EXPECT_EQ(sent, (std::vector<std::string>{"IDC_FS_about", "IDC_FS_closeAbout"}));
}

}  // namespace
}  // namespace zephyr::testing
