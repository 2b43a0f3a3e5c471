// Reading the movie format: each section's keys and their values (texts, numbers, rectangles,
// colours, fonts, buttons).
#include "ui/movie_parser.h"

#include <charconv>
#include <utility>

namespace zephyr::ui::movie_reader {

// Free text: either one quoted string or the rest of the line as written.
std::optional<std::string> Parser::TextValue(int line, const std::string& key, std::string_view value,
                                     std::size_t limit, bool allowEmpty) {
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

std::optional<int> Parser::Number(int line, const std::string& what, std::string_view token, int low,
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

std::optional<Rect> Parser::RectFrom(int line, const std::string& key, const std::vector<Token>& tokens,
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

std::optional<Rect> Parser::RectValue(int line, const std::string& key, std::string_view value) {
  auto tokens = Tokenize(line, value);
  if (!tokens) return std::nullopt;
  if (tokens->size() != 4) {
    Error(line, Quote(key) + " needs four numbers: left top width height");
    return std::nullopt;
  }
  return RectFrom(line, key, *tokens, 0);
}

void Parser::MovieKey(int line, const std::string& key, std::string_view value) {
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

std::optional<MovieColor> Parser::ColorValue(int line, const std::string& key, std::string_view value) {
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

std::optional<MovieFont> Parser::FontValue(int line, const std::string& key, std::string_view value) {
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

void Parser::LookKey(int line, const std::string& key, std::string_view value) {
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

void Parser::TitleBarKey(int line, const std::string& key, std::string_view value) {
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

void Parser::ScreenKey(int line, const std::string& key, std::string_view value) {
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

std::optional<MovieButton> Parser::ButtonValue(int line, std::string_view value, MovieButtonStyle style) {
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

}  // namespace zephyr::ui::movie_reader
