#include "ui/skin_win32.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "ui/dpi_win32.h"

namespace zephyr::ui {

namespace {

// What the skin keeps with one window: its own style if an element was applied to it, and the
// window procedure it replaced.
struct SkinnedWindow {
  WNDPROC previous = nullptr;
  bool styled = false;
  SkinElement element;
  HBRUSH background = nullptr;
  HFONT font = nullptr;              // ours, made from the element
  HFONT originalFont = nullptr;      // the window's font before the first element
  bool ownerDrawn = false;           // a push button the skin draws
  bool defaultButton = false;
  bool hot = false;                  // the mouse is over the button

  ~SkinnedWindow() {
    if (background != nullptr) DeleteObject(background);
    if (font != nullptr) DeleteObject(font);
  }
};

// The records of this process's skinned windows, by window. The window property says the same
// to anyone who asks the window; this copy answers the skin's own look-up, made for every message
// a skinned window gets, without asking the window system (under Wine a window property is a
// round trip to the server). Everything runs on the user-interface thread.
std::unordered_map<HWND, SkinnedWindow*>& Records() {
  static std::unordered_map<HWND, SkinnedWindow*> records;
  return records;
}

SkinnedWindow* RecordOf(HWND hwnd) {
  const auto found = Records().find(hwnd);
  return found == Records().end() ? nullptr : found->second;
}

bool HasClass(HWND hwnd, const char* name) {
  char className[32] = {};
  GetClassNameA(hwnd, className, sizeof className);
  return lstrcmpiA(className, name) == 0;
}

bool IsPushButton(HWND hwnd) {
  if (!HasClass(hwnd, "Button")) return false;
  const auto type = GetWindowLongPtrA(hwnd, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}

// Standard controls paint their own background; everything else is a container whose
// background the skin paints.
bool IsContainer(HWND hwnd) { return !HasClass(hwnd, "Button") && !HasClass(hwnd, "Static"); }

COLORREF Blend(COLORREF a, COLORREF b) {
  return RGB((GetRValue(a) + GetRValue(b)) / 2, (GetGValue(a) + GetGValue(b)) / 2,
             (GetBValue(a) + GetBValue(b)) / 2);
}

std::optional<COLORREF> ColorOf(const std::optional<SkinColor>& color) {
  if (!color) return std::nullopt;
  return static_cast<COLORREF>(color->ToColorRef());
}

void FillWith(HDC dc, const RECT& rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void FrameWith(HDC dc, const RECT& rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FrameRect(dc, &rect, brush);
  DeleteObject(brush);
}

// The element's font, built on the window's current one for what the element leaves out.
HFONT MakeFont(const SkinElement& element, HFONT base) {
  if (base == nullptr) base = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTA font{};
  if (GetObjectA(base, sizeof font, &font) == 0) return nullptr;
  if (element.face) {
    std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
    std::memcpy(font.lfFaceName, element.face->data(),
                std::min(element.face->size(), sizeof font.lfFaceName - 1));
  }
  if (element.points) {
    font.lfHeight = -ScreenScale().PointsToPixels(*element.points);
    font.lfWidth = 0;
  }
  if (element.bold) font.lfWeight = *element.bold ? FW_BOLD : FW_NORMAL;
  return CreateFontIndirectA(&font);
}

// The colours a WM_CTLCOLOR* answer for `child` uses: the child's own element first, then the
// container's (`host`). Null when neither is skinned.
HBRUSH ControlColor(const SkinnedWindow* child, const SkinnedWindow* host, HDC dc) {
  const SkinnedWindow* own = child != nullptr && child->styled ? child : nullptr;
  const SkinnedWindow* outer = host != nullptr && host->styled ? host : nullptr;
  if (own == nullptr && outer == nullptr) return nullptr;

  HBRUSH brush = nullptr;
  COLORREF back = GetSysColor(COLOR_BTNFACE);
  for (const SkinnedWindow* style : {own, outer}) {
    if (style != nullptr && style->background != nullptr) {
      brush = style->background;
      back = *ColorOf(style->element.background);
      break;
    }
  }
  if (brush == nullptr) brush = GetSysColorBrush(COLOR_BTNFACE);
  COLORREF text = GetSysColor(COLOR_BTNTEXT);
  for (const SkinnedWindow* style : {own, outer}) {
    if (style != nullptr && style->element.text) {
      text = *ColorOf(style->element.text);
      break;
    }
  }
  SetTextColor(dc, text);
  SetBkColor(dc, back);
  return brush;
}

void DrawButton(const DRAWITEMSTRUCT& item, const SkinnedWindow& button) {
  const SkinElement& style = button.element;
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;

  COLORREF face = ColorOf(style.background).value_or(GetSysColor(COLOR_BTNFACE));
  if (pressed && style.pressed) {
    face = *ColorOf(style.pressed);
  } else if (button.hot && !disabled && style.hover) {
    face = *ColorOf(style.hover);
  }
  COLORREF border = ColorOf(style.border).value_or(GetSysColor(COLOR_3DDKSHADOW));
  // A disabled button must look out of reach, not like a pressed-in coloured one: a pale,
  // greyed face with a quiet border.
  if (disabled) {
    face = Blend(Blend(face, GetSysColor(COLOR_BTNFACE)), RGB(0xE4, 0xE8, 0xED));
    border = Blend(border, face);
  }
  FillWith(dc, rect, face);
  FrameWith(dc, rect, border);
  if ((focused || button.defaultButton) && style.accent) {
    RECT inner = rect;
    InflateRect(&inner, -1, -1);
    FrameWith(dc, inner, *ColorOf(style.accent));
  }

  const int length = GetWindowTextLengthA(item.hwndItem);
  std::string caption(static_cast<std::size_t>(length) + 1, '\0');
  GetWindowTextA(item.hwndItem, caption.data(), length + 1);
  caption.resize(static_cast<std::size_t>(length));
  const COLORREF text = ColorOf(style.text).value_or(GetSysColor(COLOR_BTNTEXT));
  // The standard grey would vanish on a dark face; half-way to the face stays readable.
  SetTextColor(dc, disabled ? Blend(RGB(0x6B, 0x75, 0x80), face) : text);
  SetBkMode(dc, TRANSPARENT);
  const auto font = reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0));
  const HGDIOBJ oldFont = font != nullptr ? SelectObject(dc, font) : nullptr;
  RECT textRect = rect;
  const DpiScale scale = ScreenScale();
  if (pressed) OffsetRect(&textRect, scale.Length(1), scale.Length(1));
  DrawTextA(dc, caption.c_str(), length, &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (oldFont != nullptr) SelectObject(dc, oldFont);

  if (focused && (item.itemState & ODS_NOFOCUSRECT) == 0) {
    RECT focus = rect;
    InflateRect(&focus, -scale.Length(3), -scale.Length(3));
    DrawFocusRect(dc, &focus);
  }
}

// TrackMouseEvent is missing from Windows 95's user32, so it is looked up rather than imported.
void TrackMouseLeave(HWND hwnd) {
  using TrackProc = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
  static const auto track = [] {
    const FARPROC proc = GetProcAddress(GetModuleHandleA("user32.dll"), "TrackMouseEvent");
    return reinterpret_cast<TrackProc>(reinterpret_cast<void (*)()>(proc));
  }();
  if (track == nullptr) return;
  TRACKMOUSEEVENT request{};
  request.cbSize = sizeof request;
  request.dwFlags = TME_LEAVE;
  request.hwndTrack = hwnd;
  track(&request);
}

LRESULT CALLBACK SkinWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  SkinnedWindow* self = RecordOf(hwnd);
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  const WNDPROC previous = self->previous;
  switch (message) {
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      const auto child = reinterpret_cast<HWND>(lParam);
      if (HBRUSH brush = ControlColor(RecordOf(child), self, reinterpret_cast<HDC>(wParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    }
    case WM_CTLCOLORDLG:
      if (HBRUSH brush = ControlColor(self, nullptr, reinterpret_cast<HDC>(wParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item != nullptr && item->CtlType == ODT_BUTTON) {
        const SkinnedWindow* button = RecordOf(item->hwndItem);
        if (button != nullptr && button->ownerDrawn) {
          DrawButton(*item, *button);
          return TRUE;
        }
      }
      break;
    }
    case WM_ERASEBKGND:
      if (self->styled && self->background != nullptr && IsContainer(hwnd)) {
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, self->background);
        return 1;
      }
      break;
    case WM_MOUSEMOVE:
      if (self->ownerDrawn && !self->hot) {
        self->hot = true;
        TrackMouseLeave(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case WM_MOUSELEAVE:
      if (self->ownerDrawn) {
        self->hot = false;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case BM_SETSTYLE:
      // The dialog manager moves the default between buttons with BM_SETSTYLE, which would
      // turn an owner-drawn button back into a standard one.
      if (self->ownerDrawn) {
        self->defaultButton = (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      break;
    case WM_NCDESTROY:
      RemovePropA(hwnd, kSkinProperty);
      Records().erase(hwnd);
      delete self;
      return CallWindowProcA(previous, hwnd, message, wParam, lParam);
    default:
      break;
  }
  return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

// The window's record, subclassing it the first time. Null for a window of another process.
SkinnedWindow* Subclass(HWND hwnd) {
  if (SkinnedWindow* record = RecordOf(hwnd)) return record;
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  auto* record = new SkinnedWindow;
  if (!SetPropA(hwnd, kSkinProperty, record)) {
    delete record;
    return nullptr;
  }
  Records()[hwnd] = record;
  record->previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SkinWindowProc)));
  if (record->previous == nullptr) {
    RemovePropA(hwnd, kSkinProperty);
    Records().erase(hwnd);
    delete record;
    return nullptr;
  }
  return record;
}

void ApplyStyle(HWND hwnd, SkinnedWindow& record, const SkinElement& element) {
  if (!record.styled) {
    record.originalFont = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
  }
  HBRUSH oldBackground = std::exchange(record.background, nullptr);
  HFONT oldFont = std::exchange(record.font, nullptr);
  record.element = element;
  record.styled = true;
  if (element.background) record.background = CreateSolidBrush(*ColorOf(element.background));

  HFONT font = record.originalFont;
  if (element.HasFont()) {
    record.font = MakeFont(element, record.originalFont);
    if (record.font != nullptr) font = record.font;
  }
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  // Standard push buttons ignore the colours of WM_CTLCOLORBTN, so a coloured one is drawn here.
  const bool colored = element.background || element.text || element.border || element.hover ||
                       element.pressed || element.accent;
  if (IsPushButton(hwnd)) {
    const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
    const LONG_PTR others = style & ~static_cast<LONG_PTR>(BS_TYPEMASK);
    if (colored && !record.ownerDrawn) {
      record.defaultButton = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
      SetWindowLongPtrA(hwnd, GWL_STYLE, others | BS_OWNERDRAW);
      record.ownerDrawn = true;
    } else if (!colored && record.ownerDrawn) {
      SetWindowLongPtrA(hwnd, GWL_STYLE,
                        others | (record.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON));
      record.ownerDrawn = false;
    }
  }

  // The window has let go of the old font and brush only now.
  if (oldBackground != nullptr) DeleteObject(oldBackground);
  if (oldFont != nullptr) DeleteObject(oldFont);
  InvalidateRect(hwnd, nullptr, TRUE);
}

}  // namespace

bool SkinWin32::Load(FileSystemPort& files, const std::string& path) {
  skin_ = Skin::Load(files, path);
  return skin_.Issues().empty();
}

bool SkinWin32::Apply(HWND window, std::string_view element) const {
  if (window == nullptr || !IsWindow(window)) return false;
  const SkinElement* style = skin_.Find(element);
  if (style == nullptr) return false;
  SkinnedWindow* record = Subclass(window);
  if (record == nullptr) return false;
  // A child's colours are asked for by its parent.
  const HWND parent = GetParent(window);
  if (parent != nullptr && (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) != 0) {
    Subclass(parent);
  }
  ApplyStyle(window, *record, *style);
  return true;
}

HBRUSH SkinControlColor(HWND child, HDC dc) {
  return ControlColor(RecordOf(child), RecordOf(GetParent(child)), dc);
}

}  // namespace zephyr::ui
