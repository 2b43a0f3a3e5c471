// Skin elements applied to real controls: the fonts they get, the brushes and colours their
// parent answers WM_CTLCOLOR* with, and the pixels an owner-drawn button and a panel paint.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/file_system_win32.h"
#include "ui/skin_win32.h"

namespace zephyr::testing {
namespace {

constexpr COLORREF kPanel = RGB(0xF3, 0xF6, 0xFA);
constexpr COLORREF kInk = RGB(0x3A, 0x4B, 0x5C);
constexpr COLORREF kButton = RGB(0x1E, 0x6C, 0xB5);
constexpr COLORREF kButtonText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBorder = RGB(0x17, 0x5A, 0x99);
constexpr COLORREF kHover = RGB(0x2B, 0x8C, 0xE0);
constexpr COLORREF kPressed = RGB(0x17, 0x2F, 0x4A);
constexpr COLORREF kCheckText = RGB(0x10, 0x20, 0x30);

constexpr char kSkinText[] =
    "[controlForm]\nbackground = #F3F6FA\ntext = #3A4B5C\n"
    "[Button]\nbackground = #1E6CB5\ntext = #FFFFFF\nborder = #175A99\nhover = #2B8CE0\n"
    "pressed = #172F4A\nface = Tahoma\nsize = 9\nbold = yes\n"
    "[Label]\nbackground = #F3F6FA\ntext = #3A4B5C\nface = Tahoma\nsize = 8\n"
    "[CheckBox]\ntext = #102030\nbold = yes\n"
    "[RadioBox]\nbackground = #F3F6FA\ntext = #3A4B5C\n"
    "[Frame]\nbackground = #F3F6FA\ntext = #1B2A3A\n";

LRESULT CALLBACK PlainWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

// A panel with one control of each kind, on a window whose procedure knows nothing of skins.
class SkinWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &PlainWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "ZephyrnetSkinTestPanel";
    RegisterClassA(&windowClass);
    panel = CreateWindowExA(0, windowClass.lpszClassName, "frmTest", WS_POPUP, 0, 0, 200, 120,
                            nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(panel, nullptr);
    button = Child("BUTTON", "&Save", BS_PUSHBUTTON, 1);
    label = Child("STATIC", "Host", SS_LEFT, 2);
    check = Child("BUTTON", "Run at start-up", BS_AUTOCHECKBOX, 3);
    option = Child("BUTTON", "MB", BS_AUTORADIOBUTTON, 4);
    frame = Child("BUTTON", "Mode", BS_GROUPBOX, 5);
    edit = Child("EDIT", "127.0.0.1", ES_LEFT, 6);
    plainLabel = Child("STATIC", "plain", SS_LEFT, 7);
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateBitmap(200, 120, 1, 32, nullptr);
    SelectObject(dc, bitmap);
    skin.Set(ui::Skin::Parse(kSkinText));
  }

  void TearDown() override {
    if (panel != nullptr) DestroyWindow(panel);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }

  HWND Child(const char* windowClass, const char* text, DWORD style, int id) {
    return CreateWindowExA(0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 4, 4, 80, 24,
                           panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleA(nullptr), nullptr);
  }

  // The colour of the brush the panel answers WM_CTLCOLOR* with, or CLR_INVALID for none.
  COLORREF BrushColor(UINT message, HWND child) {
    const auto brush =
        reinterpret_cast<HBRUSH>(SendMessageA(panel, message, reinterpret_cast<WPARAM>(dc),
                                              reinterpret_cast<LPARAM>(child)));
    LOGBRUSH info{};
    if (brush == nullptr || GetObjectA(brush, sizeof info, &info) == 0) return CLR_INVALID;
    return info.lbColor;
  }

  static LOGFONTA FontOf(HWND hwnd) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
  }

  // Asks the panel to draw the button into the bitmap.
  bool DrawButton(UINT state) {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = 1;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = button;
    item.hDC = dc;
    item.rcItem = {0, 0, 80, 24};
    return SendMessageA(panel, WM_DRAWITEM, 1, reinterpret_cast<LPARAM>(&item)) == TRUE;
  }

  ui::SkinWin32 skin;
  HWND panel = nullptr, button = nullptr, label = nullptr, check = nullptr, option = nullptr,
       frame = nullptr, edit = nullptr, plainLabel = nullptr;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
};

TEST_F(SkinWin32Test, ControlsTakeTheirElementsFontsAndColours) {
  ASSERT_TRUE(skin.Apply(panel, "controlForm"));
  ASSERT_TRUE(skin.Apply(button, "Button"));
  ASSERT_TRUE(skin.Apply(label, "Label"));
  ASSERT_TRUE(skin.Apply(check, "CheckBox"));
  ASSERT_TRUE(skin.Apply(option, "RadioBox"));
  ASSERT_TRUE(skin.Apply(frame, "Frame"));

  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const LOGFONTA buttonFont = FontOf(button);
  EXPECT_STREQ(buttonFont.lfFaceName, "Tahoma");
  EXPECT_EQ(buttonFont.lfHeight, -MulDiv(9, dpi, 72));
  EXPECT_EQ(buttonFont.lfWeight, FW_BOLD);
  EXPECT_EQ(FontOf(label).lfHeight, -MulDiv(8, dpi, 72));
  EXPECT_EQ(FontOf(label).lfWeight, FW_NORMAL);
  // Only boldness given: the rest of the control's own font stays.
  const LOGFONTA checkFont = FontOf(check);
  EXPECT_EQ(checkFont.lfWeight, FW_BOLD);
  EXPECT_STRNE(checkFont.lfFaceName, "");

  EXPECT_EQ(BrushColor(WM_CTLCOLORSTATIC, label), kPanel);
  EXPECT_EQ(GetTextColor(dc), kInk);
  EXPECT_EQ(GetBkColor(dc), kPanel);
  // No background of its own: the panel's shows through, with the element's text colour.
  EXPECT_EQ(BrushColor(WM_CTLCOLORSTATIC, check), kPanel);
  EXPECT_EQ(GetTextColor(dc), kCheckText);
  EXPECT_EQ(BrushColor(WM_CTLCOLORBTN, option), kPanel);
  EXPECT_EQ(BrushColor(WM_CTLCOLORSTATIC, frame), kPanel);
  EXPECT_EQ(GetTextColor(dc), RGB(0x1B, 0x2A, 0x3A));
  // A label without an element of its own takes the panel's colours; edit boxes keep theirs.
  EXPECT_EQ(BrushColor(WM_CTLCOLORSTATIC, plainLabel), kPanel);
  EXPECT_EQ(GetTextColor(dc), kInk);
  EXPECT_EQ(BrushColor(WM_CTLCOLOREDIT, edit), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(ui::SkinControlColor(label, dc), reinterpret_cast<HBRUSH>(SendMessageA(
      panel, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label))));

  // The panel paints its own background.
  EXPECT_EQ(SendMessageA(panel, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
  EXPECT_EQ(GetPixel(dc, 150, 100), kPanel);
}

TEST_F(SkinWin32Test, ColouredButtonIsOwnerDrawnInEachState) {
  ASSERT_TRUE(skin.Apply(button, "Button"));
  EXPECT_EQ(GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  // The dialog manager's default-button change keeps it owner-drawn.
  SendMessageA(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  EXPECT_EQ(GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);

  ASSERT_TRUE(DrawButton(0));
  EXPECT_EQ(GetPixel(dc, 0, 0), kBorder);
  EXPECT_EQ(GetPixel(dc, 4, 4), kButton);
  ASSERT_TRUE(DrawButton(ODS_SELECTED));
  EXPECT_EQ(GetPixel(dc, 4, 4), kPressed);
  SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(DrawButton(0));
  EXPECT_EQ(GetPixel(dc, 4, 4), kHover);
  SendMessageA(button, WM_MOUSELEAVE, 0, 0);
  ASSERT_TRUE(DrawButton(0));
  EXPECT_EQ(GetPixel(dc, 4, 4), kButton);

  // The caption is drawn in the element's text colour somewhere on the face.
  bool captionDrawn = false;
  for (int x = 0; x < 80 && !captionDrawn; ++x) {
    for (int y = 0; y < 24 && !captionDrawn; ++y) captionDrawn = GetPixel(dc, x, y) == kButtonText;
  }
  EXPECT_TRUE(captionDrawn);
}

TEST_F(SkinWin32Test, ReapplyingReplacesTheStyleAndUnskinnedElementsLeaveWindowsAlone) {
  const auto originalFont = SendMessageA(edit, WM_GETFONT, 0, 0);
  ui::SkinWin32 standard;
  FileSystemWin32 files;
  EXPECT_FALSE(standard.Load(files, "Z:\\no\\such\\folder\\RZephyrnetMask.skn"));
  EXPECT_FALSE(standard.Apply(button, "Button"));
  EXPECT_FALSE(skin.Apply(edit, "NoFrame"));
  EXPECT_FALSE(skin.Apply(edit, "TextBox"));
  EXPECT_FALSE(skin.Apply(nullptr, "Button"));
  EXPECT_EQ(SendMessageA(edit, WM_GETFONT, 0, 0), originalFont);
  EXPECT_EQ(GetPropA(edit, ui::kSkinProperty), nullptr);
  EXPECT_EQ(GetWindowLongPtrA(button, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);

  ASSERT_TRUE(skin.Apply(label, "Label"));
  const auto labelFont = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
  ASSERT_TRUE(skin.Apply(label, "Button"));
  EXPECT_EQ(FontOf(label).lfWeight, FW_BOLD);
  EXPECT_EQ(BrushColor(WM_CTLCOLORSTATIC, label), kButton);
  // The font of the first element was freed once the window let go of it.
  LOGFONTA gone{};
  EXPECT_EQ(GetObjectA(labelFont, sizeof gone, &gone), 0);

  // Destroying the skinned windows frees what the skin kept with them.
  ASSERT_TRUE(skin.Apply(panel, "controlForm"));
  EXPECT_TRUE(DestroyWindow(panel));
  panel = nullptr;
}

}  // namespace
}  // namespace zephyr::testing
