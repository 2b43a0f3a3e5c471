// Feeds arbitrary bytes to the movie reader. Every input must give either a movie or the reasons
// it is not one, each on a line of the text, and loading it must fall back to the built-in menu
// exactly when it is not a movie.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/movie.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zephyr::ui;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const MovieParseResult parsed = ParseMovie(text);
  if (parsed.document.has_value() == !parsed.errors.empty()) __builtin_trap();
  const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  for (const MovieError& error : parsed.errors) {
    if (error.line < 0 || error.line > lines || error.message.empty()) __builtin_trap();
  }
  const MovieLoadResult loaded = LoadMovieText(text);
  if (loaded.usedDefault == parsed.document.has_value()) __builtin_trap();
  return 0;
}
