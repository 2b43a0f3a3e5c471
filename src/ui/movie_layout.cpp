// Reading the movie format: what needs the whole file, the checks of places and targets, and the
// automatic layout of buttons declared without a position.
#include "ui/movie_parser.h"

#include <algorithm>
#include <utility>

namespace zephyr::ui::movie_reader {

// Checks and layout that need the whole file.
void Parser::Complete() {
  const Rect surface{0, 0, doc_.width, doc_.height};
  doc_.titleArea = titleArea_.value_or(Rect{0, 0, doc_.width, 44});
  doc_.menuArea = menuArea_.value_or(Rect{0, 44, 240, doc_.height - 44});
  doc_.panelFrame = panelFrame_.value_or(Rect{doc_.width - 460, 96, 440, 255});
  doc_.versionArea = versionArea_.value_or(Rect{16, doc_.height - 28, 208, 18});
  const std::pair<const char*, const Rect*> areas[] = {{"title-area", &doc_.titleArea},
                                                       {"menu", &doc_.menuArea},
                                                       {"panel", &doc_.panelFrame},
                                                       {"version", &doc_.versionArea}};
  for (const auto& [key, rect] : areas) {
    if (!Inside(*rect, surface)) {
      Error(LineOf(key), Quote(key) + " does not fit the " + std::to_string(doc_.width) + " x " +
                             std::to_string(doc_.height) + " movie");
    }
  }
  if (doc_.panelFrame.width < kPanelMinWidth || doc_.panelFrame.height < kPanelMinHeight) {
    Error(LineOf("panel"), "the panel frame must be at least " + std::to_string(kPanelMinWidth) +
                               " x " + std::to_string(kPanelMinHeight) + " pixels");
  }

  if (doc_.screens.empty()) {
    Error(0, "the movie has no [screen] sections");
    return;
  }
  if (doc_.home.empty()) {
    doc_.home = doc_.screens.front().id;
  } else if (doc_.ScreenIndex(doc_.home) < 0) {
    Error(LineOf("home"), "home screen " + Quote(doc_.home) + " is not declared");
  }

  PlaceTools(doc_.titleBarButtons);
  std::vector<const MovieButton*> titleBar;
  for (const MovieButton& button : doc_.titleBarButtons) {
    CheckTarget(button);
    CheckPlacement(button, titleBar);
    titleBar.push_back(&button);
  }
  for (std::size_t index = 0; index < doc_.screens.size(); ++index) {
    MovieScreen& screen = doc_.screens[index];
    if (screen.buttons.empty()) {
      Error(screenLines_[index], "screen " + Quote(screen.id) + " has no buttons, so no way out");
    }
    PlaceMenu(screen.buttons);
    PlaceTools(screen.buttons);
    PlaceLinks(screen.buttons);
    std::vector<const MovieButton*> shown = titleBar;
    for (const MovieButton& button : screen.buttons) {
      CheckTarget(button);
      CheckPlacement(button, shown);
      shown.push_back(&button);
    }
  }
}

void Parser::CheckTarget(const MovieButton& button) {
  if (!button.target.empty() && doc_.ScreenIndex(button.target) < 0) {
    Error(button.line, "button " + Quote(button.caption) + " opens screen " +
                           Quote(button.target) + ", which is not declared");
  }
}

int Parser::LineOf(const std::string& key) const {
  const auto found = keyLines_.find(key);
  return found == keyLines_.end() ? 0 : found->second;
}

// Menu entries without a position stack down the menu column in the order they are declared.
void Parser::PlaceMenu(std::vector<MovieButton>& buttons) {
  const Rect& menu = doc_.menuArea;
  int y = menu.y + kMenuPadding;
  for (MovieButton& button : buttons) {
    if (button.style != MovieButtonStyle::kMenu || Placed(button)) continue;
    button.bounds = {menu.x + kMenuPadding, y, std::max(1, menu.width - 2 * kMenuPadding),
                     kMenuButtonHeight};
    if (Bottom(button.bounds) > Bottom(menu)) {
      Error(button.line, "no room left in the menu column for button " + Quote(button.caption));
    }
    y += kMenuButtonHeight + kMenuGap;
  }
}

// Tools without a position line up at the right end of the title area, in declared order.
void Parser::PlaceTools(std::vector<MovieButton>& buttons) {
  const Rect& title = doc_.titleArea;
  const auto count = std::count_if(buttons.begin(), buttons.end(), [&](const MovieButton& b) {
    return b.style == MovieButtonStyle::kTool && !Placed(b);
  });
  int x =
      Right(title) - kToolMargin - static_cast<int>(count) * (kToolWidth + kToolGap) + kToolGap;
  const int y = title.y + std::max(0, (title.height - kToolHeight) / 2);
  for (MovieButton& button : buttons) {
    if (button.style != MovieButtonStyle::kTool || Placed(button)) continue;
    button.bounds = {x, y, kToolWidth, kToolHeight};
    x += kToolWidth + kToolGap;
  }
}

// Links without a position line up right-aligned just above the panel frame.
void Parser::PlaceLinks(std::vector<MovieButton>& buttons) {
  const Rect& panel = doc_.panelFrame;
  int right = Right(panel);
  for (MovieButton& button : buttons) {
    if (button.style != MovieButtonStyle::kLink || Placed(button)) continue;
    button.bounds = {right - kLinkWidth, panel.y - kLinkHeight - kLinkGap, kLinkWidth,
                     kLinkHeight};
    right -= kLinkWidth + kLinkGap;
  }
}

// A button must be on the surface, clear of the panel frame (a shown panel would hide it) and
// clear of the buttons shown with it (a click must mean one button).
void Parser::CheckPlacement(const MovieButton& button, const std::vector<const MovieButton*>& others) {
  if (!Inside(button.bounds, Rect{0, 0, doc_.width, doc_.height})) {
    Error(button.line, "button " + Quote(button.caption) + " lies outside the movie");
    return;
  }
  if (Overlap(button.bounds, doc_.panelFrame)) {
    Error(button.line, "button " + Quote(button.caption) +
                           " lies under the panel frame, where panels would hide it");
  }
  for (const MovieButton* other : others) {
    if (Overlap(button.bounds, other->bounds)) {
      Error(button.line, "button " + Quote(button.caption) + " overlaps button " +
                             Quote(other->caption) + " (line " + std::to_string(other->line) +
                             ")");
      return;
    }
  }
}

}  // namespace zephyr::ui::movie_reader
