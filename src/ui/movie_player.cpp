#include "ui/movie_player.h"

#include <algorithm>
#include <utility>

namespace zephyr::ui {
namespace {

bool Contains(const Rect& r, int x, int y) {
  return x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height;
}

}  // namespace

MovieDocument ScaledMovie(MovieDocument movie, const DpiScale& scale) {
  movie.width = scale.Edge(movie.width);
  movie.height = scale.Edge(movie.height);
  for (Rect* area : {&movie.titleArea, &movie.menuArea, &movie.panelFrame, &movie.versionArea}) {
    *area = scale.Scale(*area);
  }
  for (MovieButton& button : movie.titleBarButtons) button.bounds = scale.Scale(button.bounds);
  for (MovieScreen& screen : movie.screens) {
    for (MovieButton& button : screen.buttons) button.bounds = scale.Scale(button.bounds);
  }
  return movie;
}

Rect MovieCaptionRoom(const MovieButton& button, const Rect& bounds, const DpiScale& scale) {
  int left = bounds.x;
  int right = bounds.x + bounds.width;
  switch (button.style) {
    case MovieButtonStyle::kMenu:
      left += scale.Length(16) + (button.glyph != MovieGlyph::kNone ? scale.Length(18) : 0);
      right -= scale.Length(24);
      break;
    case MovieButtonStyle::kLink: right -= scale.Length(8); break;
    case MovieButtonStyle::kTool: break;
  }
  return {left, bounds.y, std::max(0, right - left), bounds.height};
}

MoviePlayer::MoviePlayer(MovieDocument document) : document_(std::move(document)) {
  // A document made in code may have no screens; the player always shows one.
  if (document_.screens.empty()) document_.screens.push_back({.id = document_.home});
  for (const MovieButton& button : document_.titleBarButtons) {
    items_.push_back({MovieItem::kTitleBar, &button});
  }
  for (std::size_t s = 0; s < document_.screens.size(); ++s) {
    for (const MovieButton& button : document_.screens[s].buttons) {
      items_.push_back({static_cast<int>(s), &button});
    }
  }
  home_ = std::max(0, document_.ScreenIndex(document_.home));
  current_ = home_;
}

MoviePlayer::~MoviePlayer() { *alive_ = false; }

const MovieScreen& MoviePlayer::CurrentScreen() const {
  return document_.screens[static_cast<std::size_t>(current_)];
}

bool MoviePlayer::IsShown(int item) const {
  if (item < 0 || item >= static_cast<int>(items_.size())) return false;
  const int screen = items_[static_cast<std::size_t>(item)].screen;
  return screen == MovieItem::kTitleBar || screen == current_;
}

std::vector<int> MoviePlayer::KeyboardOrder() const {
  std::vector<int> order;
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    if (items_[static_cast<std::size_t>(i)].screen == current_) order.push_back(i);
  }
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    if (items_[static_cast<std::size_t>(i)].screen == MovieItem::kTitleBar) order.push_back(i);
  }
  return order;
}

void MoviePlayer::SetVariable(const std::string& name, const std::string& value) {
  variables_[name] = value;
  if (name == kMovieHomeVariable && value == "true" && current_ != home_) Navigate(home_);
}

std::string MoviePlayer::Variable(const std::string& name) const {
  const auto found = variables_.find(name);
  return found == variables_.end() ? std::string() : found->second;
}

std::string MoviePlayer::VersionText() const {
  const auto found = variables_.find(kMovieVersionVariable);
  if (found == variables_.end()) return {};
  return document_.versionPrefix + found->second;
}

// Shows `screen` and settles the states of items that are no longer shown: a keyboard user keeps
// the focus, on the new screen's first button.
void MoviePlayer::Navigate(int screen) {
  current_ = screen;
  if (hovered_ >= 0 && !IsShown(hovered_)) hovered_ = -1;
  if (pressed_ >= 0 && !IsShown(pressed_)) pressed_ = -1;
  if (focused_ >= 0 && !IsShown(focused_)) {
    const std::vector<int> order = KeyboardOrder();
    focused_ = order.empty() ? -1 : order.front();
  }
  if (onScreenChanged_) onScreenChanged_();
}

bool MoviePlayer::Send(const std::string& command) {
  if (command.empty() || !onCommand_) return true;
  const std::shared_ptr<bool> alive = alive_;
  // A copy: the handler may replace itself.
  const MovieCommandHandler handler = onCommand_;
  handler(command, std::string());
  return *alive;
}

void MoviePlayer::Activate(int item) {
  if (!IsShown(item)) return;
  // Copies: the handlers may set variables or navigate while these are in use.
  const MovieButton& button = *items_[static_cast<std::size_t>(item)].button;
  const std::string command = button.command;
  const int target = button.target.empty() ? -1 : document_.ScreenIndex(button.target);
  if (target >= 0 && target != current_) {
    const std::string leave = CurrentScreen().leaveCommand;
    const std::string enter = document_.screens[static_cast<std::size_t>(target)].enterCommand;
    const std::shared_ptr<bool> alive = alive_;
    Navigate(target);
    if (!*alive || !Send(leave) || !Send(enter)) return;
  }
  Send(command);
}

MovieHit MoviePlayer::HitTest(int x, int y) const {
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    if (IsShown(i) && Contains(items_[static_cast<std::size_t>(i)].button->bounds, x, y)) {
      return {MovieHitKind::kButton, i};
    }
  }
  if (Contains(document_.titleArea, x, y)) return {MovieHitKind::kTitleArea, -1};
  return {};
}

void MoviePlayer::ChangeItem(int& slot, int item) {
  if (item >= 0 && !IsShown(item)) item = -1;
  if (slot == item) return;
  const int previous = std::exchange(slot, item);
  if (!onItemChanged_) return;
  if (previous >= 0) onItemChanged_(previous);
  if (item >= 0) onItemChanged_(item);
}

void MoviePlayer::SetHovered(int item) { ChangeItem(hovered_, item); }
void MoviePlayer::SetFocused(int item) { ChangeItem(focused_, item); }

void MoviePlayer::MouseMove(int x, int y) {
  const MovieHit hit = HitTest(x, y);
  SetHovered(hit.kind == MovieHitKind::kButton ? hit.item : -1);
}

void MoviePlayer::MouseLeave() { SetHovered(-1); }

void MoviePlayer::MouseDown(int x, int y) {
  const MovieHit hit = HitTest(x, y);
  if (hit.kind == MovieHitKind::kButton) {
    ChangeItem(pressed_, hit.item);
    SetFocused(hit.item);
  } else if (hit.kind == MovieHitKind::kTitleArea) {
    Send(std::string(kMovieDragCommand));
  }
}

void MoviePlayer::MouseUp(int x, int y) {
  const int pressed = pressed_;
  ChangeItem(pressed_, -1);
  const MovieHit hit = HitTest(x, y);
  if (pressed >= 0 && hit.kind == MovieHitKind::kButton && hit.item == pressed) Activate(pressed);
}

int MoviePlayer::FocusNext(bool backwards) {
  const std::vector<int> order = KeyboardOrder();
  if (order.empty()) {
    SetFocused(-1);
    return -1;
  }
  const auto at = std::find(order.begin(), order.end(), focused_);
  const auto count = static_cast<std::ptrdiff_t>(order.size());
  std::ptrdiff_t index = 0;
  if (at == order.end()) {
    index = backwards ? count - 1 : 0;
  } else {
    index = ((at - order.begin()) + (backwards ? count - 1 : 1)) % count;
  }
  SetFocused(order[static_cast<std::size_t>(index)]);
  return focused_;
}

std::string MoviePlayer::HintText() const {
  for (const int item : {hovered_, focused_}) {
    if (item >= 0 && !items_[static_cast<std::size_t>(item)].button->hint.empty()) {
      return items_[static_cast<std::size_t>(item)].button->hint;
    }
  }
  return {};
}

}  // namespace zephyr::ui
