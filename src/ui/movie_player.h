// The movie player's behaviour, without a window: which screen is shown, what each button does,
// the variables the program sets, hit-testing, and the hover, pressed and focus states that the
// window draws. The Win32 window (movie_player_win32.h) only mirrors this into child windows.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dpi_scale.h"
#include "ui/movie.h"

namespace zephyr::ui {

// The movie laid out for a screen of `scale`: every area and button by the scale's edges, so the
// menu column, the title bar and the buttons on them still meet exactly. Fonts keep their points.
MovieDocument ScaledMovie(MovieDocument movie, const DpiScale& scale);

// Where a button of `bounds` (in pixels) draws its caption: inside its padding, and to the right
// of its glyph on a menu entry. The caption is cut where it is wider than this.
Rect MovieCaptionRoom(const MovieButton& button, const Rect& bounds, const DpiScale& scale);

// The player's command event: the command string and its arguments (always empty here).
using MovieCommandHandler =
    std::function<void(const std::string& command, const std::string& args)>;

// One clickable item: a button of one screen, or of the title bar (shown on every screen).
struct MovieItem {
  static constexpr int kTitleBar = -1;
  int screen = kTitleBar;  // index into the document's screens
  const MovieButton* button = nullptr;
};

enum class MovieHitKind { kNothing, kButton, kTitleArea };

struct MovieHit {
  MovieHitKind kind = MovieHitKind::kNothing;
  int item = -1;
  friend bool operator==(const MovieHit&, const MovieHit&) = default;
};

class MoviePlayer {
 public:
  explicit MoviePlayer(MovieDocument document);
  MoviePlayer(const MoviePlayer&) = delete;
  MoviePlayer& operator=(const MoviePlayer&) = delete;
  ~MoviePlayer();

  void SetCommandHandler(MovieCommandHandler handler) { onCommand_ = std::move(handler); }
  // Told after the shown screen changed, before the commands of the change are sent.
  void SetScreenChangedHandler(std::function<void()> handler) {
    onScreenChanged_ = std::move(handler);
  }
  // Told when an item's hover, pressed or focus state changed.
  void SetItemChangedHandler(std::function<void(int item)> handler) {
    onItemChanged_ = std::move(handler);
  }

  const MovieDocument& Document() const { return document_; }
  // Every item of every screen, title bar first; an item's number is its index here.
  const std::vector<MovieItem>& Items() const { return items_; }
  const MovieScreen& CurrentScreen() const;
  bool AtHome() const { return current_ == home_; }
  bool IsShown(int item) const;
  // The shown items in the order Tab visits them: the screen's buttons, then the title bar's.
  std::vector<int> KeyboardOrder() const;

  // A movie variable. "_root.home" set to "true" returns to the home screen (every time it is
  // set, without sending the screens' commands: the program asked for it); "_root.version" is
  // shown in the version area.
  void SetVariable(const std::string& name, const std::string& value);
  std::string Variable(const std::string& name) const;
  // What the version area shows; empty until the program sets "_root.version".
  std::string VersionText() const;

  // What pressing a button does: leave the screen and open its target (sending the screens'
  // leave and enter commands), then send the button's command. Items not shown do nothing.
  void Activate(int item);

  // In movie coordinates. A shown button wins over the title area it sits on.
  MovieHit HitTest(int x, int y) const;
  void MouseMove(int x, int y);
  void MouseLeave();
  // On a button: presses it. On the title area: sends "Drag".
  void MouseDown(int x, int y);
  // Activates the pressed button if the mouse is still on it; releases it in any case.
  void MouseUp(int x, int y);

  int Hovered() const { return hovered_; }
  int Pressed() const { return pressed_; }
  int Focused() const { return focused_; }
  void SetHovered(int item);
  void SetFocused(int item);
  // Moves the focus to the next (or previous) item in keyboard order, wrapping around; from no
  // focus to the first (or last). Returns the focused item, -1 when nothing is shown.
  int FocusNext(bool backwards);
  // The hint of the hovered button, else of the focused one; empty when neither has one.
  std::string HintText() const;

 private:
  void Navigate(int screen);
  // Sends a command; false when the handler destroyed this player.
  bool Send(const std::string& command);
  void ChangeItem(int& slot, int item);

  MovieDocument document_;
  std::vector<MovieItem> items_;
  int home_ = 0;
  int current_ = 0;
  int hovered_ = -1;
  int pressed_ = -1;
  int focused_ = -1;
  std::map<std::string, std::string, std::less<>> variables_;
  MovieCommandHandler onCommand_;
  std::function<void()> onScreenChanged_;
  std::function<void(int)> onItemChanged_;
  // Cleared when the player is destroyed, so a handler that destroys it stops the work in hand.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace zephyr::ui
