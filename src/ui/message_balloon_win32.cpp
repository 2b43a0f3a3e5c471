#include "ui/message_balloon_win32.h"

#include <algorithm>
#include <string>
#include <utility>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/gdi_win32.h"

namespace zephyr::ui {

namespace {

constexpr char kBalloonClass[] = "ZephyrnetBalloon";
constexpr char kPartClass[] = "ZephyrnetBalloonPart";
constexpr char kNameProperty[] = "Name";

struct GdiDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <class Handle>
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<Handle>, GdiDeleter>;

struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A COLORREF (0x00BBGGRR) as a 32-bit DIB pixel (0x00RRGGBB), and back: the same swap.
std::uint32_t SwapRedBlue(std::uint32_t color) {
  return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// A 32-bit top-down DIB section and its pixels.
HBITMAP MakeDib(int width, int height, std::uint32_t** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* memory = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
  *bits = static_cast<std::uint32_t*>(memory);
  return bitmap;
}

// A strip resource as pixels in COLORREF order; empty when it cannot be read.
PixelImage LoadStrip(HINSTANCE instance, int resource) {
  PixelImage strip;
  auto bitmap = UniqueGdi<HBITMAP>(static_cast<HBITMAP>(
      LoadImageA(instance, MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0,
                 LR_CREATEDIBSECTION)));
  DIBSECTION dib{};
  if (!bitmap || GetObjectA(bitmap.get(), sizeof dib, &dib) != sizeof dib ||
      dib.dsBm.bmBits == nullptr || dib.dsBm.bmBitsPixel != 24) {
    return strip;
  }
  const int width = dib.dsBm.bmWidth;
  const int height = std::abs(dib.dsBm.bmHeight);
  const bool bottomUp = dib.dsBmih.biHeight > 0;
  strip.width = width;
  strip.height = height;
  strip.pixels.resize(static_cast<std::size_t>(width) * height);
  const auto* base = static_cast<const unsigned char*>(dib.dsBm.bmBits);
  for (int y = 0; y < height; ++y) {
    const unsigned char* row = base + static_cast<std::ptrdiff_t>(dib.dsBm.bmWidthBytes) *
                                          (bottomUp ? height - 1 - y : y);
    for (int x = 0; x < width; ++x) {
      const unsigned char* pixel = row + 3 * x;
      strip.at(x, y) = BalloonRgb(pixel[2], pixel[1], pixel[0]);
    }
  }
  return strip;
}

void SetName(HWND hwnd, const char* name) {
  const ATOM atom = GlobalAddAtomA(name);
  SetPropA(hwnd, kNameProperty, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(atom)));
}

void RemoveName(HWND hwnd) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(RemovePropA(hwnd, kNameProperty)));
  if (atom) GlobalDeleteAtom(atom);
}

HRGN RoundRectRegion(const RoundRectShape& shape) {
  return CreateRoundRectRgn(shape.left, shape.top, shape.right, shape.bottom, shape.ellipseWidth,
                            shape.ellipseHeight);
}

std::vector<POINT> PointsOf(const Triangle& triangle) {
  std::vector<POINT> points;
  for (const Point& point : triangle) points.push_back({point.x, point.y});
  return points;
}

}  // namespace

int ToPixels(int units, int dpi) { return MulDiv(units, dpi, kDesignDpi); }

const IconStrip& IconStripFor(int pixels) {
  const IconStrip* chosen = &kIconStrips[0];
  for (const IconStrip& strip : kIconStrips) {
    if (strip.cellSize <= pixels) chosen = &strip;
  }
  return *chosen;
}

Rect ToPixels(const Rect& units, int dpi) {
  const int left = ToPixels(units.x, dpi);
  const int top = ToPixels(units.y, dpi);
  return {left, top, ToPixels(units.x + units.width, dpi) - left,
          ToPixels(units.y + units.height, dpi) - top};
}

BalloonGeometry ToPixels(const BalloonGeometry& units, int dpi) {
  const auto shape = [dpi](RoundRectShape s) {
    return RoundRectShape{ToPixels(s.left, dpi),         ToPixels(s.top, dpi),
                          ToPixels(s.right, dpi),        ToPixels(s.bottom, dpi),
                          ToPixels(s.ellipseWidth, dpi), ToPixels(s.ellipseHeight, dpi)};
  };
  const auto triangle = [dpi](Triangle t) {
    for (Point& point : t) point = {ToPixels(point.x, dpi), ToPixels(point.y, dpi)};
    return t;
  };
  BalloonGeometry pixels;
  pixels.origin = {ToPixels(units.origin.x, dpi), ToPixels(units.origin.y, dpi)};
  pixels.width = ToPixels(units.width, dpi);
  pixels.height = ToPixels(units.height, dpi);
  pixels.bodyRegion = shape(units.bodyRegion);
  pixels.bodyFace = shape(units.bodyFace);
  pixels.shadowRegion = shape(units.shadowRegion);
  for (const ShadowStrip& strip : units.shadow) {
    pixels.shadow.push_back({ToPixels(strip.area, dpi), strip.factor});
  }
  if (units.tail) pixels.tail = TailShape{triangle(units.tail->outer), triangle(units.tail->inner)};
  return pixels;
}

BalloonWindowWin32::BalloonWindowWin32(MsgFrm& form, HINSTANCE instance)
    : form_(form), instance_(instance) {
  form_.AttachHost(this);
}

BalloonWindowWin32::~BalloonWindowWin32() {
  form_.AttachHost(nullptr);
  Destroy();
  if (titleFont_) DeleteObject(titleFont_);
  if (iconBitmap_) DeleteObject(iconBitmap_);
}

// The fonts and the icon strip, with the first balloon: most runs never show one, and none is
// shown before the main window is on screen.
void BalloonWindowWin32::LoadResources() {
  if (controlFont_) return;
  controlFont_.emplace(scale_);
  messageFont_ = controlFont_->get();
  LOGFONTA font{};
  if (GetObjectA(messageFont_, sizeof font, &font) == sizeof font) {
    font.lfWeight = FW_BOLD;
    titleFont_ = CreateFontIndirectA(&font);
  }
  const IconStrip& wanted = IconStripFor(ToPixels(kIconCellSize, dpi_));
  strip_ = LoadStrip(instance_, wanted.resource);
  stripCellSize_ = wanted.cellSize;
  // A program without the larger strips still has its icons, stretched.
  if (strip_.pixels.empty() && wanted.resource != kIconStrips[0].resource) {
    strip_ = LoadStrip(instance_, kIconStrips[0].resource);
    stripCellSize_ = kIconStrips[0].cellSize;
  }
}

// The icon's picture on the balloon's colour, drawn once and kept while the icon and the colour
// stay the same from one balloon to the next.
HBITMAP BalloonWindowWin32::IconBitmap(int cell) {
  const std::uint32_t back = form_.BackColor();
  if (iconBitmap_ && cell == iconCell_ && back == iconBack_) return iconBitmap_;
  if (iconBitmap_) DeleteObject(std::exchange(iconBitmap_, nullptr));
  const PixelImage picture = DrawIconCell(strip_, cell, back, stripCellSize_);
  std::uint32_t* bits = nullptr;
  iconBitmap_ = MakeDib(picture.width, picture.height, &bits);
  if (!iconBitmap_ || !bits) return iconBitmap_;
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) bits[i] = SwapRedBlue(picture.pixels[i]);
  GdiFlush();
  iconCell_ = cell;
  iconBack_ = back;
  iconSize_ = {picture.width, picture.height};
  return iconBitmap_;
}

bool BalloonWindowWin32::RegisterClasses() {
  WNDCLASSA existing{};
  if (GetClassInfoA(instance_, kBalloonClass, &existing)) return true;
  WNDCLASSA balloon{};
  balloon.lpfnWndProc = &BalloonWindowWin32::WindowProc;
  balloon.hInstance = instance_;
  balloon.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  balloon.lpszClassName = kBalloonClass;
  WNDCLASSA part = balloon;
  part.lpfnWndProc = &BalloonWindowWin32::PartProc;
  part.lpszClassName = kPartClass;
  return RegisterClassA(&balloon) != 0 && RegisterClassA(&part) != 0;
}

int BalloonWindowWin32::MessageHeight(const std::string& text, int width) {
  LoadResources();
  ScreenDc screen;
  if (!screen.get()) return kBalloonLineHeight;
  GdiSelection font(screen.get(), messageFont_);
  RECT area{0, 0, ToPixels(width, dpi_), 0};
  // An empty message still takes one line.
  const std::string measured = text.empty() ? std::string(" ") : text;
  DrawTextA(screen.get(), measured.c_str(), static_cast<int>(measured.size()), &area,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
  return MulDiv(area.bottom - area.top, kDesignDpi, dpi_);
}

void BalloonWindowWin32::ShowBalloon(MsgFrm& form) {
  // One balloon at a time: the earlier window goes before the screen behind the new one is read.
  Destroy();
  LoadResources();
  if (!RegisterClasses()) return;
  const BalloonGeometry geometry = ToPixels(form.Geometry(), dpi_);
  if (!Compose(geometry)) return;
  backBrush_ = CreateSolidBrush(form.BackColor());

  hwnd_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kBalloonClass, "", WS_POPUP,
                          geometry.origin.x, geometry.origin.y, geometry.width, geometry.height,
                          nullptr, nullptr, instance_, this);
  if (!hwnd_) {
    Destroy();
    return;
  }
  SetName(hwnd_, form.Name().c_str());
  // The frame and the icon are part of the picture; what the user reads and clicks has windows.
  const BalloonLayout& layout = form.Layout();
  CreatePart("STATIC", form.aTitle.Name().c_str(), InFrame(layout, layout.title),
             WS_VISIBLE | SS_LEFT | SS_NOPREFIX, titleFont_ ? titleFont_ : messageFont_,
             form.aTitle.Caption());
  CreatePart("STATIC", form.aMsg.Name().c_str(), InFrame(layout, layout.message),
             WS_VISIBLE | SS_LEFT | SS_NOPREFIX, messageFont_, form.aMsg.Caption());
  close_ = CreatePart(kPartClass, form.Command1.Name().c_str(), InFrame(layout, layout.close),
                      WS_VISIBLE, nullptr);
  SetWindowRgn(hwnd_, MakeRegion(geometry), TRUE);
  // Topmost, on screen, and the window the user works in keeps the focus.
  SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  // The picture holds what the parts show, and the window does not clip its children: one paint
  // of the window puts the whole balloon on screen. The parts paint themselves from then on.
  for (HWND part = GetWindow(hwnd_, GW_CHILD); part; part = GetWindow(part, GW_HWNDNEXT)) {
    ValidateRect(part, nullptr);
  }
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_NOCHILDREN);
}

void BalloonWindowWin32::CloseBalloon(MsgFrm&) { Destroy(); }

void BalloonWindowWin32::CloseButtonChanged(MsgFrm&) {
  if (close_) InvalidateRect(close_, nullptr, FALSE);
}

// A place in the frame, in pixels in the window: the frame's place and the control's each
// rounded as they are in the model's units, so nothing moves by a pixel at any scale.
Rect BalloonWindowWin32::InFrame(const BalloonLayout& layout, const Rect& units) const {
  const Rect frame = ToPixels(layout.frame, dpi_);
  const Rect place = ToPixels(units, dpi_);
  return {frame.x + place.x, frame.y + place.y, place.width, place.height};
}

HWND BalloonWindowWin32::CreatePart(const char* windowClass, const char* name, const Rect& bounds,
                                    DWORD style, HFONT font, const std::string& text) {
  HWND part = CreateWindowExA(0, windowClass, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | style,
                              bounds.x, bounds.y, bounds.width, bounds.height, hwnd_, nullptr,
                              instance_, this);
  if (!part) return nullptr;
  SetName(part, name);
  if (font) SendMessageA(part, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return part;
}

bool BalloonWindowWin32::Compose(const BalloonGeometry& geometry) {
  const int width = geometry.width;
  const int height = geometry.height;
  std::uint32_t* bits = nullptr;
  canvas_ = MakeDib(width, height, &bits);
  if (!canvas_ || !bits) return false;
  canvasSize_ = {width, height};
  MemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return false;
  GdiSelection canvas(dc.get(), canvas_);

  // What the screen shows where the window will be, read in one block copy. It is also the
  // picture wherever nothing else is painted, so such pixels look as if the window were not there.
  {
    ScreenDc screen;
    BitBlt(dc.get(), 0, 0, width, height, screen.get(), geometry.origin.x, geometry.origin.y,
           SRCCOPY);
  }
  GdiFlush();
  const auto count = static_cast<std::size_t>(width) * height;
  PixelImage behind{width, height, std::vector<std::uint32_t>(bits, bits + count)};

  // The body: its region in grey, the face in the back colour with a one-pixel black outline.
  const std::uint32_t back = form_.BackColor();
  {
    UniqueGdi<HRGN> body(RoundRectRegion(geometry.bodyRegion));
    UniqueGdi<HBRUSH> grey(CreateSolidBrush(RGB(70, 70, 70)));
    FillRgn(dc.get(), body.get(), grey.get());
    UniqueGdi<HBRUSH> face(CreateSolidBrush(back));
    GdiSelection brush(dc.get(), face.get());
    GdiSelection pen(dc.get(), GetStockObject(BLACK_PEN));
    const RoundRectShape& s = geometry.bodyFace;
    RoundRect(dc.get(), s.left, s.top, s.right, s.bottom, s.ellipseWidth, s.ellipseHeight);
  }
  GdiFlush();

  // The shadow, from the screen picture.
  PixelImage window{width, height, std::vector<std::uint32_t>(bits, bits + count)};
  ApplyShadow(window, behind, geometry.shadow);
  std::copy(window.pixels.begin(), window.pixels.end(), bits);

  if (geometry.tail) {
    std::vector<POINT> outer = PointsOf(geometry.tail->outer);
    std::vector<POINT> inner = PointsOf(geometry.tail->inner);
    GdiSelection blackBrush(dc.get(), GetStockObject(BLACK_BRUSH));
    GdiSelection blackPen(dc.get(), GetStockObject(BLACK_PEN));
    Polygon(dc.get(), outer.data(), static_cast<int>(outer.size()));
    UniqueGdi<HBRUSH> face(CreateSolidBrush(back));
    UniqueGdi<HPEN> facePen(CreatePen(PS_SOLID, 1, back));
    GdiSelection brush(dc.get(), face.get());
    GdiSelection pen(dc.get(), facePen.get());
    Polygon(dc.get(), inner.data(), static_cast<int>(inner.size()));
  }
  const BalloonLayout& layout = form_.Layout();
  if (layout.iconVisible && form_.IconCell()) {
    PaintCell(dc.get(), *form_.IconCell(), InFrame(layout, layout.icon));
  }
  // The labels and the close button as their own windows draw them, so that the balloon's first
  // paint needs none of theirs.
  PaintLabel(dc.get(), titleFont_ ? titleFont_ : messageFont_, form_.aTitle.Caption(),
             InFrame(layout, layout.title));
  PaintLabel(dc.get(), messageFont_, form_.aMsg.Caption(), InFrame(layout, layout.message));
  PaintCell(dc.get(), form_.CloseCell(), InFrame(layout, layout.close));
  GdiFlush();
  return true;
}

HRGN BalloonWindowWin32::MakeRegion(const BalloonGeometry& geometry) const {
  HRGN region = RoundRectRegion(geometry.bodyRegion);
  UniqueGdi<HRGN> shadow(RoundRectRegion(geometry.shadowRegion));
  CombineRgn(region, region, shadow.get(), RGN_OR);
  if (geometry.tail) {
    std::vector<POINT> inner = PointsOf(geometry.tail->inner);
    UniqueGdi<HRGN> tail(CreatePolygonRgn(inner.data(), static_cast<int>(inner.size()), WINDING));
    CombineRgn(region, region, tail.get(), RGN_OR);
  }
  return region;
}

// Black on the balloon's colour: the labels' windows and their picture in the balloon's alike.
void BalloonWindowWin32::UseLabelColors(HDC dc) const {
  SetBkColor(dc, form_.BackColor());
  SetTextColor(dc, RGB(0, 0, 0));
}

// What a left-aligned static control without prefixes draws: its text on the balloon's colour,
// wrapped at its width.
void BalloonWindowWin32::PaintLabel(HDC dc, HFONT font, const std::string& text,
                                    const Rect& bounds) const {
  RECT area{bounds.x, bounds.y, bounds.x + bounds.width, bounds.y + bounds.height};
  GdiSelection selected(dc, font);
  SetBkMode(dc, OPAQUE);
  UseLabelColors(dc);
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX);
}

void BalloonWindowWin32::PaintCell(HDC dc, int cell, const Rect& bounds) {
  const HBITMAP icon = IconBitmap(cell);
  MemoryDc source(CreateCompatibleDC(dc));
  if (!icon || !source) return;
  GdiSelection selected(source.get(), icon);
  // Drawn at its own size in the middle of its place; stretched only when no strip fits it.
  if (iconSize_.cx <= bounds.width && iconSize_.cy <= bounds.height) {
    BitBlt(dc, bounds.x + (bounds.width - iconSize_.cx) / 2,
           bounds.y + (bounds.height - iconSize_.cy) / 2, iconSize_.cx, iconSize_.cy,
           source.get(), 0, 0, SRCCOPY);
    return;
  }
  StretchBlt(dc, bounds.x, bounds.y, bounds.width, bounds.height, source.get(), 0, 0,
             iconSize_.cx, iconSize_.cy, SRCCOPY);
}

void BalloonWindowWin32::Destroy() {
  if (hwnd_) {
    HWND hwnd = std::exchange(hwnd_, nullptr);
    // The labels are standard controls, which do not give their names back themselves.
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      RemoveName(child);
    }
    close_ = nullptr;
    DestroyWindow(hwnd);
  }
  pressed_ = false;
  if (canvas_) DeleteObject(std::exchange(canvas_, nullptr));
  if (backBrush_) DeleteObject(std::exchange(backBrush_, nullptr));
}

LRESULT CALLBACK BalloonWindowWin32::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<BalloonWindowWin32*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (message) {
    // A click on the balloon leaves the focus where the user had it.
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
      if (self) return self->OnPaint(hwnd);
      break;
    // The labels on the balloon's colour.
    case WM_CTLCOLORSTATIC:
      if (self && self->backBrush_) {
        self->UseLabelColors(reinterpret_cast<HDC>(wParam));
        return reinterpret_cast<LRESULT>(self->backBrush_);
      }
      break;
    // Off the close button, on the frame: the button loses its highlight.
    case WM_MOUSEMOVE:
      if (self) self->form_.F1_MouseMove();
      return 0;
    case WM_NCDESTROY: RemoveName(hwnd); break;
    default: break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT BalloonWindowWin32::OnPaint(HWND hwnd) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  MemoryDc source(CreateCompatibleDC(dc));
  if (source && canvas_) {
    GdiSelection selected(source.get(), canvas_);
    BitBlt(dc, 0, 0, canvasSize_.cx, canvasSize_.cy, source.get(), 0, 0, SRCCOPY);
  }
  EndPaint(hwnd, &paint);
  return 0;
}

LRESULT CALLBACK BalloonWindowWin32::PartProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<BalloonWindowWin32*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (message == WM_NCDESTROY) RemoveName(hwnd);
  if (self && self->hwnd_) return self->OnPartMessage(hwnd, message, wParam, lParam);
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT BalloonWindowWin32::OnPartMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: {
      RECT area;
      GetClientRect(hwnd, &area);
      FillRect(reinterpret_cast<HDC>(wParam), &area, backBrush_);
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      RECT area;
      GetClientRect(hwnd, &area);
      const Rect bounds{0, 0, area.right, area.bottom};
      if (hwnd == close_) PaintCell(dc, form_.CloseCell(), bounds);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (hwnd == close_) return OnCloseButtonMouse(hwnd, message, lParam);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      if (hwnd == close_) return OnCloseButtonMouse(hwnd, message, lParam);
      return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

LRESULT BalloonWindowWin32::OnCloseButtonMouse(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_MOUSEMOVE) {
    form_.Command1_MouseMove();
  } else if (message == WM_LBUTTONDOWN) {
    pressed_ = true;
    SetCapture(hwnd);
    form_.Command1_MouseDown();
  } else if (message == WM_LBUTTONUP && pressed_) {
    pressed_ = false;
    ReleaseCapture();
    form_.Command1_MouseUp();
    RECT area;
    GetClientRect(hwnd, &area);
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    // A release over the button is its click, which closes the balloon: its windows are gone
    // when UserClick returns.
    if (at.x >= 0 && at.y >= 0 && at.x < area.right && at.y < area.bottom) {
      form_.Command1.UserClick();
    }
  }
  return 0;
}

}  // namespace zephyr::ui
