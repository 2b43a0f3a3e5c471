// Settings as the panels store them in the registry: texts, read back the way the controls take
// them. Nothing here touches the registry; a text that does not convert reads as nothing (or as
// the control's unset state).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zephyr {

// A whole number in decimal, the whole text; nothing for an empty or partial one.
std::optional<long long> StoredWholeNumberOf(std::string_view stored);
// A Boolean: True or False in any letter case, or a whole number (non-zero is true).
std::optional<bool> StoredBooleanOf(std::string_view stored);
// A stored check-box value: "0", "1" or "2"; anything else, a value that is not a whole number
// among them, reads as unchecked.
int CheckBoxValueOf(const std::string& stored);

}  // namespace zephyr
