// The skin: colours and fonts per element, read from the skin file "RZephyrnetMask.skn".
//
// The file is INI-style text:
//
//   ; a comment (also "#" at the start of a line)
//   [Button]
//   background = #1F4E8C     ; colours are #RRGGBB
//   text       = #FFFFFF
//   face       = Tahoma
//   size       = 8           ; points
//   bold       = yes
//
// Sections name the elements "NoFrame", "controlForm", "Button", "Label", "Frame", "CheckBox" and
// "RadioBox". Keys are background, text, border, hover, pressed, accent (colours), face, size and
// bold (font). Section and key names are matched without regard to case; a face keeps its case.
// Whatever cannot be read (a missing file, an unknown section or key, a damaged value) is reported
// as an issue and leaves the standard look for exactly that part; the rest of the file still
// counts; only the first kMaxSkinIssues issues are kept. A key given twice keeps the last value
// that could be read.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system_port.h"
#include "ui/form_model.h"

namespace zephyr::ui {

inline constexpr char kSkinFileName[] = "RZephyrnetMask.skn";

inline constexpr std::string_view kSkinNoFrame = "NoFrame";
inline constexpr std::string_view kSkinControlForm = "controlForm";
inline constexpr std::string_view kSkinButton = "Button";
inline constexpr std::string_view kSkinLabel = "Label";
inline constexpr std::string_view kSkinFrame = "Frame";
inline constexpr std::string_view kSkinCheckBox = "CheckBox";
inline constexpr std::string_view kSkinRadioBox = "RadioBox";
inline constexpr std::array<std::string_view, 7> kSkinElements = {
    kSkinNoFrame, kSkinControlForm, kSkinButton,  kSkinLabel,
    kSkinFrame,   kSkinCheckBox,    kSkinRadioBox};

// A skin file larger than this is not a skin.
inline constexpr std::size_t kMaxSkinFileBytes = 256 * 1024;
// The most issues a skin keeps; the file is still read to its end. A damaged file of many lines
// would otherwise keep a message for each of them.
inline constexpr std::size_t kMaxSkinIssues = 20;
// The longest face name a font can take (LOGFONT holds 32 characters with the NUL).
inline constexpr std::size_t kMaxFaceLength = 31;
inline constexpr int kMinFontPoints = 1;
inline constexpr int kMaxFontPoints = 72;

struct SkinColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  // As a COLORREF: 0x00BBGGRR.
  std::uint32_t ToColorRef() const {
    return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(blue) << 16;
  }
  friend bool operator==(const SkinColor&, const SkinColor&) = default;
};

// What the skin sets for one element; an empty field keeps the standard look.
struct SkinElement {
  std::optional<SkinColor> background;
  std::optional<SkinColor> text;
  std::optional<SkinColor> border;
  std::optional<SkinColor> hover;
  std::optional<SkinColor> pressed;
  std::optional<SkinColor> accent;
  std::optional<std::string> face;
  std::optional<int> points;
  std::optional<bool> bold;

  bool HasFont() const { return face || points || bold; }
  bool Empty() const;
};

// Something the reader could not use; line 0 stands for the file as a whole.
struct SkinIssue {
  int line = 0;
  std::string message;
};

class Skin {
 public:
  // The standard look: no element is styled.
  Skin() = default;

  static Skin Parse(std::string_view text);
  // A file that is missing, unreadable, too large or not a regular file gives the standard look
  // with one issue.
  static Skin Load(FileSystemPort& files, const std::string& path);

  // The element's settings, or null when the skin leaves it at the standard look (nothing usable
  // was given for it, or the name is not an element). The name is matched without regard to
  // case.
  const SkinElement* Find(std::string_view element) const;
  const std::vector<SkinIssue>& Issues() const { return issues_; }

 private:
  std::map<std::string, SkinElement, std::less<>> elements_;  // by the element's own spelling
  std::vector<SkinIssue> issues_;
};

// The element applyAllControls applies to a control of this kind; nothing for the kinds that
// keep the standard look.
std::optional<std::string_view> SkinElementFor(ControlKind kind);

}  // namespace zephyr::ui
