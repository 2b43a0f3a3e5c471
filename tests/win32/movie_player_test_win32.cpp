// The movie player hosted on a test window with the shipped menu: automation names, clicks,
// keyboard, variables, painting and z-order.
//
// With ZEPHYR_MOVIE_SCREENSHOT set to a folder, the look test also saves movie-home.bmp and
// movie-network.bmp there, for looking at the menu as a user sees it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system_win32.h"
#include "ui/movie.h"
#include "win32/automation_win32.h"
#include "ui/movie_player_win32.h"

namespace zephyr::testing {
namespace {

constexpr char kHostClass[] = "ZephyrnetMovieTestHost";

using automation::NameOf;

// The shipped movie, looked for from the test program's folder upwards: the build folders sit
// inside the source tree.
std::filesystem::path ShippedMovie() {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::filesystem::path folder = std::filesystem::path(std::string(self, length)).parent_path();
  for (; folder.has_relative_path(); folder = folder.parent_path()) {
    const auto candidate = folder / "resources" / std::string(ui::kMovieFileName);
    if (std::filesystem::exists(candidate)) return candidate;
  }
  return {};
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

struct Capture {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  int width = 0;
  int height = 0;
  ~Capture() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }

  void SaveBmp(const std::filesystem::path& file) const {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<std::size_t>(stride) * height);
    GetDIBits(dc, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
              DIB_RGB_COLORS);
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  }
};

// What the window shows on screen, copied into a memory bitmap: once it has been painted again,
// or as it stands.
std::unique_ptr<Capture> CaptureClient(HWND hwnd, bool repaintFirst = true) {
  if (repaintFirst) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
  }
  RECT client;
  GetClientRect(hwnd, &client);
  auto capture = std::make_unique<Capture>();
  capture->width = client.right;
  capture->height = client.bottom;
  const HDC window = GetDC(hwnd);
  capture->dc = CreateCompatibleDC(window);
  capture->bitmap = CreateCompatibleBitmap(window, client.right, client.bottom);
  capture->old = SelectObject(capture->dc, capture->bitmap);
  BitBlt(capture->dc, 0, 0, client.right, client.bottom, window, 0, 0, SRCCOPY);
  ReleaseDC(hwnd, window);
  return capture;
}

COLORREF Ref(const ui::MovieColor& c) { return RGB(c.red, c.green, c.blue); }

class MoviePlayerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kHostClass;
    RegisterClassA(&windowClass);
    RECT frame{0, 0, 724, 540};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRect(&frame, style, FALSE);
    host_ = CreateWindowExA(0, kHostClass, "Zephyrnet", style, 20, 20, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                            nullptr);
    ASSERT_TRUE(host_);
    ShowWindow(host_, SW_SHOW);
    SetForegroundWindow(host_);

    const std::filesystem::path path = ShippedMovie();
    ASSERT_FALSE(path.empty()) << "resources/speed up.swf is not above the test program";
    FileSystemWin32 files;
    ui::MovieLoadResult loaded = ui::LoadMovieFile(files, path.string());
    ASSERT_FALSE(loaded.usedDefault) << (loaded.errors.empty() ? "" : loaded.errors[0].ToString());
    look_ = loaded.document.look;
    panel_ = loaded.document.panelFrame;
    ASSERT_TRUE(player_.Create({.parent = host_}, std::move(loaded.document),
                               [this](const std::string& command, const std::string& args) {
                                 sent_.push_back(command);
                                 EXPECT_EQ(args, "");
                               }));
    UpdateWindow(host_);
    Pump();
  }

  void TearDown() override {
    if (host_) DestroyWindow(host_);
    Pump();
  }

  std::vector<HWND> Buttons() const {
    std::vector<HWND> found;
    for (HWND child = GetWindow(player_.Hwnd(), GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
      found.push_back(child);
    }
    return found;
  }

  // The shown button with this automation name; null when none is shown.
  HWND Shown(const std::string& name) const {
    for (const HWND button : Buttons()) {
      if (IsWindowVisible(button) && NameOf(button) == name) return button;
    }
    return nullptr;
  }

  std::set<std::string> ShownNames() const {
    std::set<std::string> names;
    for (const HWND button : Buttons()) {
      if (IsWindowVisible(button)) names.insert(NameOf(button));
    }
    return names;
  }

  void Click(const std::string& name) {
    const HWND button = Shown(name);
    ASSERT_TRUE(button) << "no shown button named " << name;
    SendMessageA(button, BM_CLICK, 0, 0);
    Pump();
  }

  HWND host_ = nullptr;
  ui::MoviePlayerWindow player_;
  std::vector<std::string> sent_;
  ui::MovieLook look_;
  ui::Rect panel_;
};

TEST_F(MoviePlayerWindowTest, ButtonsAreNamedByTheirCommandAndAClickDeliversIt) {
  EXPECT_EQ(NameOf(player_.Hwnd()), "flash");
  EXPECT_EQ(ShownNames(), (std::set<std::string>{
                              "screen:network", "screen:pinger", "screen:memory", "screen:system",
                              "IDC_FS_settings", "IDC_FS_help", "screen:about", "IDC_FS_hide",
                              "IDC_FS_main", "IDC_FS_minimize", "IDC_FS_tray", "IDC_FS_close"}));
  const HWND help = Shown("IDC_FS_help");
  ASSERT_TRUE(help);
  char text[64] = {};
  GetWindowTextA(help, text, sizeof text);
  EXPECT_STREQ(text, "Help");  // what a screen reader announces
  char windowClass[32] = {};
  GetClassNameA(help, windowClass, sizeof windowClass);
  EXPECT_STRCASEEQ(windowClass, "Button");
  const LONG style = GetWindowLongA(help, GWL_STYLE);
  EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_TRUE(style & WS_TABSTOP);

  Click("IDC_FS_help");
  EXPECT_EQ(sent_, (std::vector<std::string>{"IDC_FS_help"}));

  Click("screen:system");
  EXPECT_EQ(sent_.back(), "IDC_FS_sysSettingClicked");
  EXPECT_TRUE(Shown("IDC_FS_internetProperties"));
  EXPECT_TRUE(Shown("screen:restart"));
  EXPECT_FALSE(Shown("IDC_FS_help"));
  Click("screen:restart");
  Click("IDC_FS_restart");
  EXPECT_EQ(sent_.back(), "IDC_FS_restart");

  const std::size_t before = sent_.size();
  player_.SetVariable("_root.home", "true");
  Pump();
  EXPECT_TRUE(Shown("IDC_FS_help"));
  EXPECT_FALSE(Shown("IDC_FS_restart"));
  EXPECT_EQ(sent_.size(), before) << "returning home on request sends nothing";
  EXPECT_TRUE(player_.Player()->AtHome());
}

TEST_F(MoviePlayerWindowTest, KeyboardMovesTheFocusAndEnterPressesAndTheTitleDrags) {
  SetFocus(player_.Hwnd());
  Pump();
  EXPECT_EQ(NameOf(GetFocus()), "screen:network");
  SendMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
  EXPECT_EQ(NameOf(GetFocus()), "screen:pinger");
  SendMessageA(GetFocus(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(NameOf(GetFocus()), "screen:network");
  SendMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_TRUE(Shown("IDC_FS_wizardMode"));
  EXPECT_EQ(NameOf(GetFocus()), "IDC_FS_wizardMode") << "focus follows to the new screen";
  SendMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(sent_, (std::vector<std::string>{"IDC_FS_wizardMode"}));

  SendMessageA(player_.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 20));
  SendMessageA(player_.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(200, 20));
  EXPECT_EQ(sent_.back(), "Drag");
  SendMessageA(player_.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(400, 450));
  EXPECT_EQ(sent_.size(), 2u) << "the content area is not a handle";
}

TEST_F(MoviePlayerWindowTest, PaintsTheLookAndComesBackToTheFront) {
  player_.SetVariable("_root.version", "1.0.0.4");
  const RECT frame = player_.PanelFrame();
  EXPECT_EQ(frame.left, panel_.x);
  EXPECT_EQ(frame.top, panel_.y);
  EXPECT_EQ(frame.right - frame.left, 440);
  EXPECT_GE(frame.bottom - frame.top, 255);

  if (const char* folder = std::getenv("ZEPHYR_MOVIE_SCREENSHOT")) {
    RECT network;
    GetWindowRect(Shown("screen:network"), &network);
    SetCursorPos(network.left + 40, network.top + 10);
    Sleep(100);
    Pump();
    CaptureClient(host_)->SaveBmp(std::filesystem::path(folder) / "movie-home.bmp");
    Click("screen:network");
    SetFocus(Shown("IDC_FS_normalMode"));
    CaptureClient(host_)->SaveBmp(std::filesystem::path(folder) / "movie-network.bmp");
    Click("IDC_FS_main");
  }

  const auto shot = CaptureClient(player_.Hwnd());
  EXPECT_EQ(shot->At(160, 6), Ref(look_.titleBar));
  EXPECT_EQ(shot->At(4, 300), Ref(look_.menu));
  EXPECT_EQ(shot->At(panel_.x + panel_.width - 4, panel_.y + panel_.height - 4), Ref(look_.card));
  EXPECT_EQ(shot->At(panel_.x + 2, panel_.y + panel_.height + 100), Ref(look_.background));

  // While a panel is shown the area is plain, so a shorter panel leaves no edge of the card.
  player_.SetPanelTitle("Main Settings");
  const auto withPanel = CaptureClient(player_.Hwnd());
  EXPECT_EQ(withPanel->At(panel_.x + panel_.width - 4, panel_.y + panel_.height - 4),
            Ref(look_.background));
  EXPECT_EQ(withPanel->At(panel_.x, panel_.y + panel_.height - 1), Ref(look_.background));
  player_.SetPanelTitle("");
  const auto home = CaptureClient(player_.Hwnd());
  EXPECT_EQ(home->At(panel_.x + panel_.width - 4, panel_.y + panel_.height - 4), Ref(look_.card));

  // A panel frame made later lies above the movie until the movie comes back to the front.
  const HWND sibling =
      CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, frame.left,
                      frame.top, 440, 255, host_, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowPos(sibling, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(host_, GW_CHILD), sibling);
  player_.BringToFront();
  EXPECT_EQ(GetWindow(host_, GW_CHILD), player_.Hwnd());
}

// The main window's first picture waits for no button window: the player paints the buttons
// itself, then makes their windows, which keep that picture and take the focus the player had.
TEST_F(MoviePlayerWindowTest, ButtonsMadeAfterTheFirstPaintKeepItsPicture) {
  FileSystemWin32 files;
  ui::MoviePlayerWindow later;
  ASSERT_TRUE(later.Create({.parent = host_, .name = "later", .buttonsAfterFirstPaint = true},
                           ui::LoadMovieFile(files, ShippedMovie().string()).document,
                           [this](const std::string& command, const std::string&) {
                             sent_.push_back(command);
                           }));
  EXPECT_EQ(GetWindow(later.Hwnd(), GW_CHILD), nullptr);
  SetFocus(later.Hwnd());
  UpdateWindow(later.Hwnd());
  const auto first = CaptureClient(later.Hwnd(), false);
  const auto& items = later.Player()->Items();
  const auto item = [&items](const std::string& name) {
    int i = 0;
    while (i < static_cast<int>(items.size()) &&
           items[static_cast<std::size_t>(i)].button->AutomationName() != name) {
      ++i;
    }
    return i;
  };
  const int helpItem = item("IDC_FS_help");
  const int aboutItem = item("screen:about");
  ASSERT_LT(std::max(helpItem, aboutItem), static_cast<int>(items.size()));
  // Before the windows come, a click on a painted button is the player's.
  const ui::Rect help = items[static_cast<std::size_t>(helpItem)].button->bounds;
  SendMessageA(later.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(help.x + 5, help.y + 5));
  SendMessageA(later.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(help.x + 5, help.y + 5));
  EXPECT_EQ(sent_, (std::vector<std::string>{"IDC_FS_help"}));

  Pump();
  int made = 0;
  for (HWND child = GetWindow(later.Hwnd(), GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    ++made;
  }
  EXPECT_EQ(made, 12);
  EXPECT_EQ(NameOf(later.ButtonWindow(aboutItem)), "screen:about");
  EXPECT_EQ(GetParent(GetFocus()), later.Hwnd());
  EXPECT_EQ(NameOf(GetFocus()), "IDC_FS_help") << "the button clicked last";
  const auto shown = CaptureClient(later.Hwnd(), false);
  const ui::Rect about = items[static_cast<std::size_t>(aboutItem)].button->bounds;
  int differing = 0;
  for (int y = about.y; y < about.y + about.height; ++y) {
    for (int x = about.x; x < about.x + about.width; ++x) {
      differing += shown->At(x, y) != first->At(x, y) ? 1 : 0;
    }
  }
  EXPECT_EQ(differing, 0) << "the About button's window shows what the player painted";
}

// Start-up makes only the home screen's and the title bar's windows; another screen's come when it
// is first shown and stay, so a button keeps its handle, and the title bar stays last in tab order.
TEST_F(MoviePlayerWindowTest, AScreenMakesItsButtonsWhenFirstShownAndKeepsThem) {
  EXPECT_EQ(Buttons().size(), 12u) << "home and title bar only";
  Click("screen:network");
  const HWND wizard = Shown("IDC_FS_wizardMode");
  ASSERT_TRUE(wizard);
  const std::size_t afterNetwork = Buttons().size();
  EXPECT_EQ(afterNetwork, 17u);
  const std::vector<HWND> order = Buttons();
  std::vector<std::string> lastFour;
  for (std::size_t i = order.size() - 4; i < order.size(); ++i) {
    lastFour.push_back(NameOf(order[i]));
  }
  EXPECT_EQ(lastFour, (std::vector<std::string>{"IDC_FS_main", "IDC_FS_minimize", "IDC_FS_tray",
                                                "IDC_FS_close"}));

  Click("IDC_FS_home");
  EXPECT_FALSE(IsWindowVisible(wizard));
  Click("screen:network");
  EXPECT_EQ(Shown("IDC_FS_wizardMode"), wizard) << "the same window, not a new one";
  EXPECT_EQ(Buttons().size(), afterNetwork);
}

TEST_F(MoviePlayerWindowTest, AHandlerMayDestroyThePlayerWhileAClickIsDelivered) {
  auto owned = std::make_unique<ui::MoviePlayerWindow>();
  ASSERT_TRUE(owned->Create({.parent = host_, .name = "second"}, ui::DefaultMovie(),
                            [&](const std::string& command, const std::string&) {
                              sent_.push_back(command);
                              owned.reset();
                            }));
  const HWND hwnd = owned->Hwnd();
  HWND close = nullptr;
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (NameOf(child) == "IDC_FS_close") close = child;
  }
  ASSERT_TRUE(close);
  SendMessageA(close, BM_CLICK, 0, 0);
  Pump();
  EXPECT_FALSE(owned);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(sent_, (std::vector<std::string>{"IDC_FS_close"}));
}

}  // namespace
}  // namespace zephyr::testing
