// Reading the movie format: tokens, sections, keys, then the checks and the automatic layout that
// need the whole file.
#include "ui/movie.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <set>
#include <utility>

namespace zephyr::ui {
namespace {

constexpr int kFormatVersion = 1;

// Limits that keep a damaged or hostile file from asking for thousands of windows or megabytes
// of text. The program's own menu stays far below each of them.
constexpr int kMaxErrors = 20;
constexpr std::size_t kMaxLineLength = 2000;
constexpr int kMaxSurface = 4096;
constexpr int kMinSurface = 64;
constexpr std::size_t kMaxScreens = 64;
constexpr std::size_t kMaxButtonsPerScreen = 32;
constexpr std::size_t kMaxTitleBarButtons = 12;
constexpr std::size_t kMaxParagraphs = 12;
constexpr std::size_t kMaxIdLength = 32;
constexpr std::size_t kMaxCommandLength = 64;
constexpr std::size_t kMaxCaptionLength = 64;
constexpr std::size_t kMaxTextLength = 1000;
constexpr std::size_t kMaxFaceLength = 31;  // LOGFONT holds 32 characters with the NUL
constexpr int kMinPoints = 6;
constexpr int kMaxPoints = 48;

// The panels are 440 pixels wide and at most 255 high; a smaller frame would let them cover the
// movie's own buttons.
constexpr int kPanelMinWidth = 440;
constexpr int kPanelMinHeight = 255;

// Automatic layout.
constexpr int kMenuPadding = 12;
constexpr int kMenuButtonHeight = 34;
constexpr int kMenuGap = 4;
constexpr int kToolWidth = 32;
constexpr int kToolHeight = 26;
constexpr int kToolGap = 2;
constexpr int kToolMargin = 8;
constexpr int kLinkWidth = 96;
constexpr int kLinkHeight = 24;
constexpr int kLinkGap = 6;

struct Token {
  std::string text;
  bool quoted = false;
};

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool IsIdChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

int Right(const Rect& r) { return r.x + r.width; }
int Bottom(const Rect& r) { return r.y + r.height; }

bool Inside(const Rect& inner, const Rect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && Right(inner) <= Right(outer) &&
         Bottom(inner) <= Bottom(outer);
}

bool Overlap(const Rect& a, const Rect& b) {
  return a.x < Right(b) && b.x < Right(a) && a.y < Bottom(b) && b.y < Bottom(a);
}

std::string Quote(std::string_view text) { return "'" + std::string(text) + "'"; }

enum class Section { kNone, kMovie, kLook, kTitleBar, kScreen, kSkipped };

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  MovieParseResult Run() {
    if (text_.find('\0') != std::string_view::npos) {
      Error(0, "the file holds binary data; a movie is a text file");
      return Finish();
    }
    if (text_.starts_with("\xEF\xBB\xBF")) text_.remove_prefix(3);

    int number = 0;
    std::size_t start = 0;
    while (start <= text_.size() && errors_.size() < kMaxErrors) {
      const std::size_t end = std::min(text_.find('\n', start), text_.size());
      std::string_view line = text_.substr(start, end - start);
      if (line.ends_with('\r')) line.remove_suffix(1);
      ParseLine(++number, line);
      start = end + 1;
    }
    if (errors_.size() < kMaxErrors) Complete();
    return Finish();
  }

 private:
  void Error(int line, std::string message) {
    if (errors_.size() < kMaxErrors) errors_.push_back({line, std::move(message)});
  }

  MovieParseResult Finish() {
    MovieParseResult result;
    if (errors_.empty()) {
      result.document = std::move(doc_);
    } else {
      result.errors = std::move(errors_);
    }
    return result;
  }

  void ParseLine(int line, std::string_view raw) {
    if (raw.size() > kMaxLineLength) {
      Error(line, "the line is longer than " + std::to_string(kMaxLineLength) + " characters");
      return;
    }
    for (const char c : raw) {
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
        Error(line, "the line holds a control character");
        return;
      }
    }
    const std::string_view text = Trim(raw);
    if (text.empty() || text.front() == '#' || text.front() == ';') return;
    if (text.front() == '[') {
      ParseSectionHeader(line, text);
      return;
    }
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) {
      Error(line, "expected 'key = value' or a [section]");
      return;
    }
    const std::string key(Trim(text.substr(0, equals)));
    const std::string_view value = Trim(text.substr(equals + 1));
    if (key.empty()) {
      Error(line, "a value without a key");
      return;
    }
    switch (section_) {
      case Section::kNone: Error(line, "key " + Quote(key) + " before the first [section]"); break;
      case Section::kMovie: MovieKey(line, key, value); break;
      case Section::kLook: LookKey(line, key, value); break;
      case Section::kTitleBar: TitleBarKey(line, key, value); break;
      case Section::kScreen: ScreenKey(line, key, value); break;
      case Section::kSkipped: break;
    }
  }

  void ParseSectionHeader(int line, std::string_view text) {
    section_ = Section::kSkipped;
    singleKeys_.clear();
    if (!text.ends_with(']')) {
      Error(line, "a section header must end with ']'");
      return;
    }
    const std::string_view inner = Trim(text.substr(1, text.size() - 2));
    const auto space = inner.find_first_of(" \t");
    const std::string_view name = inner.substr(0, space);
    const std::string_view argument =
        space == std::string_view::npos ? std::string_view{} : Trim(inner.substr(space));
    if (name == "screen") {
      if (!ValidId(line, argument, "screen id")) return;
      if (doc_.ScreenIndex(argument) >= 0) {
        Error(line, "screen " + Quote(argument) + " is declared twice");
        return;
      }
      if (doc_.screens.size() >= kMaxScreens) {
        Error(line, "more than " + std::to_string(kMaxScreens) + " screens");
        return;
      }
      doc_.screens.push_back({.id = std::string(argument)});
      screenLines_.push_back(line);
      section_ = Section::kScreen;
      return;
    }
    if (!argument.empty()) {
      Error(line, "section [" + std::string(name) + "] takes no name");
      return;
    }
    Section found = Section::kSkipped;
    if (name == "movie") found = Section::kMovie;
    if (name == "look") found = Section::kLook;
    if (name == "titlebar") found = Section::kTitleBar;
    if (found == Section::kSkipped) {
      Error(line, "unknown section [" + std::string(inner) + "]");
      return;
    }
    if (!seenSections_.insert(std::string(name)).second) {
      Error(line, "section [" + std::string(name) + "] appears twice");
      return;
    }
    section_ = found;
  }

  // A key that may appear once per section.
  bool Once(int line, const std::string& key) {
    if (singleKeys_.insert(key).second) return true;
    Error(line, Quote(key) + " is given twice in this section");
    return false;
  }

  bool ValidId(int line, std::string_view id, std::string_view what) {
    if (id.empty()) {
      Error(line, "missing " + std::string(what));
      return false;
    }
    if (id.size() > kMaxIdLength || !std::all_of(id.begin(), id.end(), IsIdChar)) {
      Error(line,
            std::string(what) + " " + Quote(id) + " must be 1 to 32 letters, digits, '_' or '-'");
      return false;
    }
    return true;
  }

  bool ValidCommand(int line, std::string_view command) {
    const bool printable = std::all_of(command.begin(), command.end(), [](char c) {
      return static_cast<unsigned char>(c) > 0x20 && static_cast<unsigned char>(c) < 0x7F &&
             c != '"';
    });
    if (command.empty() || command.size() > kMaxCommandLength || !printable) {
      Error(line, "command " + Quote(command) +
                      " must be 1 to 64 printable characters without spaces or quotes");
      return false;
    }
    return true;
  }

  std::optional<std::vector<Token>> Tokenize(int line, std::string_view text) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
      if (text[i] == ' ' || text[i] == '\t') {
        ++i;
        continue;
      }
      Token token;
      if (text[i] == '"') {
        token.quoted = true;
        ++i;
        bool closed = false;
        while (i < text.size()) {
          const char c = text[i++];
          if (c == '"') {
            closed = true;
            break;
          }
          if (c == '\\' && i < text.size() && (text[i] == '"' || text[i] == '\\')) {
            token.text += text[i++];
          } else {
            token.text += c;
          }
        }
        if (!closed) {
          Error(line, "a quoted text is not closed");
          return std::nullopt;
        }
      } else {
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') {
          if (text[i] == '"') {
            Error(line, "a quote inside a word; put the whole text in quotes");
            return std::nullopt;
          }
          token.text += text[i++];
        }
      }
      tokens.push_back(std::move(token));
    }
    return tokens;
  }

  // Free text: either one quoted string or the rest of the line as written.
  std::optional<std::string> TextValue(int line, const std::string& key, std::string_view value,
                                       std::size_t limit, bool allowEmpty = false) {
    std::string text;
    if (value.starts_with('"')) {
      auto tokens = Tokenize(line, value);
      if (!tokens) return std::nullopt;
      if (tokens->size() != 1) {
        Error(line, Quote(key) + " takes one quoted text");
        return std::nullopt;
      }
      text = std::move(tokens->front().text);
    } else {
      text = std::string(value);
    }
    if (text.empty() && !allowEmpty) {
      Error(line, Quote(key) + " is empty");
      return std::nullopt;
    }
    if (text.size() > limit) {
      Error(line, Quote(key) + " is longer than " + std::to_string(limit) + " characters");
      return std::nullopt;
    }
    return text;
  }

  std::optional<int> Number(int line, const std::string& what, std::string_view token, int low,
                            int high) {
    long long number = 0;
    const auto* first = token.data();
    const auto* last = token.data() + token.size();
    const auto [end, status] = std::from_chars(first, last, number);
    if (token.empty() || status == std::errc::invalid_argument || end != last) {
      Error(line, what + " " + Quote(token) + " is not a whole number");
      return std::nullopt;
    }
    if (status == std::errc::result_out_of_range || number < low || number > high) {
      Error(line, what + " " + Quote(token) + " is out of range (" + std::to_string(low) + " to " +
                      std::to_string(high) + ")");
      return std::nullopt;
    }
    return static_cast<int>(number);
  }

  std::optional<Rect> RectFrom(int line, const std::string& key, const std::vector<Token>& tokens,
                               std::size_t first) {
    if (tokens.size() < first + 4) {
      Error(line, Quote(key) + " needs four numbers: left top width height");
      return std::nullopt;
    }
    const auto x = Number(line, key + " left", tokens[first].text, 0, kMaxSurface);
    const auto y = Number(line, key + " top", tokens[first + 1].text, 0, kMaxSurface);
    const auto w = Number(line, key + " width", tokens[first + 2].text, 1, kMaxSurface);
    const auto h = Number(line, key + " height", tokens[first + 3].text, 1, kMaxSurface);
    if (!x || !y || !w || !h) return std::nullopt;
    return Rect{*x, *y, *w, *h};
  }

  std::optional<Rect> RectValue(int line, const std::string& key, std::string_view value) {
    auto tokens = Tokenize(line, value);
    if (!tokens) return std::nullopt;
    if (tokens->size() != 4) {
      Error(line, Quote(key) + " needs four numbers: left top width height");
      return std::nullopt;
    }
    return RectFrom(line, key, *tokens, 0);
  }

  void MovieKey(int line, const std::string& key, std::string_view value) {
    static const std::set<std::string, std::less<>> known = {
        "format", "title",      "tagline", "version-prefix", "home",
        "size",   "title-area", "menu",    "panel",          "version"};
    if (!known.contains(key)) {
      Error(line, "unknown key " + Quote(key) + " in [movie]");
      return;
    }
    if (!Once(line, key)) return;
    keyLines_[key] = line;
    if (key == "format") {
      if (const auto version = Number(line, "format", value, 1, 1000)) {
        if (*version != kFormatVersion) {
          Error(line, "format " + std::to_string(*version) + " is newer than this program reads (" +
                          std::to_string(kFormatVersion) + ")");
        }
      }
    } else if (key == "title") {
      if (auto text = TextValue(line, key, value, kMaxCaptionLength)) doc_.title = *text;
    } else if (key == "tagline") {
      if (auto text = TextValue(line, key, value, kMaxCaptionLength, true)) doc_.tagline = *text;
    } else if (key == "version-prefix") {
      if (auto text = TextValue(line, key, value, kMaxCaptionLength, true)) {
        doc_.versionPrefix = *text;
      }
    } else if (key == "home") {
      if (ValidId(line, value, "home screen id")) doc_.home = std::string(value);
    } else if (key == "size") {
      auto tokens = Tokenize(line, value);
      if (!tokens) return;
      if (tokens->size() != 2) {
        Error(line, "'size' needs two numbers: width height");
        return;
      }
      const auto w = Number(line, "width", (*tokens)[0].text, kMinSurface, kMaxSurface);
      const auto h = Number(line, "height", (*tokens)[1].text, kMinSurface, kMaxSurface);
      if (w && h) {
        doc_.width = *w;
        doc_.height = *h;
      }
    } else if (key == "title-area" || key == "menu" || key == "panel" || key == "version") {
      const auto rect = RectValue(line, key, value);
      if (!rect) return;
      if (key == "title-area") titleArea_ = rect;
      if (key == "menu") menuArea_ = rect;
      if (key == "panel") panelFrame_ = rect;
      if (key == "version") versionArea_ = rect;
    }
  }

  std::optional<MovieColor> ColorValue(int line, const std::string& key, std::string_view value) {
    const auto hex = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    bool valid = value.size() == 7 && value[0] == '#';
    for (std::size_t i = 1; valid && i < 7; ++i) valid = hex(value[i]) >= 0;
    if (!valid) {
      Error(line, Quote(key) + " colour " + Quote(value) + " must be written #RRGGBB");
      return std::nullopt;
    }
    const auto byte = [&](std::size_t at) {
      return static_cast<std::uint8_t>(hex(value[at]) * 16 + hex(value[at + 1]));
    };
    return MovieColor{byte(1), byte(3), byte(5)};
  }

  std::optional<MovieFont> FontValue(int line, const std::string& key, std::string_view value) {
    auto tokens = Tokenize(line, value);
    if (!tokens) return std::nullopt;
    if (tokens->size() < 2 || tokens->size() > 3) {
      Error(line, Quote(key) + " needs a face and a size in points, then 'bold' if wanted");
      return std::nullopt;
    }
    MovieFont font;
    font.face = (*tokens)[0].text;
    if (font.face.empty() || font.face.size() > kMaxFaceLength) {
      Error(line, Quote(key) + " face must be 1 to 31 characters");
      return std::nullopt;
    }
    const auto points = Number(line, key + " size", (*tokens)[1].text, kMinPoints, kMaxPoints);
    if (!points) return std::nullopt;
    font.points = *points;
    if (tokens->size() == 3) {
      if ((*tokens)[2].text != "bold") {
        Error(line,
              Quote(key) + ": expected 'bold' after the size, not " + Quote((*tokens)[2].text));
        return std::nullopt;
      }
      font.bold = true;
    }
    return font;
  }

  void LookKey(int line, const std::string& key, std::string_view value) {
    MovieLook& look = doc_.look;
    const std::map<std::string, MovieColor*, std::less<>> colors = {
        {"background", &look.background},
        {"title-bar", &look.titleBar},
        {"title-text", &look.titleText},
        {"tagline-text", &look.taglineText},
        {"accent", &look.accent},
        {"menu", &look.menu},
        {"menu-text", &look.menuText},
        {"menu-hover", &look.menuHover},
        {"menu-pressed", &look.menuPressed},
        {"heading-text", &look.headingText},
        {"text", &look.text},
        {"muted-text", &look.mutedText},
        {"card", &look.card},
        {"card-border", &look.cardBorder},
        {"link-text", &look.linkText},
        {"close-hover", &look.closeHover},
    };
    const std::map<std::string, MovieFont*, std::less<>> fonts = {
        {"font", &look.font}, {"heading-font", &look.headingFont}, {"title-font", &look.titleFont}};
    const auto color = colors.find(key);
    const auto font = fonts.find(key);
    if (color == colors.end() && font == fonts.end()) {
      Error(line, "unknown key " + Quote(key) + " in [look]");
      return;
    }
    if (!Once(line, key)) return;
    if (color != colors.end()) {
      if (const auto parsed = ColorValue(line, key, value)) *color->second = *parsed;
    } else if (auto parsed = FontValue(line, key, value)) {
      *font->second = std::move(*parsed);
    }
  }

  void TitleBarKey(int line, const std::string& key, std::string_view value) {
    if (key != "button") {
      Error(line, "unknown key " + Quote(key) + " in [titlebar]");
      return;
    }
    if (doc_.titleBarButtons.size() >= kMaxTitleBarButtons) {
      Error(line, "more than " + std::to_string(kMaxTitleBarButtons) + " title bar buttons");
      return;
    }
    if (auto button = ButtonValue(line, value, MovieButtonStyle::kTool)) {
      doc_.titleBarButtons.push_back(std::move(*button));
    }
  }

  void ScreenKey(int line, const std::string& key, std::string_view value) {
    MovieScreen& screen = doc_.screens.back();
    if (key == "button") {
      if (screen.buttons.size() >= kMaxButtonsPerScreen) {
        Error(line, "more than " + std::to_string(kMaxButtonsPerScreen) + " buttons on screen " +
                        Quote(screen.id));
        return;
      }
      if (auto button = ButtonValue(line, value, MovieButtonStyle::kMenu)) {
        screen.buttons.push_back(std::move(*button));
      }
    } else if (key == "text") {
      if (screen.paragraphs.size() >= kMaxParagraphs) {
        Error(line, "more than " + std::to_string(kMaxParagraphs) + " paragraphs on a screen");
        return;
      }
      if (auto text = TextValue(line, key, value, kMaxTextLength)) {
        screen.paragraphs.push_back(std::move(*text));
      }
    } else if (key == "heading") {
      if (!Once(line, key)) return;
      if (auto text = TextValue(line, key, value, kMaxCaptionLength)) screen.heading = *text;
    } else if (key == "enter" || key == "leave") {
      if (!Once(line, key) || !ValidCommand(line, value)) return;
      (key == "enter" ? screen.enterCommand : screen.leaveCommand) = std::string(value);
    } else {
      Error(line, "unknown key " + Quote(key) + " in [screen " + screen.id + "]");
    }
  }

  std::optional<MovieButton> ButtonValue(int line, std::string_view value, MovieButtonStyle style) {
    auto parsed = Tokenize(line, value);
    if (!parsed) return std::nullopt;
    const std::vector<Token>& tokens = *parsed;
    if (tokens.empty() || tokens[0].text.empty()) {
      Error(line, "a button needs a caption");
      return std::nullopt;
    }
    MovieButton button{.caption = tokens[0].text, .style = style, .line = line};
    if (button.caption.size() > kMaxCaptionLength) {
      Error(line,
            "the caption is longer than " + std::to_string(kMaxCaptionLength) + " characters");
      return std::nullopt;
    }
    std::set<std::string> seen;
    for (std::size_t i = 1; i < tokens.size();) {
      const std::string& name = tokens[i].text;
      if (tokens[i].quoted) {
        Error(line,
              "expected a button attribute (go, send, at, glyph, style, hint), not the text " +
                  Quote(name));
        return std::nullopt;
      }
      if (!seen.insert(name).second) {
        Error(line, "button attribute " + Quote(name) + " is given twice");
        return std::nullopt;
      }
      if (name == "at") {
        const auto rect = RectFrom(line, "at", tokens, i + 1);
        if (!rect) return std::nullopt;
        button.bounds = *rect;
        hasPosition_.insert(line);
        i += 5;
        continue;
      }
      if (i + 1 >= tokens.size()) {
        Error(line, "button attribute " + Quote(name) + " needs a value");
        return std::nullopt;
      }
      const std::string& argument = tokens[i + 1].text;
      if (name == "go") {
        if (!ValidId(line, argument, "screen id")) return std::nullopt;
        button.target = argument;
      } else if (name == "send") {
        if (!ValidCommand(line, argument)) return std::nullopt;
        button.command = argument;
      } else if (name == "hint") {
        if (argument.size() > kMaxTextLength) {
          Error(line, "the hint is longer than " + std::to_string(kMaxTextLength) + " characters");
          return std::nullopt;
        }
        button.hint = argument;
      } else if (name == "glyph") {
        static const std::map<std::string, MovieGlyph, std::less<>> glyphs = {
            {"none", MovieGlyph::kNone}, {"minimize", MovieGlyph::kMinimize},
            {"tray", MovieGlyph::kTray}, {"close", MovieGlyph::kClose},
            {"home", MovieGlyph::kHome}, {"back", MovieGlyph::kBack}};
        const auto found = glyphs.find(argument);
        if (found == glyphs.end()) {
          Error(line,
                "unknown glyph " + Quote(argument) + " (none, minimize, tray, close, home, back)");
          return std::nullopt;
        }
        button.glyph = found->second;
      } else if (name == "style") {
        static const std::map<std::string, MovieButtonStyle, std::less<>> styles = {
            {"menu", MovieButtonStyle::kMenu},
            {"tool", MovieButtonStyle::kTool},
            {"link", MovieButtonStyle::kLink}};
        const auto found = styles.find(argument);
        if (found == styles.end()) {
          Error(line, "unknown style " + Quote(argument) + " (menu, tool, link)");
          return std::nullopt;
        }
        button.style = found->second;
      } else {
        Error(line,
              "unknown button attribute " + Quote(name) + " (go, send, at, glyph, style, hint)");
        return std::nullopt;
      }
      i += 2;
    }
    if (button.command.empty() && button.target.empty()) {
      Error(line,
            "button " + Quote(button.caption) + " neither sends a command nor opens a screen");
      return std::nullopt;
    }
    return button;
  }

  // Checks and layout that need the whole file.
  void Complete() {
    const Rect surface{0, 0, doc_.width, doc_.height};
    doc_.titleArea = titleArea_.value_or(Rect{0, 0, doc_.width, 44});
    doc_.menuArea = menuArea_.value_or(Rect{0, 44, 240, doc_.height - 44});
    doc_.panelFrame = panelFrame_.value_or(Rect{doc_.width - 460, 96, 440, 255});
    doc_.versionArea = versionArea_.value_or(Rect{16, doc_.height - 28, 208, 18});
    const std::pair<const char*, const Rect*> areas[] = {{"title-area", &doc_.titleArea},
                                                         {"menu", &doc_.menuArea},
                                                         {"panel", &doc_.panelFrame},
                                                         {"version", &doc_.versionArea}};
    for (const auto& [key, rect] : areas) {
      if (!Inside(*rect, surface)) {
        Error(LineOf(key), Quote(key) + " does not fit the " + std::to_string(doc_.width) + " x " +
                               std::to_string(doc_.height) + " movie");
      }
    }
    if (doc_.panelFrame.width < kPanelMinWidth || doc_.panelFrame.height < kPanelMinHeight) {
      Error(LineOf("panel"), "the panel frame must be at least " + std::to_string(kPanelMinWidth) +
                                 " x " + std::to_string(kPanelMinHeight) + " pixels");
    }

    if (doc_.screens.empty()) {
      Error(0, "the movie has no [screen] sections");
      return;
    }
    if (doc_.home.empty()) {
      doc_.home = doc_.screens.front().id;
    } else if (doc_.ScreenIndex(doc_.home) < 0) {
      Error(LineOf("home"), "home screen " + Quote(doc_.home) + " is not declared");
    }

    PlaceTools(doc_.titleBarButtons);
    std::vector<const MovieButton*> titleBar;
    for (const MovieButton& button : doc_.titleBarButtons) {
      CheckTarget(button);
      CheckPlacement(button, titleBar);
      titleBar.push_back(&button);
    }
    for (std::size_t index = 0; index < doc_.screens.size(); ++index) {
      MovieScreen& screen = doc_.screens[index];
      if (screen.buttons.empty()) {
        Error(screenLines_[index], "screen " + Quote(screen.id) + " has no buttons, so no way out");
      }
      PlaceMenu(screen.buttons);
      PlaceTools(screen.buttons);
      PlaceLinks(screen.buttons);
      std::vector<const MovieButton*> shown = titleBar;
      for (const MovieButton& button : screen.buttons) {
        CheckTarget(button);
        CheckPlacement(button, shown);
        shown.push_back(&button);
      }
    }
  }

  void CheckTarget(const MovieButton& button) {
    if (!button.target.empty() && doc_.ScreenIndex(button.target) < 0) {
      Error(button.line, "button " + Quote(button.caption) + " opens screen " +
                             Quote(button.target) + ", which is not declared");
    }
  }

  int LineOf(const std::string& key) const {
    const auto found = keyLines_.find(key);
    return found == keyLines_.end() ? 0 : found->second;
  }

  bool Placed(const MovieButton& button) const { return hasPosition_.contains(button.line); }

  // Menu entries without a position stack down the menu column in the order they are declared.
  void PlaceMenu(std::vector<MovieButton>& buttons) {
    const Rect& menu = doc_.menuArea;
    int y = menu.y + kMenuPadding;
    for (MovieButton& button : buttons) {
      if (button.style != MovieButtonStyle::kMenu || Placed(button)) continue;
      button.bounds = {menu.x + kMenuPadding, y, std::max(1, menu.width - 2 * kMenuPadding),
                       kMenuButtonHeight};
      if (Bottom(button.bounds) > Bottom(menu)) {
        Error(button.line, "no room left in the menu column for button " + Quote(button.caption));
      }
      y += kMenuButtonHeight + kMenuGap;
    }
  }

  // Tools without a position line up at the right end of the title area, in declared order.
  void PlaceTools(std::vector<MovieButton>& buttons) {
    const Rect& title = doc_.titleArea;
    const auto count = std::count_if(buttons.begin(), buttons.end(), [&](const MovieButton& b) {
      return b.style == MovieButtonStyle::kTool && !Placed(b);
    });
    int x =
        Right(title) - kToolMargin - static_cast<int>(count) * (kToolWidth + kToolGap) + kToolGap;
    const int y = title.y + std::max(0, (title.height - kToolHeight) / 2);
    for (MovieButton& button : buttons) {
      if (button.style != MovieButtonStyle::kTool || Placed(button)) continue;
      button.bounds = {x, y, kToolWidth, kToolHeight};
      x += kToolWidth + kToolGap;
    }
  }

  // Links without a position line up right-aligned just above the panel frame.
  void PlaceLinks(std::vector<MovieButton>& buttons) {
    const Rect& panel = doc_.panelFrame;
    int right = Right(panel);
    for (MovieButton& button : buttons) {
      if (button.style != MovieButtonStyle::kLink || Placed(button)) continue;
      button.bounds = {right - kLinkWidth, panel.y - kLinkHeight - kLinkGap, kLinkWidth,
                       kLinkHeight};
      right -= kLinkWidth + kLinkGap;
    }
  }

  // A button must be on the surface, clear of the panel frame (a shown panel would hide it) and
  // clear of the buttons shown with it (a click must mean one button).
  void CheckPlacement(const MovieButton& button, const std::vector<const MovieButton*>& others) {
    if (!Inside(button.bounds, Rect{0, 0, doc_.width, doc_.height})) {
      Error(button.line, "button " + Quote(button.caption) + " lies outside the movie");
      return;
    }
    if (Overlap(button.bounds, doc_.panelFrame)) {
      Error(button.line, "button " + Quote(button.caption) +
                             " lies under the panel frame, where panels would hide it");
    }
    for (const MovieButton* other : others) {
      if (Overlap(button.bounds, other->bounds)) {
        Error(button.line, "button " + Quote(button.caption) + " overlaps button " +
                               Quote(other->caption) + " (line " + std::to_string(other->line) +
                               ")");
        return;
      }
    }
  }

  std::string_view text_;
  MovieDocument doc_;
  std::vector<MovieError> errors_;
  Section section_ = Section::kNone;
  std::set<std::string> seenSections_;
  std::set<std::string> singleKeys_;
  std::map<std::string, int> keyLines_;
  std::vector<int> screenLines_;
  std::set<int> hasPosition_;  // lines of buttons declared with 'at'
  std::optional<Rect> titleArea_;
  std::optional<Rect> menuArea_;
  std::optional<Rect> panelFrame_;
  std::optional<Rect> versionArea_;
};

}  // namespace

std::string MovieButton::AutomationName() const {
  return command.empty() ? "screen:" + target : command;
}

const MovieScreen* MovieDocument::FindScreen(std::string_view id) const {
  const int index = ScreenIndex(id);
  return index < 0 ? nullptr : &screens[static_cast<std::size_t>(index)];
}

int MovieDocument::ScreenIndex(std::string_view id) const {
  for (std::size_t i = 0; i < screens.size(); ++i) {
    if (screens[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

std::string MovieError::ToString() const {
  return line > 0 ? "line " + std::to_string(line) + ": " + message : message;
}

MovieParseResult ParseMovie(std::string_view text) { return Parser(text).Run(); }

MovieLoadResult LoadMovieText(std::string_view text) {
  MovieParseResult parsed = ParseMovie(text);
  if (parsed.document) return {.document = std::move(*parsed.document)};
  return {.document = DefaultMovie(), .usedDefault = true, .errors = std::move(parsed.errors)};
}

MovieLoadResult LoadMovieFile(FileSystemPort& files, const std::string& path) {
  std::string text;
  const FileStatus status = files.ReadWholeFile(path, kMaxMovieFileBytes, text);
  if (status == kFileOk) return LoadMovieText(text);
  const std::string reason =
      status == kFileTooLarge
          ? "the movie file is larger than " + std::to_string(kMaxMovieFileBytes) + " bytes"
          : "the movie file cannot be read: " + DescribeFileStatus(status);
  return {.document = DefaultMovie(),
          .usedDefault = true,
          .errors = {{.line = 0, .message = reason}}};
}

}  // namespace zephyr::ui
