#include "ui/custom_controls.h"

#include <algorithm>
#include <cmath>

namespace zephyr::ui {

Histogram::Histogram(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kHistogram, CommonArgsOf(args), index),
      maxLines_(std::clamp(args.maxLines, 1, kHistoryCapacity)),
      barColor_(args.barColor) {}

void Histogram::SetMaxLines(int maxLines) {
  maxLines = std::clamp(maxLines, 1, kHistoryCapacity);
  if (maxLines == maxLines_) return;
  maxLines_ = maxLines;
  NotifyChanged(Property::kStyle);
}

void Histogram::SetBarColor(std::uint32_t color) {
  if (color == barColor_) return;
  barColor_ = color;
  NotifyChanged(Property::kStyle);
}

void Histogram::SetCurrentValue(double value) {
  currentValue_ = value;
  history_.push_back(std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 100.0));
  if (history_.size() > static_cast<std::size_t>(kHistoryCapacity)) history_.pop_front();
  NotifyChanged(Property::kValue);
}

void Histogram::ClearHistory() {
  currentValue_ = 0.0;
  history_.clear();
  NotifyChanged(Property::kValue);
}

std::vector<double> Histogram::VisibleSamples() const {
  const std::size_t shown = std::min(history_.size(), static_cast<std::size_t>(maxLines_));
  return std::vector<double>(history_.end() - static_cast<std::ptrdiff_t>(shown), history_.end());
}

Movie::Movie(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kMovie, CommonArgsOf(args), index) {}

void Movie::LoadMovie(int layer, std::string path) {
  layers_[layer] = std::move(path);
  NotifyChanged(Property::kSource);
}

std::string Movie::MoviePath(int layer) const {
  const auto found = layers_.find(layer);
  return found == layers_.end() ? std::string() : found->second;
}

void Movie::SetVariable(std::string name, std::string value) {
  variables_[name] = value;
  lastSet_ = {std::move(name), std::move(value)};
  NotifyChanged(Property::kVariables);
}

std::string Movie::GetVariable(const std::string& name) const {
  const auto found = variables_.find(name);
  return found == variables_.end() ? std::string() : found->second;
}

bool Movie::SendCommand(const std::string& command, const std::string& args) {
  if (!AcceptsInput()) return false;
  FSCommand.Raise(command, args);
  return true;
}

}  // namespace zephyr::ui
