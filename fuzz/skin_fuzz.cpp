// Feeds arbitrary bytes to the skin reader. Every input gives a skin whose issues stay within
// the cap and point at lines of the text, and whose styled elements hold only values a font or
// colour can take.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ui/skin.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zephyr::ui;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Skin skin = Skin::Parse(text);
  if (skin.Issues().size() > kMaxSkinIssues) __builtin_trap();
  const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  for (const SkinIssue& issue : skin.Issues()) {
    if (issue.line < 1 || issue.line > lines || issue.message.empty()) __builtin_trap();
  }
  for (std::string_view name : kSkinElements) {
    const SkinElement* element = skin.Find(name);
    if (!element) continue;
    if (element->Empty()) __builtin_trap();
    if (element->face && (element->face->empty() || element->face->size() > kMaxFaceLength)) {
      __builtin_trap();
    }
    if (element->points && (*element->points < kMinFontPoints || *element->points > kMaxFontPoints)) {
      __builtin_trap();
    }
  }
  return 0;
}
