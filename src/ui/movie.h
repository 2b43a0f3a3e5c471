// The main-menu movie: what the file "speed up.swf" declares, and how it is read.
//
// The file keeps the name the program has always loaded, but holds our own text format
// (docs/movie-format.md): screens, buttons with their captions and the command strings they send,
// the draggable title area, where "_root.version" is shown, and the colours and fonts of the look.
// A missing or damaged file gives the built-in menu, which offers every command as well.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system_port.h"
#include "ui/form_model.h"

namespace zephyr::ui {

// The command the title area sends when the user presses the mouse on it.
inline constexpr std::string_view kMovieDragCommand = "Drag";
// The variables the program sets.
inline constexpr std::string_view kMovieVersionVariable = "_root.version";
inline constexpr std::string_view kMovieHomeVariable = "_root.home";
// The name the movie file has in the application folder.
inline constexpr std::string_view kMovieFileName = "speed up.swf";

struct MovieColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const MovieColor&, const MovieColor&) = default;
};

struct MovieFont {
  std::string face = "Tahoma";
  int points = 9;
  bool bold = false;
  friend bool operator==(const MovieFont&, const MovieFont&) = default;
};

// Colours and fonts. The defaults are the program's own look; a movie file changes any of them.
struct MovieLook {
  MovieColor background{0xF3, 0xF6, 0xFA};
  MovieColor titleBar{0x17, 0x2F, 0x4A};
  MovieColor titleText{0xFF, 0xFF, 0xFF};
  MovieColor taglineText{0x9D, 0xC3, 0xE6};
  MovieColor accent{0x2B, 0x8C, 0xE0};
  MovieColor menu{0x21, 0x2E, 0x3D};
  MovieColor menuText{0xE4, 0xEB, 0xF3};
  MovieColor menuHover{0x2E, 0x41, 0x57};
  MovieColor menuPressed{0x1E, 0x6C, 0xB5};
  MovieColor headingText{0x1B, 0x2A, 0x3A};
  MovieColor text{0x3A, 0x4B, 0x5C};
  MovieColor mutedText{0x7C, 0x8B, 0x9B};
  MovieColor card{0xFF, 0xFF, 0xFF};
  MovieColor cardBorder{0xD3, 0xDC, 0xE6};
  MovieColor linkText{0x1E, 0x6C, 0xB5};
  MovieColor closeHover{0xC8, 0x3F, 0x38};
  MovieFont font{"Tahoma", 9, false};
  MovieFont headingFont{"Tahoma", 12, true};
  MovieFont titleFont{"Tahoma", 14, true};
  friend bool operator==(const MovieLook&, const MovieLook&) = default;
};

// How a button is drawn: a menu entry in the menu column, a small tool on the title bar, or a
// link in the content area.
enum class MovieButtonStyle { kMenu, kTool, kLink };

// A picture drawn in place of (tools) or beside (menu entries) the caption. The caption is still
// the button's text, which screen readers announce.
enum class MovieGlyph { kNone, kMinimize, kTray, kClose, kHome, kBack };

struct MovieButton {
  std::string caption{};
  std::string command{};  // sent when pressed; empty: none
  std::string target{};   // the screen it opens; empty: none
  std::string hint{};     // shown below the panel frame while the button is hovered or focused
  Rect bounds{};          // in movie coordinates
  MovieButtonStyle style = MovieButtonStyle::kMenu;
  MovieGlyph glyph = MovieGlyph::kNone;
  int line = 0;  // where the file declares it

  // The automation name of the button's window: the command it sends, or "screen:<id>" for a
  // button that only opens a screen.
  std::string AutomationName() const;
};

struct MovieScreen {
  std::string id{};
  std::string heading{};
  std::vector<std::string> paragraphs{};
  std::string enterCommand{};  // sent when the user opens the screen; empty: none
  std::string leaveCommand{};  // sent when the user leaves it for another screen; empty: none
  std::vector<MovieButton> buttons{};
};

struct MovieDocument {
  std::string title = "Zephyrnet";
  std::string tagline;
  int width = 724;
  int height = 540;
  std::string home;  // the id of the home screen
  Rect titleArea;    // pressing the mouse here sends "Drag"
  Rect menuArea;     // the menu column; menu buttons without a position stack here
  Rect panelFrame;   // where the program shows its panels over the movie
  Rect versionArea;  // where "_root.version" is shown
  std::string versionPrefix = "Version ";
  MovieLook look;
  std::vector<MovieScreen> screens;
  std::vector<MovieButton> titleBarButtons;  // shown on every screen

  const MovieScreen* FindScreen(std::string_view id) const;
  int ScreenIndex(std::string_view id) const;  // -1 when there is none
};

struct MovieError {
  int line = 0;  // 0: the file as a whole
  std::string message{};
  std::string ToString() const;
};

struct MovieParseResult {
  std::optional<MovieDocument> document{};  // set only when there are no errors
  std::vector<MovieError> errors{};
};

// Reads a movie from its text. Reports every error it finds (up to a limit), each with its line.
MovieParseResult ParseMovie(std::string_view text);

// The built-in menu: every command, plain look. Also what a damaged file falls back to.
std::string_view DefaultMovieText();
MovieDocument DefaultMovie();

struct MovieLoadResult {
  MovieDocument document{};
  bool usedDefault = false;          // the file was missing or damaged
  std::vector<MovieError> errors{};  // why it was not used
};

// The movie in `text`, or the built-in menu with the reasons when the text is not a valid movie.
MovieLoadResult LoadMovieText(std::string_view text);
// The movie in the file, or the built-in menu when the file is missing, unreadable, too large or
// damaged.
MovieLoadResult LoadMovieFile(FileSystemPort& files, const std::string& path);

// The largest movie file that is read at all; anything bigger is not a menu.
inline constexpr std::size_t kMaxMovieFileBytes = 256 * 1024;

}  // namespace zephyr::ui
