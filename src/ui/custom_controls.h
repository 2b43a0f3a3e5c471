// The program's own controls as model state: the histogram graph and the main-menu movie. Their
// painting lives in the Win32 layer; everything a test can check lives here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/form_model.h"

namespace zephyr::ui {

struct HistogramArgs {
  std::string name{};
  Frame* container = nullptr;
  Rect bounds{};
  int tabIndex = -1;
  bool enabled = true;
  bool visible = true;
  std::string toolTipText{};
  int maxLines = 30;
  std::uint32_t barColor = 0x00FF00;  // a COLORREF
};

// A bar graph of percentages. Each value written to CurrentValue becomes the newest sample; the
// graph shows the newest MaxLines of them.
class Histogram : public Control {
 public:
  using Args = HistogramArgs;
  // Samples kept for scrolling back when MaxLines grows, and the most MaxLines may be.
  static constexpr int kHistoryCapacity = 1000;

  Histogram(Form& form, Args args, ArrayIndex index = {});

  int MaxLines() const { return maxLines_; }
  // Kept between 1 and kHistoryCapacity.
  void SetMaxLines(int maxLines);
  std::uint32_t BarColor() const { return barColor_; }
  void SetBarColor(std::uint32_t color);

  // The last value written, exactly as written: the status panel shows it in its captions, and a
  // failed processor query (-1) is shown as such. 0 before the first sample.
  double CurrentValue() const { return currentValue_; }
  // Adds a sample. The bar keeps it between 0 and 100; a value that is not a number draws as 0.
  void SetCurrentValue(double value);

  // Forgets every sample: the graph starts afresh, empty, with CurrentValue 0.
  void ClearHistory();

  // Every kept sample, oldest first, each between 0 and 100.
  const std::deque<double>& History() const { return history_; }
  // The samples on screen: the newest MaxLines, oldest first.
  std::vector<double> VisibleSamples() const;

 private:
  int maxLines_;
  std::uint32_t barColor_;
  double currentValue_ = 0.0;
  std::deque<double> history_;
};

struct MovieArgs {
  std::string name{};
  Frame* container = nullptr;
  Rect bounds{};
  int tabIndex = -1;
  bool enabled = true;
  bool visible = true;
  std::string toolTipText{};
};

// The handle the program holds on the main-menu player: the movie it loaded, the variables it
// set, and the commands the player's buttons send back.
class Movie : public Control {
 public:
  using Args = MovieArgs;
  Movie(Form& form, Args args, ArrayIndex index = {});

  // Loads the movie file into a layer; the player shows layer 0.
  void LoadMovie(int layer, std::string path);
  // The file last loaded into `layer`; empty when none was.
  std::string MoviePath(int layer) const;

  // Every call reaches the player, also with the value the variable already holds: setting
  // "_root.home" to "true" twice returns the movie to its home screen twice.
  void SetVariable(std::string name, std::string value);
  std::string GetVariable(const std::string& name) const;
  // The variable set last, for the player to act on.
  const std::pair<std::string, std::string>& LastVariableSet() const { return lastSet_; }

  // The player's command event: the command string of a button and its arguments.
  Event<const std::string&, const std::string&> FSCommand;
  // A button of the movie was pressed (by the player, or by a test).
  bool SendCommand(const std::string& command, const std::string& args = "");

 private:
  std::map<int, std::string> layers_;
  std::map<std::string, std::string> variables_;
  std::pair<std::string, std::string> lastSet_;
};

}  // namespace zephyr::ui
