// What the movie reader's files share: the format's limits, the automatic layout's measures,
// and the parser, whose steps live in movie_parser.cpp (lines, sections, tokens),
// movie_values.cpp (the keys and their values) and movie_layout.cpp (the checks and the layout
// that need the whole file). Only those files and movie.cpp include it.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "ui/movie.h"

namespace zephyr::ui::movie_reader {

inline constexpr int kFormatVersion = 1;

// Limits that keep a damaged or hostile file from asking for thousands of windows or megabytes
// of text. The program's own menu stays far below each of them.
inline constexpr int kMaxErrors = 20;
inline constexpr std::size_t kMaxLineLength = 2000;
inline constexpr int kMaxSurface = 4096;
inline constexpr int kMinSurface = 64;
inline constexpr std::size_t kMaxScreens = 64;
inline constexpr std::size_t kMaxButtonsPerScreen = 32;
inline constexpr std::size_t kMaxTitleBarButtons = 12;
inline constexpr std::size_t kMaxParagraphs = 12;
inline constexpr std::size_t kMaxIdLength = 32;
inline constexpr std::size_t kMaxCommandLength = 64;
inline constexpr std::size_t kMaxCaptionLength = 64;
inline constexpr std::size_t kMaxTextLength = 1000;
inline constexpr std::size_t kMaxFaceLength = 31;  // LOGFONT holds 32 characters with the NUL
inline constexpr int kMinPoints = 6;
inline constexpr int kMaxPoints = 48;

// The panels are 440 pixels wide and at most 255 high; a smaller frame would let them cover the
// movie's own buttons.
inline constexpr int kPanelMinWidth = 440;
inline constexpr int kPanelMinHeight = 255;

// Automatic layout.
inline constexpr int kMenuPadding = 12;
inline constexpr int kMenuButtonHeight = 34;
inline constexpr int kMenuGap = 4;
inline constexpr int kToolWidth = 32;
inline constexpr int kToolHeight = 26;
inline constexpr int kToolGap = 2;
inline constexpr int kToolMargin = 8;
inline constexpr int kLinkWidth = 96;
inline constexpr int kLinkHeight = 24;
inline constexpr int kLinkGap = 6;

struct Token {
  std::string text;
  bool quoted = false;
};

inline std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

inline bool IsIdChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

inline int Right(const Rect& r) { return r.x + r.width; }
inline int Bottom(const Rect& r) { return r.y + r.height; }

inline bool Inside(const Rect& inner, const Rect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && Right(inner) <= Right(outer) &&
         Bottom(inner) <= Bottom(outer);
}

inline bool Overlap(const Rect& a, const Rect& b) {
  return a.x < Right(b) && b.x < Right(a) && a.y < Bottom(b) && b.y < Bottom(a);
}

inline std::string Quote(std::string_view text) { return "'" + std::string(text) + "'"; }

enum class Section { kNone, kMovie, kLook, kTitleBar, kScreen, kSkipped };

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  MovieParseResult Run();

 private:
  void Error(int line, std::string message);
  MovieParseResult Finish();

  void ParseLine(int line, std::string_view raw);
  void ParseSectionHeader(int line, std::string_view text);
  bool Once(int line, const std::string& key);
  bool ValidId(int line, std::string_view id, std::string_view what);
  bool ValidCommand(int line, std::string_view command);
  std::optional<std::vector<Token>> Tokenize(int line, std::string_view text);
  std::optional<std::string> TextValue(int line, const std::string& key, std::string_view value,
                                       std::size_t limit, bool allowEmpty = false);
  std::optional<int> Number(int line, const std::string& what, std::string_view token, int low,
                            int high);
  std::optional<Rect> RectFrom(int line, const std::string& key, const std::vector<Token>& tokens,
                               std::size_t first);
  std::optional<Rect> RectValue(int line, const std::string& key, std::string_view value);
  void MovieKey(int line, const std::string& key, std::string_view value);
  std::optional<MovieColor> ColorValue(int line, const std::string& key, std::string_view value);
  std::optional<MovieFont> FontValue(int line, const std::string& key, std::string_view value);
  void LookKey(int line, const std::string& key, std::string_view value);
  void TitleBarKey(int line, const std::string& key, std::string_view value);
  void ScreenKey(int line, const std::string& key, std::string_view value);
  std::optional<MovieButton> ButtonValue(int line, std::string_view value, MovieButtonStyle style);
  void Complete();
  void CheckTarget(const MovieButton& button);
  int LineOf(const std::string& key) const;
  bool Placed(const MovieButton& button) const { return hasPosition_.contains(button.line); }
  void PlaceMenu(std::vector<MovieButton>& buttons);
  void PlaceTools(std::vector<MovieButton>& buttons);
  void PlaceLinks(std::vector<MovieButton>& buttons);
  void CheckPlacement(const MovieButton& button, const std::vector<const MovieButton*>& others);

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

}  // namespace zephyr::ui::movie_reader
