// Reading the movie format: the lines, the section headers and the tokens of a value.
#include "ui/movie_parser.h"

#include <algorithm>
#include <utility>

namespace zephyr::ui::movie_reader {

MovieParseResult Parser::Run() {
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

void Parser::Error(int line, std::string message) {
  if (errors_.size() < kMaxErrors) errors_.push_back({line, std::move(message)});
}

MovieParseResult Parser::Finish() {
  MovieParseResult result;
  if (errors_.empty()) {
    result.document = std::move(doc_);
  } else {
    result.errors = std::move(errors_);
  }
  return result;
}

void Parser::ParseLine(int line, std::string_view raw) {
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

void Parser::ParseSectionHeader(int line, std::string_view text) {
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
bool Parser::Once(int line, const std::string& key) {
  if (singleKeys_.insert(key).second) return true;
  Error(line, Quote(key) + " is given twice in this section");
  return false;
}

bool Parser::ValidId(int line, std::string_view id, std::string_view what) {
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

bool Parser::ValidCommand(int line, std::string_view command) {
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

std::optional<std::vector<Token>> Parser::Tokenize(int line, std::string_view text) {
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

}  // namespace zephyr::ui::movie_reader
