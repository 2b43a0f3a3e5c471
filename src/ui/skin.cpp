#include "ui/skin.h"

#include <algorithm>
#include <cctype>

namespace zephyr::ui {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

std::string_view Trim(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f'; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The element's own spelling, or nothing when `name` is not an element.
std::optional<std::string_view> CanonicalElement(std::string_view name) {
  for (std::string_view element : kSkinElements) {
    if (EqualsIgnoringCase(element, name)) return element;
  }
  return std::nullopt;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<SkinColor> ParseColor(std::string_view value) {
  if (value.size() != 7 || value[0] != '#') return std::nullopt;
  int channels[3];
  for (int i = 0; i < 3; ++i) {
    const int high = HexDigit(value[1 + 2 * i]);
    const int low = HexDigit(value[2 + 2 * i]);
    if (high < 0 || low < 0) return std::nullopt;
    channels[i] = high * 16 + low;
  }
  return SkinColor{static_cast<std::uint8_t>(channels[0]), static_cast<std::uint8_t>(channels[1]),
                   static_cast<std::uint8_t>(channels[2])};
}

std::optional<int> ParsePoints(std::string_view value) {
  if (value.empty() || value.size() > 3) return std::nullopt;
  int points = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    points = points * 10 + (c - '0');
  }
  if (points < kMinFontPoints || points > kMaxFontPoints) return std::nullopt;
  return points;
}

std::optional<bool> ParseBool(std::string_view value) {
  for (std::string_view yes : {"yes", "true", "on", "1"}) {
    if (EqualsIgnoringCase(value, yes)) return true;
  }
  for (std::string_view no : {"no", "false", "off", "0"}) {
    if (EqualsIgnoringCase(value, no)) return false;
  }
  return std::nullopt;
}

// A face is printable text that fits a font's face field.
bool IsUsableFace(std::string_view value) {
  if (value.empty() || value.size() > kMaxFaceLength) return false;
  return std::none_of(value.begin(), value.end(),
                      [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

class Parser {
 public:
  Parser(std::map<std::string, SkinElement, std::less<>>& elements,
         std::vector<SkinIssue>& issues)
      : elements_(elements), issues_(issues) {}

  void Line(int number, std::string_view line) {
    line_ = number;
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') return;
    if (line.front() == '[') {
      Section(line);
      return;
    }
    // A value may be followed by a comment; "#" cannot start one, it begins every colour.
    line = Trim(line.substr(0, line.find(';')));
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      Issue("expected key = value, found " + Quoted(line));
      return;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    const std::string_view value = Trim(line.substr(equals + 1));
    if (key.empty()) {
      Issue("a value without a key");
      return;
    }
    if (!inSection_) {
      // Reported once per run of keys: after a bad section header every key would repeat it.
      if (!skippingKeys_) Issue("key " + Quoted(key) + " is outside any element section");
      skippingKeys_ = true;
      return;
    }
    Value(key, value);
  }

  // Keeps the elements for which something usable was read.
  void Finish() {
    for (auto& [name, element] : pending_) {
      if (!element.Empty()) elements_[name] = element;
    }
  }

 private:
  void Section(std::string_view line) {
    inSection_ = false;
    skippingKeys_ = false;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) {
      Issue("section header " + Quoted(line) + " has no closing ]");
      skippingKeys_ = true;
      return;
    }
    if (!Trim(line.substr(close + 1)).empty()) {
      Issue("unexpected text after section header " + Quoted(line.substr(0, close + 1)));
      skippingKeys_ = true;
      return;
    }
    const std::string_view name = Trim(line.substr(1, close - 1));
    const auto element = CanonicalElement(name);
    if (!element) {
      Issue("unknown element " + Quoted(name) + "; its keys are ignored");
      skippingKeys_ = true;
      return;
    }
    section_ = std::string(*element);
    inSection_ = true;
  }

  void Value(std::string_view key, std::string_view value) {
    SkinElement& element = pending_[section_];
    std::optional<SkinColor>* color = nullptr;
    if (EqualsIgnoringCase(key, "background")) color = &element.background;
    if (EqualsIgnoringCase(key, "text")) color = &element.text;
    if (EqualsIgnoringCase(key, "border")) color = &element.border;
    if (EqualsIgnoringCase(key, "hover")) color = &element.hover;
    if (EqualsIgnoringCase(key, "pressed")) color = &element.pressed;
    if (EqualsIgnoringCase(key, "accent")) color = &element.accent;
    if (color != nullptr) {
      if (auto parsed = ParseColor(value)) {
        *color = parsed;
      } else {
        Issue(Quoted(key) + " in [" + section_ + "]: " + Quoted(value) +
              " is not a colour written as #RRGGBB");
      }
      return;
    }
    if (EqualsIgnoringCase(key, "face")) {
      if (IsUsableFace(value)) {
        element.face = std::string(value);
      } else {
        Issue("\"face\" in [" + section_ + "]: " + Quoted(value) +
              " is not a face name of 1 to 31 printable characters");
      }
      return;
    }
    if (EqualsIgnoringCase(key, "size")) {
      if (auto parsed = ParsePoints(value)) {
        element.points = parsed;
      } else {
        Issue("\"size\" in [" + section_ + "]: " + Quoted(value) +
              " is not a whole number of points from 1 to 72");
      }
      return;
    }
    if (EqualsIgnoringCase(key, "bold")) {
      if (auto parsed = ParseBool(value)) {
        element.bold = parsed;
      } else {
        Issue("\"bold\" in [" + section_ + "]: " + Quoted(value) + " is not yes or no");
      }
      return;
    }
    Issue("unknown key " + Quoted(key) + " in [" + section_ + "]");
  }

  void Issue(std::string message) {
    if (issues_.size() < kMaxSkinIssues) issues_.push_back({line_, std::move(message)});
  }

  std::map<std::string, SkinElement, std::less<>>& elements_;
  std::vector<SkinIssue>& issues_;
  std::map<std::string, SkinElement, std::less<>> pending_;
  std::string section_;
  bool inSection_ = false;
  bool skippingKeys_ = false;
  int line_ = 0;
};

}  // namespace

bool SkinElement::Empty() const {
  return !background && !text && !border && !hover && !pressed && !accent && !HasFont();
}

Skin Skin::Parse(std::string_view text) {
  Skin skin;
  // A byte-order mark is what some editors put in front of a saved text file.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  Parser parser(skin.elements_, skin.issues_);
  int number = 0;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    parser.Line(++number, text.substr(start, end - start));
    start = end + 1;
  }
  parser.Finish();
  return skin;
}

Skin Skin::Load(FileSystemPort& files, const std::string& path) {
  std::string text;
  const FileStatus status = files.ReadWholeFile(path, kMaxSkinFileBytes, text);
  if (status == kFileOk) return Parse(text);
  Skin skin;
  skin.issues_.push_back(
      {0, status == kFileTooLarge ? "the skin file " + Quoted(path) + " is larger than " +
                                        std::to_string(kMaxSkinFileBytes / 1024) + " KiB"
                                  : "cannot read the skin file " + Quoted(path) + ": " +
                                        DescribeFileStatus(status)});
  return skin;
}

const SkinElement* Skin::Find(std::string_view element) const {
  const auto name = CanonicalElement(element);
  if (!name) return nullptr;
  const auto found = elements_.find(*name);
  return found == elements_.end() ? nullptr : &found->second;
}

std::optional<std::string_view> SkinElementFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::kCommandButton: return kSkinButton;
    case ControlKind::kLabel: return kSkinLabel;
    case ControlKind::kFrame: return kSkinFrame;
    case ControlKind::kCheckBox: return kSkinCheckBox;
    case ControlKind::kOptionButton: return kSkinRadioBox;
    default: return std::nullopt;
  }
}

}  // namespace zephyr::ui
