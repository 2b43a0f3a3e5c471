// The skin engine on Windows: loads the skin and applies its elements to windows.
//
// Applying an element keeps the style with the window (the window property kSkinProperty and a
// subclass that frees it when the window goes). A child's parent is subclassed as well, so that
// its WM_CTLCOLORSTATIC, WM_CTLCOLORBTN and WM_DRAWITEM answer with the child's colours whatever
// the parent's own window procedure is. Push buttons with colours become owner-drawn; labels,
// check boxes, option buttons and group boxes take their colours from those answers; other
// windows (forms, frames) paint their background in WM_ERASEBKGND, and controls inside them that
// have no element of their own take the container's colours, so a panel looks of one piece.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "ui/skin.h"

namespace zephyr::ui {

inline constexpr char kSkinProperty[] = "ZephyrnetSkin";

class SkinWin32 {
 public:
  // Reads the skin file; whatever cannot be read keeps the standard look. Returns false when the
  // file was missing or had issues (Skin().Issues() says which).
  bool Load(FileSystemPort& files, const std::string& path);
  void Set(Skin skin) { skin_ = std::move(skin); }
  const Skin& skin() const { return skin_; }

  // Applies the element's colours and font to `window`, replacing an element applied before.
  // False, and the window left as it is, when it is not a window of this process or the skin
  // leaves the element at the standard look.
  bool Apply(HWND window, std::string_view element) const;

 private:
  Skin skin_;
};

// For a window procedure that answers WM_CTLCOLORSTATIC or WM_CTLCOLORBTN itself: sets the text
// and background colours of a skinned `child` (or of a plain child inside a skinned container)
// into `dc` and returns the brush to paint with; null when the skin has nothing for it.
HBRUSH SkinControlColor(HWND child, HDC dc);

}  // namespace zephyr::ui
