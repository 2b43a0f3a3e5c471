// The form binder's labels. A static control expands a tab to the next multiple of eight average
// characters of its font, and a font's average character grows by whole pixels, not with the
// scale: at 144 dpi the standard font's tabs fall short of its text, so the columns of a label
// laid out with tabs run into each other. A label whose caption holds a tab is painted here
// instead, each column where it starts at 96 dpi, scaled like every other layout position.
// Every other label paints itself.
#include "ui/form_binder_internal_win32.h"

#include <string>
#include <string_view>

namespace zephyr::ui {

namespace {

constexpr UINT kPieceFormat = DT_SINGLELINE | DT_LEFT | DT_TOP;

int PieceWidth(HDC dc, std::string_view piece) {
  SIZE size{};
  GetTextExtentPoint32A(dc, piece.data(), static_cast<int>(piece.size()), &size);
  return size.cx;
}

// The label's font as it is at 96 dpi, where the layout was drawn up: the columns go where its
// tab stops put them there, scaled, since the widths of a font's letters do not grow evenly with
// the scale (a text that reaches past a tab stop at 96 can end short of it at 144).
class LayoutRuler {
 public:
  LayoutRuler(HDC dc, HFONT font, const DpiScale& scale) : dc_(dc) {
    LOGFONTA face{};
    if (font != nullptr && GetObjectA(font, sizeof face, &face) == sizeof face) {
      face.lfHeight =
          face.lfHeight < 0 ? -scale.Unscale(-face.lfHeight) : scale.Unscale(face.lfHeight);
      face.lfWidth = scale.Unscale(face.lfWidth);
      reference_ = CreateFontIndirectA(&face);
    }
    const HGDIOBJ previous = Select(reference_);
    RECT box{0, 0, 0, 0};
    DrawTextA(dc_, "\t", 1, &box, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
    tab_ = std::max<int>(box.right - box.left, 1);
    Select(previous);
  }
  ~LayoutRuler() {
    if (reference_ != nullptr) DeleteObject(reference_);
  }
  LayoutRuler(const LayoutRuler&) = delete;
  LayoutRuler& operator=(const LayoutRuler&) = delete;

  // The piece's width in layout units.
  int Width(std::string_view piece) {
    const HGDIOBJ previous = Select(reference_);
    const int width = PieceWidth(dc_, piece);
    Select(previous);
    return width;
  }
  int Tab() const { return tab_; }

 private:
  HGDIOBJ Select(HGDIOBJ font) { return font != nullptr ? SelectObject(dc_, font) : nullptr; }

  HDC dc_;
  HFONT reference_ = nullptr;
  int tab_ = 1;
};

// Line by line, as the static control breaks them; a label set out in columns is not wrapped.
void DrawTabbedText(HDC dc, const RECT& client, std::string_view text, LayoutRuler& ruler,
                    const DpiScale& scale) {
  SIZE cell{};
  GetTextExtentPoint32A(dc, "X", 1, &cell);
  int y = client.top;
  for (std::size_t start = 0; start <= text.size() && y < client.bottom;) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    int x = 0;       // pixels from the left edge
    int layout = 0;  // the same place at 96 dpi
    for (std::size_t from = 0;;) {
      const std::size_t cut = line.find('\t', from);
      const std::string_view piece =
          line.substr(from, cut == std::string_view::npos ? cut : cut - from);
      if (!piece.empty()) {
        RECT box{client.left + x, y, client.right, y + cell.cy};
        DrawTextA(dc, piece.data(), static_cast<int>(piece.size()), &box, kPieceFormat);
        x += PieceWidth(dc, piece);
        layout += ruler.Width(piece);
      }
      if (cut == std::string_view::npos) break;
      // The next stop at 96 dpi, and further ones while this scale's text reaches past it.
      layout = (layout / ruler.Tab() + 1) * ruler.Tab();
      while (scale.Edge(layout) <= x) layout += ruler.Tab();
      x = scale.Edge(layout);
      from = cut + 1;
    }
    y += cell.cy;
    start = end + 1;
  }
}

}  // namespace

using namespace binder;

LRESULT CALLBACK FormBinderWin32::LabelProc(HWND hwnd, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (original == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: {
      const std::string text = WindowText(hwnd);
      const HWND form = FormWindowAbove(hwnd);
      const auto* binder =
          form != nullptr
              ? reinterpret_cast<const FormBinderWin32*>(GetWindowLongPtrA(form, GWLP_USERDATA))
              : nullptr;
      if (binder == nullptr || text.find('\t') == std::string::npos) break;
      return PaintTabbedLabel(hwnd, text, binder->Scale());
    }
    case WM_NCDESTROY: return EndSubclass(hwnd, original, wParam, lParam);
    default: break;
  }
  return CallWindowProcA(original, hwnd, message, wParam, lParam);
}

// Painted as the static control paints: the parent's colours, the label's font.
LRESULT FormBinderWin32::PaintTabbedLabel(HWND label, const std::string& text,
                                          const DpiScale& scale) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(label, &paint);
  if (dc == nullptr) return 0;
  FillWithParentColor(label, dc);
  RECT client;
  GetClientRect(label, &client);
  const auto font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
  const HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
  if ((GetWindowLongA(label, GWL_STYLE) & WS_DISABLED) != 0) {
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  }
  SetBkMode(dc, TRANSPARENT);
  LayoutRuler ruler(dc, font, scale);
  DrawTabbedText(dc, client, text, ruler, scale);
  if (previous != nullptr) SelectObject(dc, previous);
  EndPaint(label, &paint);
  return 0;
}

}  // namespace zephyr::ui
