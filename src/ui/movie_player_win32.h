// The main-menu player window: a child window that shows a movie on its parent and sends the
// command strings of its buttons to the program.
//
// The behaviour is MoviePlayer's (movie_player.h); this window paints the background, title,
// version, headings and texts off-screen, and makes every clickable item a real owner-drawn
// BUTTON child window, so the keyboard and screen readers reach it. Each button carries the
// window property "Name": a global atom with the command it sends, or "screen:<id>" for a button
// that only opens a screen.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/dpi_win32.h"
#include "ui/movie_player.h"

namespace zephyr::ui {

struct MoviePlayerWindowArgs {
  HWND parent = nullptr;
  RECT bounds{0, 0, 724, 540};  // in pixels, in the parent's client coordinates
  DpiScale scale = ScreenScale();  // the movie's layout, drawing and fonts are scaled by it
  std::string name = "flash";   // the player window's own automation name
  int controlId = 0;
  // The buttons' windows are made once the player has first been painted, so the menu's first
  // picture waits for no child window: until then the player paints the buttons itself, and
  // takes their clicks.
  bool buttonsAfterFirstPaint = false;
};

class MoviePlayerWindow {
 public:
  MoviePlayerWindow() = default;
  MoviePlayerWindow(const MoviePlayerWindow&) = delete;
  MoviePlayerWindow& operator=(const MoviePlayerWindow&) = delete;
  ~MoviePlayerWindow();

  // Creates the window, shows the movie's home screen and delivers every command of its buttons
  // to `onCommand`. The handler may set variables, and may destroy this window.
  bool Create(const MoviePlayerWindowArgs& args, MovieDocument movie,
              MovieCommandHandler onCommand);

  // "_root.version" is shown in the version area; "_root.home" = "true" returns home.
  void SetVariable(const std::string& name, const std::string& value);
  // Puts the movie above its siblings, so it covers the panel frame.
  void BringToFront();
  // While the program shows a panel above the panel area, the heading above the area names the
  // panel and the area is left plain, so a panel shorter than the area leaves no edge of the
  // screen's card below it. An empty title: no panel is shown, the screen's own heading and card
  // come back.
  void SetPanelTitle(const std::string& title);

  HWND Hwnd() const { return hwnd_; }
  // Where the program shows its panels, in pixels in the parent's client coordinates.
  RECT PanelFrame() const;
  // The player's state; null before Create.
  const MoviePlayer* Player() const { return player_.get(); }
  // The window of an item (MoviePlayer::Items); null when there is none.
  HWND ButtonWindow(int item) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  LRESULT OnCreate(HWND hwnd);
  LRESULT OnPaint();
  void PaintHint(HDC dc, const RECT& panel);
  LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
  LRESULT OnCommand(WPARAM wParam);
  LRESULT OnLButtonDown(LPARAM lParam);
  LRESULT OnSetFocus();
  LRESULT OnDestroy();
  LRESULT OnButtonMessage(HWND button, int item, UINT message, WPARAM wParam, LPARAM lParam);

  void CreateFonts();
  // Makes the shown items' missing windows; `hidden` leaves them hidden to be shown later.
  void CreateShownButtons(bool hidden = false);
  void MakeButtonsAfterPaint();
  void PaintItemsWithoutWindows(HDC dc);
  bool CreateButton(int item, bool visible);
  void ShowCurrentScreen();
  void RedrawItem(int item);
  void Paint(HDC dc, const RECT& client);
  void DrawItem(HDC dc, const RECT& rect, int item, bool pressed, bool focused);
  // A length of the movie's layout in pixels.
  int Px(int layout) const { return args_.scale.Length(layout); }
  int ItemOf(HWND button) const;

  HWND hwnd_ = nullptr;
  std::unique_ptr<MoviePlayer> player_;
  MovieCommandHandler onCommand_;
  std::string panelTitle_;  // the shown panel's caption; empty while the movie covers the area
  MoviePlayerWindowArgs args_;
  std::vector<HWND> buttons_;  // one per item, by item number
  std::vector<ATOM> atoms_;    // their automation names
  ATOM nameAtom_ = 0;
  HFONT font_ = nullptr;
  HFONT smallFont_ = nullptr;
  HFONT headingFont_ = nullptr;
  HFONT titleFont_ = nullptr;
  HFONT markFont_ = nullptr;
  int trackedItem_ = -1;  // the button asked to report when the mouse leaves it
  bool buttonsPending_ = false;  // made after the first paint, which has not happened yet
};

}  // namespace zephyr::ui
