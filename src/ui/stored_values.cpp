#include "ui/stored_values.h"

#include <charconv>

#include "ui/controls.h"

namespace zephyr {

using ui::EqualNoCase;

std::optional<long long> StoredWholeNumberOf(std::string_view stored) {
  long long value = 0;
  const auto [end, error] = std::from_chars(stored.data(), stored.data() + stored.size(), value);
  if (stored.empty() || error != std::errc() || end != stored.data() + stored.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<bool> StoredBooleanOf(std::string_view stored) {
  if (EqualNoCase(stored, "true")) return true;
  if (EqualNoCase(stored, "false")) return false;
  if (const auto number = StoredWholeNumberOf(stored)) return *number != 0;
  return std::nullopt;
}

int CheckBoxValueOf(const std::string& stored) {
  const auto value = StoredWholeNumberOf(stored);
  if (!value || *value < ui::kUnchecked || *value > ui::kGrayed) return ui::kUnchecked;
  return static_cast<int>(*value);
}

}  // namespace zephyr
