#include "ui/movie_player_win32.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace zephyr::ui {
namespace {

constexpr char kWindowClass[] = "ZephyrnetMoviePlayer";
// Automation contract: every window the program makes for a control carries its name here.
constexpr char kNameProperty[] = "Name";
constexpr int kFirstButtonId = 1000;
// Posted by the first paint when the buttons wait for it.
constexpr UINT kMakeButtonsMessage = WM_APP + 20;

// The BUTTON class's own procedure, the same for every button in the process; the movie's
// buttons pass everything they do not handle on to it.
WNDPROC originalButtonProc = nullptr;

COLORREF Ref(const MovieColor& c) { return RGB(c.red, c.green, c.blue); }

// `a` moved `percent` of the way towards `b`.
MovieColor Mix(const MovieColor& a, const MovieColor& b, int percent) {
  const auto blend = [percent](std::uint8_t x, std::uint8_t y) {
    return static_cast<std::uint8_t>((x * (100 - percent) + y * percent) / 100);
  };
  return {blend(a.red, b.red), blend(a.green, b.green), blend(a.blue, b.blue)};
}

constexpr MovieColor kWhite{0xFF, 0xFF, 0xFF};
constexpr MovieColor kBlack{0, 0, 0};

RECT ToRect(const Rect& r) { return {r.x, r.y, r.x + r.width, r.y + r.height}; }

// A solid fill that needs no brush object (and works back to Windows 95).
void Fill(HDC dc, const RECT& rect, const MovieColor& color) {
  SetBkColor(dc, Ref(color));
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

void Outline(HDC dc, const RECT& r, const MovieColor& color) {
  Fill(dc, {r.left, r.top, r.right, r.top + 1}, color);
  Fill(dc, {r.left, r.bottom - 1, r.right, r.bottom}, color);
  Fill(dc, {r.left, r.top, r.left + 1, r.bottom}, color);
  Fill(dc, {r.right - 1, r.top, r.right, r.bottom}, color);
}

// Selects a font for the scope of a drawing step.
class FontScope {
 public:
  FontScope(HDC dc, HFONT font) : dc_(dc), old_(SelectObject(dc, font)) {}
  FontScope(const FontScope&) = delete;
  FontScope& operator=(const FontScope&) = delete;
  ~FontScope() { SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A pen made, selected and deleted within one drawing step.
class PenScope {
 public:
  PenScope(HDC dc, const MovieColor& color, int width)
      : dc_(dc), pen_(CreatePen(PS_SOLID, width, Ref(color))), old_(SelectObject(dc, pen_)) {}
  PenScope(const PenScope&) = delete;
  PenScope& operator=(const PenScope&) = delete;
  ~PenScope() {
    SelectObject(dc_, old_);
    DeleteObject(pen_);
  }

 private:
  HDC dc_;
  HPEN pen_;
  HGDIOBJ old_;
};

// A memory bitmap the size of the target area; drawing goes there and is copied in one step,
// so nothing flickers.
class OffScreen {
 public:
  OffScreen(HDC target, int width, int height)
      : target_(target),
        width_(std::max(1, width)),
        height_(std::max(1, height)),
        dc_(CreateCompatibleDC(target)),
        bitmap_(CreateCompatibleBitmap(target, width_, height_)),
        old_(SelectObject(dc_, bitmap_)) {
    SetBkMode(dc_, TRANSPARENT);
  }
  OffScreen(const OffScreen&) = delete;
  OffScreen& operator=(const OffScreen&) = delete;
  ~OffScreen() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  void CopyTo(int x, int y) const { BitBlt(target_, x, y, width_, height_, dc_, 0, 0, SRCCOPY); }

 private:
  HDC target_;
  int width_;
  int height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

void PaintText(HDC dc, HFONT font, const MovieColor& color, const std::string& text, RECT rect,
               UINT format) {
  FontScope scope(dc, font);
  SetTextColor(dc, Ref(color));
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_NOPREFIX);
}

// The height of `text` broken into lines as wide as `rect`.
int WrappedHeight(HDC dc, HFONT font, const std::string& text, RECT rect) {
  FontScope scope(dc, font);
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
  return rect.bottom - rect.top;
}

SIZE TextSize(HDC dc, HFONT font, const std::string& text) {
  FontScope scope(dc, font);
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

void Lines(HDC dc, std::initializer_list<POINT> points) {
  Polyline(dc, points.begin(), static_cast<int>(points.size()));
}

// The glyphs are drawn, not stretched: each point is placed at the scale from the glyph's centre,
// and the strokes widen with it.
void DrawGlyph(HDC dc, MovieGlyph glyph, int cx, int cy, const MovieColor& color,
               const DpiScale& scale) {
  const auto at = [&](int dx, int dy) {
    return POINT{cx + scale.Length(dx), cy + scale.Length(dy)};
  };
  PenScope pen(dc, color,
               scale.Length(glyph == MovieGlyph::kClose || glyph == MovieGlyph::kBack ? 2 : 1));
  switch (glyph) {
    case MovieGlyph::kMinimize:
      Lines(dc, {at(-5, 4), at(6, 4)});
      Lines(dc, {at(-5, 5), at(6, 5)});
      break;
    case MovieGlyph::kClose:
      Lines(dc, {at(-4, -4), at(5, 5)});
      Lines(dc, {at(4, -4), at(-5, 5)});
      break;
    case MovieGlyph::kTray:
      Lines(dc, {at(0, -7), at(0, 2)});
      Lines(dc, {at(-3, -1), at(0, 2), at(4, -2)});
      Lines(dc, {at(-6, 0), at(-6, 5), at(6, 5), at(6, -1)});
      break;
    case MovieGlyph::kHome:
      Lines(dc, {at(-7, 0), at(0, -7), at(8, 1)});
      Lines(dc, {at(-5, -1), at(-5, 6), at(5, 6), at(5, -2)});
      Lines(dc, {at(-1, 6), at(-1, 2), at(1, 2), at(1, 6)});
      break;
    case MovieGlyph::kBack: Lines(dc, {at(2, -5), at(-3, 0), at(3, 6)}); break;
    case MovieGlyph::kNone: break;
  }
}

void DrawChevronRight(HDC dc, int cx, int cy, const MovieColor& color, const DpiScale& scale) {
  const auto at = [&](int dx, int dy) {
    return POINT{cx + scale.Length(dx), cy + scale.Length(dy)};
  };
  PenScope pen(dc, color, scale.Length(1));
  Lines(dc, {at(-2, -4), at(2, 0), at(-3, 5)});
  Lines(dc, {at(-1, -4), at(3, 0), at(-2, 5)});
}

HFONT MakeFont(const MovieFont& font, int points, bool bold, const DpiScale& scale) {
  return CreateFontA(-scale.PointsToPixels(points), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                     FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS, font.face.c_str());
}

using TrackMouseEventFn = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);

// Windows 95 has no TrackMouseEvent; there the hover ends when the mouse moves over the movie's
// background instead of when it leaves the button.
TrackMouseEventFn TrackMouseEventIfPresent() {
  static const auto function = reinterpret_cast<TrackMouseEventFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "TrackMouseEvent")));
  return function;
}

void SetName(HWND hwnd, ATOM atom) {
  SetPropA(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
}

}  // namespace

MoviePlayerWindow::~MoviePlayerWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool MoviePlayerWindow::Create(const MoviePlayerWindowArgs& args, MovieDocument movie,
                               MovieCommandHandler onCommand) {
  if (hwnd_ || !args.parent) return false;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  if (!GetClassInfoA(instance, kWindowClass, &windowClass)) {
    windowClass.lpfnWndProc = &MoviePlayerWindow::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass)) return false;
  }
  args_ = args;
  onCommand_ = std::move(onCommand);
  player_ = std::make_unique<MoviePlayer>(ScaledMovie(std::move(movie), args.scale));
  player_->SetCommandHandler([this](const std::string& command, const std::string& arguments) {
    // A copy: the handler may destroy this window and with it onCommand_.
    const MovieCommandHandler handler = onCommand_;
    if (handler) handler(command, arguments);
  });
  player_->SetScreenChangedHandler([this] { ShowCurrentScreen(); });
  player_->SetItemChangedHandler([this](int item) { RedrawItem(item); });

  const RECT& r = args.bounds;
  const HWND hwnd = CreateWindowExA(
      WS_EX_CONTROLPARENT, kWindowClass, player_->Document().title.c_str(),
      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, r.left, r.top, r.right - r.left,
      r.bottom - r.top, args.parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.controlId)),
      instance, this);
  if (!hwnd) {
    player_.reset();
    return false;
  }
  return true;
}

LRESULT CALLBACK MoviePlayerWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MoviePlayerWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self || !self->player_) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_CREATE: return self->OnCreate(hwnd);
    case WM_PAINT: return self->OnPaint();
    case WM_ERASEBKGND: return 1;  // WM_PAINT covers every pixel
    case WM_DRAWITEM: return self->OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND: return self->OnCommand(wParam);
    case WM_LBUTTONDOWN: return self->OnLButtonDown(lParam);
    case WM_LBUTTONUP:
      self->player_->MouseUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case kMakeButtonsMessage: self->MakeButtonsAfterPaint(); return 0;
    case WM_MOUSEMOVE:
      self->player_->MouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_SETFOCUS: return self->OnSetFocus();
    case WM_CONTEXTMENU: return 0;  // the menu has no context menu
    case WM_DESTROY: return self->OnDestroy();
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      self->buttons_.clear();
      return DefWindowProcA(hwnd, message, wParam, lParam);
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK MoviePlayerWindow::ButtonProc(HWND hwnd, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
  auto* self = reinterpret_cast<MoviePlayerWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  const int item = self ? self->ItemOf(hwnd) : -1;
  if (item < 0) return CallWindowProcA(originalButtonProc, hwnd, message, wParam, lParam);
  return self->OnButtonMessage(hwnd, item, message, wParam, lParam);
}

LRESULT MoviePlayerWindow::OnCreate(HWND hwnd) {
  hwnd_ = hwnd;
  nameAtom_ = GlobalAddAtomA(args_.name.c_str());
  SetName(hwnd_, nameAtom_);
  CreateFonts();
  const std::size_t count = player_->Items().size();
  buttons_.assign(count, nullptr);
  atoms_.assign(count, 0);
  buttonsPending_ = args_.buttonsAfterFirstPaint;
  if (!buttonsPending_) CreateShownButtons();
  return 0;
}

void MoviePlayerWindow::CreateFonts() {
  const DpiScale& dpi = args_.scale;
  const MovieLook& look = player_->Document().look;
  font_ = MakeFont(look.font, look.font.points, look.font.bold, dpi);
  smallFont_ = MakeFont(look.font, std::max(6, look.font.points - 1), false, dpi);
  headingFont_ = MakeFont(look.headingFont, look.headingFont.points, look.headingFont.bold, dpi);
  titleFont_ = MakeFont(look.titleFont, look.titleFont.points, look.titleFont.bold, dpi);
  markFont_ = MakeFont(look.titleFont, look.titleFont.points, true, dpi);
}

// One window per item, made the first time its screen is shown and kept from then on: changing
// screens only shows and hides them, so handles and automation names stay the same for the rest
// of the run, and start-up makes only the home screen's buttons. Window order is the tab order:
// the screens' buttons, then the title bar's.
void MoviePlayerWindow::CreateShownButtons(bool hidden) {
  const std::vector<MovieItem>& items = player_->Items();
  bool made = false;
  for (const bool titleBar : {false, true}) {
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
      const bool onTitleBar = items[static_cast<std::size_t>(i)].screen == MovieItem::kTitleBar;
      if (onTitleBar != titleBar || buttons_[static_cast<std::size_t>(i)] ||
          !player_->IsShown(i)) {
        continue;
      }
      made = CreateButton(i, !hidden) || made;
    }
  }
  if (!made) return;
  // A screen shown later made its buttons after the title bar's, which go back to the end.
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    const HWND button = buttons_[static_cast<std::size_t>(i)];
    if (button && items[static_cast<std::size_t>(i)].screen == MovieItem::kTitleBar) {
      SetWindowPos(button, HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
  }
}

bool MoviePlayerWindow::CreateButton(int i, bool visible) {
  const MovieButton& button = *player_->Items()[static_cast<std::size_t>(i)].button;
  const Rect& b = button.bounds;
  const DWORD style = WS_CHILD | WS_TABSTOP | BS_OWNERDRAW | BS_NOTIFY |
                      (visible && player_->IsShown(i) ? WS_VISIBLE : 0);
  const HWND hwnd = CreateWindowExA(
      0, "BUTTON", button.caption.c_str(), style, b.x, b.y, b.width, b.height, hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstButtonId + i)),
      GetModuleHandleA(nullptr), nullptr);
  if (!hwnd) return false;
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  atoms_[static_cast<std::size_t>(i)] = GlobalAddAtomA(button.AutomationName().c_str());
  SetName(hwnd, atoms_[static_cast<std::size_t>(i)]);
  SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  const auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MoviePlayerWindow::ButtonProc)));
  if (!originalButtonProc) originalButtonProc = previous;
  buttons_[static_cast<std::size_t>(i)] = hwnd;
  return true;
}

int MoviePlayerWindow::ItemOf(HWND button) const {
  const auto found = std::find(buttons_.begin(), buttons_.end(), button);
  return found == buttons_.end() ? -1 : static_cast<int>(found - buttons_.begin());
}

HWND MoviePlayerWindow::ButtonWindow(int item) const {
  if (item < 0 || item >= static_cast<int>(buttons_.size())) return nullptr;
  return buttons_[static_cast<std::size_t>(item)];
}

// The first paint has put every shown button's picture on screen. The buttons are made hidden
// and then shown without a redraw, so each keeps that picture instead of being erased and painted
// again; only one whose area the player still has to paint is painted.
void MoviePlayerWindow::MakeButtonsAfterPaint() {
  if (!buttonsPending_) return;
  buttonsPending_ = false;
  // No button is made while they wait: every one made now is new.
  const HRGN pending = CreateRectRgn(0, 0, 0, 0);
  const bool anyPending = pending && GetUpdateRgn(hwnd_, pending, FALSE) > NULLREGION;
  CreateShownButtons(true);
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (!buttons_[i]) continue;
    SetWindowPos(buttons_[i], nullptr, 0, 0, 0, 0,
                 SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                     SWP_NOREDRAW);
    const RECT area = ToRect(player_->Items()[i].button->bounds);
    if (anyPending && RectInRegion(pending, &area)) InvalidateRect(buttons_[i], nullptr, FALSE);
  }
  if (pending) DeleteObject(pending);
  // The window took the focus while it had no button to give it to.
  const HWND focus = GetFocus();
  if (focus && (focus == hwnd_ || IsChild(focus, hwnd_))) OnSetFocus();
}

void MoviePlayerWindow::ShowCurrentScreen() {
  if (!hwnd_) return;
  if (!buttonsPending_) CreateShownButtons();
  HDWP positions = BeginDeferWindowPos(static_cast<int>(buttons_.size()));
  for (int i = 0; i < static_cast<int>(buttons_.size()); ++i) {
    const HWND button = buttons_[static_cast<std::size_t>(i)];
    if (!button || !positions) continue;
    const UINT show = player_->IsShown(i) ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
    positions = DeferWindowPos(
        positions, button, nullptr, 0, 0, 0, 0,
        show | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
  }
  if (positions) EndDeferWindowPos(positions);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  // A keyboard user keeps the focus: the player moved it to the new screen's first button.
  const HWND focus = ButtonWindow(player_->Focused());
  if (focus && GetFocus() != focus) SetFocus(focus);
}

void MoviePlayerWindow::RedrawItem(int item) {
  if (const HWND button = ButtonWindow(item)) {
    InvalidateRect(button, nullptr, FALSE);
  } else if (player_->IsShown(item)) {
    const RECT area = ToRect(player_->Items()[static_cast<std::size_t>(item)].button->bounds);
    InvalidateRect(hwnd_, &area, FALSE);
  }
  const Rect& panel = player_->Document().panelFrame;
  const RECT hint{panel.x, panel.y + panel.height, panel.x + panel.width,
                  player_->Document().height};
  InvalidateRect(hwnd_, &hint, FALSE);
}

LRESULT MoviePlayerWindow::OnPaint() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(hwnd_, &paint);
  RECT client;
  GetClientRect(hwnd_, &client);
  {
    OffScreen buffer(dc, client.right, client.bottom);
    Paint(buffer.dc(), client);
    PaintItemsWithoutWindows(buffer.dc());
    buffer.CopyTo(0, 0);
  }
  EndPaint(hwnd_, &paint);
  if (buttonsPending_) PostMessageA(hwnd_, kMakeButtonsMessage, 0, 0);
  return 0;
}

// A shown button whose window is not made yet is drawn as its window will draw it.
void MoviePlayerWindow::PaintItemsWithoutWindows(HDC dc) {
  const std::vector<MovieItem>& items = player_->Items();
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    if (buttons_[static_cast<std::size_t>(i)] || !player_->IsShown(i)) continue;
    DrawItem(dc, ToRect(items[static_cast<std::size_t>(i)].button->bounds), i,
             player_->Pressed() == i, player_->Focused() == i);
  }
}

void MoviePlayerWindow::Paint(HDC dc, const RECT& client) {
  const MovieDocument& doc = player_->Document();
  const MovieLook& look = doc.look;
  Fill(dc, client, look.background);

  // Title bar: a mark, the title and the tagline, with an accent line beneath.
  const RECT title = ToRect(doc.titleArea);
  Fill(dc, title, look.titleBar);
  const int rule = Px(2);
  Fill(dc, {title.left, title.bottom - rule, title.right, title.bottom}, look.accent);
  const int middle = (title.top + title.bottom - rule) / 2;
  const RECT mark{title.left + Px(14), middle - Px(12), title.left + Px(38), middle + Px(12)};
  Fill(dc, mark, look.accent);
  PaintText(dc, markFont_, look.titleText, doc.title.substr(0, 1), mark,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  const SIZE titleSize = TextSize(dc, titleFont_, doc.title);
  const RECT titleText{mark.right + Px(10), title.top, mark.right + Px(10) + titleSize.cx,
                       title.bottom - rule};
  PaintText(dc, titleFont_, look.titleText, doc.title, titleText,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  const RECT tagline{titleText.right + Px(12), title.top + Px(3), title.right - Px(160),
                     title.bottom - rule};
  PaintText(dc, font_, look.taglineText, doc.tagline, tagline,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);

  // Menu column and the version at its foot.
  Fill(dc, ToRect(doc.menuArea), look.menu);
  PaintText(dc, smallFont_, Mix(look.menuText, look.menu, 40), player_->VersionText(),
            ToRect(doc.versionArea), DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);

  // The screen's heading above the panel frame; its text on a card inside the frame, which a
  // shown panel covers.
  const MovieScreen& screen = player_->CurrentScreen();
  const RECT panel = ToRect(doc.panelFrame);
  const RECT heading{panel.left, std::max<LONG>(0, panel.top - Px(44)), panel.right - Px(110),
                     panel.top - Px(10)};
  PaintText(dc, headingFont_, look.headingText,
            panelTitle_.empty() ? screen.heading : panelTitle_, heading,
            DT_LEFT | DT_BOTTOM | DT_SINGLELINE | DT_END_ELLIPSIS);
  Fill(dc, {panel.left, panel.top - Px(6), panel.left + Px(36), panel.top - Px(4)}, look.accent);
  if (!panelTitle_.empty()) {
    Fill(dc, panel, look.background);
    PaintHint(dc, panel);
    return;
  }
  Fill(dc, panel, look.cardBorder);
  Fill(dc, {panel.left + 1, panel.top + 1, panel.right - 1, panel.bottom - 1}, look.card);
  RECT text{panel.left + Px(22), panel.top + Px(20), panel.right - Px(22), panel.bottom - Px(16)};
  for (const std::string& paragraph : screen.paragraphs) {
    PaintText(dc, font_, look.text, paragraph, text, DT_WORDBREAK | DT_END_ELLIPSIS);
    text.top += WrappedHeight(dc, font_, paragraph, text) + Px(10);
    if (text.top >= text.bottom) break;
  }

  PaintHint(dc, panel);
}

// What the button under the mouse or in focus does, below the panel area.
void MoviePlayerWindow::PaintHint(HDC dc, const RECT& panel) {
  const MovieLook& look = player_->Document().look;
  const std::string hint = player_->HintText();
  if (hint.empty()) return;
  const RECT bar{panel.left, panel.bottom + Px(16), panel.left + Px(3), panel.bottom + Px(34)};
  Fill(dc, bar, look.accent);
  const RECT hintText{panel.left + Px(12), panel.bottom + Px(16), panel.right,
                      panel.bottom + Px(64)};
  PaintText(dc, font_, look.mutedText, hint, hintText, DT_LEFT | DT_WORDBREAK | DT_END_ELLIPSIS);
}

LRESULT MoviePlayerWindow::OnDrawItem(const DRAWITEMSTRUCT& draw) {
  const int item = ItemOf(draw.hwndItem);
  if (item < 0) return FALSE;
  const RECT& r = draw.rcItem;
  OffScreen buffer(draw.hDC, r.right - r.left, r.bottom - r.top);
  DrawItem(buffer.dc(), {0, 0, r.right - r.left, r.bottom - r.top}, item,
           (draw.itemState & ODS_SELECTED) != 0, (draw.itemState & ODS_FOCUS) != 0);
  buffer.CopyTo(r.left, r.top);
  return TRUE;
}

void MoviePlayerWindow::DrawItem(HDC dc, const RECT& rect, int item, bool pressed, bool focused) {
  const MovieLook& look = player_->Document().look;
  const MovieButton& button = *player_->Items()[static_cast<std::size_t>(item)].button;
  const bool hover = player_->Hovered() == item;
  const int cy = (rect.top + rect.bottom) / 2;
  switch (button.style) {
    case MovieButtonStyle::kMenu: {
      const MovieColor back = pressed ? look.menuPressed : hover ? look.menuHover : look.menu;
      Fill(dc, rect, back);
      if (focused) Fill(dc, {rect.left, rect.top, rect.left + Px(3), rect.bottom}, look.accent);
      const Rect room = MovieCaptionRoom(
          button, {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top},
          args_.scale);
      if (button.glyph != MovieGlyph::kNone) {
        DrawGlyph(dc, button.glyph, rect.left + Px(20), cy, look.menuText, args_.scale);
      }
      PaintText(dc, font_, look.menuText, button.caption,
                {room.x, rect.top, room.x + room.width, rect.bottom},
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
      if (!button.target.empty() && button.command.empty()) {
        DrawChevronRight(dc, rect.right - Px(16), cy, Mix(look.menuText, back, 45), args_.scale);
      }
      break;
    }
    case MovieButtonStyle::kTool: {
      MovieColor back = look.titleBar;
      if (hover) {
        back =
            button.glyph == MovieGlyph::kClose ? look.closeHover : Mix(look.titleBar, kWhite, 15);
      }
      if (pressed) back = Mix(back, kBlack, 25);
      Fill(dc, rect, back);
      if (button.glyph == MovieGlyph::kNone) {
        PaintText(dc, smallFont_, look.titleText, button.caption, rect,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
      } else {
        DrawGlyph(dc, button.glyph, (rect.left + rect.right) / 2, cy, look.titleText, args_.scale);
      }
      if (focused) Outline(dc, rect, Mix(look.titleText, back, 30));
      break;
    }
    case MovieButtonStyle::kLink: {
      Fill(dc, rect, look.background);
      const MovieColor color = pressed ? Mix(look.linkText, kBlack, 30) : look.linkText;
      const SIZE size = TextSize(dc, font_, button.caption);
      const int right = rect.right - Px(8);
      const int left = std::max<int>(rect.left, right - size.cx);
      PaintText(dc, font_, color, button.caption, {left, rect.top, right, rect.bottom},
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
      if (hover || pressed) {
        Fill(dc, {left, cy + size.cy / 2, right, cy + size.cy / 2 + Px(1)}, color);
      }
      if (focused) Outline(dc, rect, Mix(look.linkText, look.background, 40));
      break;
    }
  }
}

LRESULT MoviePlayerWindow::OnCommand(WPARAM wParam) {
  const int item = static_cast<int>(LOWORD(wParam)) - kFirstButtonId;
  if (!ButtonWindow(item)) return 0;
  switch (HIWORD(wParam)) {
    case BN_CLICKED:
      player_->Activate(item);  // last: the command may destroy this window
      return 0;
    case BN_SETFOCUS: player_->SetFocused(item); return 0;
    case BN_KILLFOCUS:
      if (player_->Focused() == item) player_->SetFocused(-1);
      return 0;
    default: return 0;
  }
}

LRESULT MoviePlayerWindow::OnLButtonDown(LPARAM lParam) {
  player_->MouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  return 0;
}

LRESULT MoviePlayerWindow::OnSetFocus() {
  int item = player_->Focused();
  if (!ButtonWindow(item) || !player_->IsShown(item)) item = player_->FocusNext(false);
  if (const HWND button = ButtonWindow(item)) SetFocus(button);
  return 0;
}

LRESULT MoviePlayerWindow::OnButtonMessage(HWND button, int item, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: return 1;  // WM_DRAWITEM covers every pixel
    case WM_MOUSEMOVE:
      if (trackedItem_ != item) {
        if (const TrackMouseEventFn track = TrackMouseEventIfPresent()) {
          TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, button, 0};
          if (track(&leave)) trackedItem_ = item;
        }
      }
      player_->SetHovered(item);
      break;
    case WM_MOUSELEAVE:
      if (trackedItem_ == item) trackedItem_ = -1;
      if (player_->Hovered() == item) player_->SetHovered(-1);
      break;
    case WM_GETDLGCODE: {
      // Under a dialog manager, Enter must reach the focused button, not the dialog's default.
      LRESULT code = CallWindowProcA(originalButtonProc, button, message, wParam, lParam);
      const auto* pending = reinterpret_cast<const MSG*>(lParam);
      if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
        code |= DLGC_WANTMESSAGE;
      }
      return code;
    }
    case WM_KEYDOWN: {
      bool backwards = false;
      switch (wParam) {
        case VK_RETURN:
          player_->Activate(item);  // last: the command may destroy this window
          return 0;
        case VK_TAB: backwards = GetKeyState(VK_SHIFT) < 0; break;
        case VK_UP:
        case VK_LEFT: backwards = true; break;
        case VK_DOWN:
        case VK_RIGHT: break;
        default: return CallWindowProcA(originalButtonProc, button, message, wParam, lParam);
      }
      player_->SetFocused(item);
      if (const HWND next = ButtonWindow(player_->FocusNext(backwards))) SetFocus(next);
      return 0;
    }
    default: break;
  }
  return CallWindowProcA(originalButtonProc, button, message, wParam, lParam);
}

LRESULT MoviePlayerWindow::OnDestroy() {
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (!buttons_[i]) continue;
    SetWindowLongPtrA(buttons_[i], GWLP_USERDATA, 0);
    RemovePropA(buttons_[i], kNameProperty);
    if (atoms_[i]) GlobalDeleteAtom(atoms_[i]);
  }
  atoms_.clear();
  RemovePropA(hwnd_, kNameProperty);
  if (nameAtom_) GlobalDeleteAtom(nameAtom_);
  nameAtom_ = 0;
  for (HFONT* font : {&font_, &smallFont_, &headingFont_, &titleFont_, &markFont_}) {
    if (*font) DeleteObject(*font);
    *font = nullptr;
  }
  return 0;
}

void MoviePlayerWindow::SetVariable(const std::string& name, const std::string& value) {
  if (!player_) return;
  player_->SetVariable(name, value);
  if (hwnd_ && name == kMovieVersionVariable) {
    const RECT version = ToRect(player_->Document().versionArea);
    InvalidateRect(hwnd_, &version, FALSE);
  }
}

void MoviePlayerWindow::SetPanelTitle(const std::string& title) {
  if (title == panelTitle_) return;
  panelTitle_ = title;
  if (!hwnd_ || !player_) return;
  const RECT panel = ToRect(player_->Document().panelFrame);
  const RECT area{panel.left, std::max<LONG>(0, panel.top - Px(44)), panel.right, panel.bottom};
  InvalidateRect(hwnd_, &area, FALSE);
}

void MoviePlayerWindow::BringToFront() {
  if (!hwnd_) return;
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

RECT MoviePlayerWindow::PanelFrame() const {
  if (!player_) return {};
  const RECT panel = ToRect(player_->Document().panelFrame);
  return {args_.bounds.left + panel.left, args_.bounds.top + panel.top,
          args_.bounds.left + panel.right, args_.bounds.top + panel.bottom};
}

}  // namespace zephyr::ui
