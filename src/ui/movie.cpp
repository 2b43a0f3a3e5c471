// The movie document and loading it; the reader itself is in movie_parser.h and its files.
#include "ui/movie.h"

#include <utility>

#include "ui/movie_parser.h"

namespace zephyr::ui {

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

MovieParseResult ParseMovie(std::string_view text) { return movie_reader::Parser(text).Run(); }

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
