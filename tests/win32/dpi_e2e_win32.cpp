// zephyrnet.exe on screens with more dots per inch: started at 96, 120, 144 and 192, its main
// window grows with the scale, every caption of every panel and of the movie fits its control in
// the font it is drawn with, and no two sibling windows overlap that did not overlap at 96.
//
// Wine reads the screen's dots per inch when a program starts, from HKCU\Control Panel\Desktop
// "LogPixels" (ahead of the machine-wide value), so no restart of the Wine server is needed. The
// test sets that value before each start and puts back what was there when it ends, however it
// ends: what it found is also written to a file beside it first, and a run that finds such a file
// left by a run that crashed puts that value back before anything else.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/panels.h"
#include "platform/file_system_win32.h"
#include "ui/dpi_scale.h"
#include "ui/movie.h"
#include "ui/movie_player.h"
#include "win32/automation_win32.h"
#include "win32/program_under_test_win32.h"

namespace {

using namespace zephyr::automation;
using zephyr::ui::DpiScale;

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kLogPixels[] = "LogPixels";

std::string LeftoverFile() { return DriverFolder() + "\\e2e\\dpi-logpixels-to-restore"; }

std::optional<DWORD> ReadLogPixels() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  const bool present = RegQueryValueExA(key, kLogPixels, nullptr, &type,
                                        reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
                       type == REG_DWORD;
  RegCloseKey(key);
  return present ? std::optional<DWORD>(value) : std::nullopt;
}

void WriteLogPixels(std::optional<DWORD> value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  if (value) {
    RegSetValueExA(key, kLogPixels, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&*value),
                   sizeof *value);
  } else {
    RegDeleteValueA(key, kLogPixels);
  }
  RegCloseKey(key);
}

// The prefix's own dots per inch for the time it lives ("none": the value was missing).
class ScreenDpi {
 public:
  ScreenDpi() {
    // A run that crashed left the value it found; that one is the prefix's own.
    std::ifstream leftover(LeftoverFile());
    std::string found;
    if (leftover >> found) {
      WriteLogPixels(found == "none" ? std::nullopt
                                     : std::optional<DWORD>(std::strtoul(found.c_str(), nullptr, 10)));
    }
    leftover.close();
    original_ = ReadLogPixels();
    CreateDirectoryA((DriverFolder() + "\\e2e").c_str(), nullptr);
    std::ofstream(LeftoverFile()) << (original_ ? std::to_string(*original_) : "none");
  }
  ~ScreenDpi() {
    WriteLogPixels(original_);
    DeleteFileA(LeftoverFile().c_str());
  }
  ScreenDpi(const ScreenDpi&) = delete;
  ScreenDpi& operator=(const ScreenDpi&) = delete;

  void Set(int dpi) { WriteLogPixels(static_cast<DWORD>(dpi)); }

 private:
  std::optional<DWORD> original_;
};

// The window class in lower case: Windows and Wine spell the system classes differently.
std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return CharLowerA(name);
}

RECT ClientOf(HWND hwnd) {
  RECT client{};
  GetClientRect(hwnd, &client);
  return client;
}

// Where a window lies in its parent's client area.
RECT PlaceOf(HWND hwnd) {
  RECT place{};
  GetWindowRect(hwnd, &place);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&place), 2);
  return place;
}

// The extent of `text` drawn in the window's own font, as DrawText lays it out (a "&" marks the
// next letter); `width` > 0 wraps it at that width as a multi-line label does.
SIZE Extent(HWND hwnd, const std::string& text, int width = 0) {
  const HDC dc = GetDC(hwnd);
  const auto font = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
  const HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  RECT box{0, 0, width, 0};
  const UINT lines = width > 0 ? DT_WORDBREAK : DT_SINGLELINE;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_CALCRECT | lines);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  if (old) SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return {box.right, std::max<LONG>(box.bottom, metrics.tmHeight)};
}

// The room a control gives its text, by its kind; nothing for controls whose text scrolls or
// that show no caption of their own.
std::optional<SIZE> RoomForText(HWND hwnd, const DpiScale& scale) {
  const RECT client = ClientOf(hwnd);
  const LONG width = client.right;
  const LONG height = client.bottom;
  const std::string kind = ClassOf(hwnd);
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  if (kind == "button") {
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX: return SIZE{width - scale.Length(16), height};
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        return SIZE{width - GetSystemMetrics(SM_CXMENUCHECK) - scale.Length(4), height};
      default: return SIZE{width - scale.Length(6), height - scale.Length(4)};
    }
  }
  if (kind == "static" || kind == "edit") return SIZE{width, height};
  return std::nullopt;
}

// "frmWizardMode: cmdOptimize "Optimize &Now" needs 80 x 13 pixels, has 74 x 21" for each
// control of `form` whose text does not fit.
std::vector<std::string> Clipped(HWND form, const DpiScale& scale) {
  std::vector<std::string> clipped;
  for (HWND hwnd : Descendants(form)) {
    const std::string name = NameOf(hwnd);
    const std::string text = TextOfWindow(hwnd);
    if (name.empty() || text.empty()) continue;
    const std::optional<SIZE> room = RoomForText(hwnd, scale);
    if (!room) continue;
    const std::string kind = ClassOf(hwnd);
    const bool wraps = kind == "static" ||
                       (kind == "edit" && (GetWindowLongA(hwnd, GWL_STYLE) & ES_MULTILINE) != 0);
    const SIZE need = Extent(hwnd, text, wraps ? room->cx : 0);
    if (need.cx > room->cx || need.cy > room->cy) {
      clipped.push_back(NameOf(form) + ": " + name + " \"" + text + "\" needs " +
                        std::to_string(need.cx) + " x " + std::to_string(need.cy) +
                        " pixels, has " + std::to_string(room->cx) + " x " +
                        std::to_string(room->cy));
    }
  }
  return clipped;
}

// Each movie button whose caption is cut: the room it gets is the player's own rule.
std::vector<std::string> ClippedMovieButtons(HWND main, const zephyr::ui::MovieDocument& movie,
                                             const DpiScale& scale) {
  std::map<std::string, const zephyr::ui::MovieButton*> byName;
  for (const auto& button : movie.titleBarButtons) byName[button.AutomationName()] = &button;
  for (const auto& screen : movie.screens) {
    for (const auto& button : screen.buttons) byName[button.AutomationName()] = &button;
  }
  std::vector<std::string> clipped;
  for (HWND hwnd : Descendants(main)) {
    if (ClassOf(GetParent(hwnd)) != "zephyrnetmovieplayer") continue;
    const auto found = byName.find(NameOf(hwnd));
    if (found == byName.end() || found->second->glyph != zephyr::ui::MovieGlyph::kNone) continue;
    const RECT client = ClientOf(hwnd);
    const zephyr::ui::Rect room = zephyr::ui::MovieCaptionRoom(
        *found->second, {0, 0, client.right, client.bottom}, scale);
    std::string caption = found->second->caption;
    // Captions are drawn without "&" prefixes: double them so DrawText measures them as shown.
    for (std::size_t at = caption.find('&'); at != std::string::npos; at = caption.find('&', at + 2)) {
      caption.insert(at, "&");
    }
    const SIZE need = Extent(hwnd, caption);
    if (need.cx > room.width || need.cy > room.height) {
      clipped.push_back("movie: " + NameOf(hwnd) + " \"" + found->second->caption + "\" needs " +
                        std::to_string(need.cx) + " pixels, has " + std::to_string(room.width));
    }
  }
  return clipped;
}

// Sibling windows that overlap, as "parent: a | b" by their names.
std::set<std::string> Overlaps(HWND form) {
  std::map<HWND, std::vector<HWND>> byParent;
  for (HWND hwnd : Descendants(form)) {
    if (!NameOf(hwnd).empty()) byParent[GetParent(hwnd)].push_back(hwnd);
  }
  std::set<std::string> overlaps;
  for (const auto& [parent, children] : byParent) {
    for (std::size_t i = 0; i < children.size(); ++i) {
      for (std::size_t j = i + 1; j < children.size(); ++j) {
        RECT a = PlaceOf(children[i]);
        RECT b = PlaceOf(children[j]);
        RECT both{};
        if (!IntersectRect(&both, &a, &b)) continue;
        std::string first = NameOf(children[i]);
        std::string second = NameOf(children[j]);
        if (second < first) std::swap(first, second);
        overlaps.insert(NameOf(form) + "/" + NameOf(parent) + ": " + first + " | " + second);
      }
    }
  }
  return overlaps;
}

// Shows the panel through the movie: its button is on the home screen or one screen below it.
HWND ShowPanel(HWND main, const zephyr::PanelInfo& panel) {
  const std::string command(zephyr::ShowCommandOf(panel.id));
  PressMovieButton(main, "IDC_FS_main");
  WaitFor([&] { return FindVisible(main, "screen:network"); });
  if (!FindVisible(main, command)) {
    for (const char* screen : {"network", "pinger", "memory", "system"}) {
      if (HWND open = FindVisible(main, std::string("screen:") + screen)) {
        SendMessageA(open, BM_CLICK, 0, 0);
        if (FindVisible(main, command)) break;
        PressMovieButton(main, "IDC_FS_home");
        WaitFor([&] { return FindVisible(main, "screen:network"); });
      }
    }
  }
  if (!PressMovieButton(main, command)) return nullptr;
  return WaitFor([&] { return FindVisible(main, std::string(panel.formName)); });
}

class Dpi : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("ZEPHYR_DISPOSABLE_REGISTRY")) {
      GTEST_SKIP() << "changes the screen's dots per inch; runs only in the test Wine prefix";
    }
  }
};

TEST_F(Dpi, WindowGrowsWithTheScaleAndNoCaptionIsCutNorControlsOverlapAnew) {
  ScreenDpi screen;
  zephyr::FileSystemWin32 files;
  const zephyr::ui::MovieDocument movie =
      zephyr::ui::LoadMovieFile(files, DriverFolder() + "\\speed up.swf").document;
  std::set<std::string> overlapsAt96;
  for (const int dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi");
    const DpiScale scale(dpi);
    screen.Set(dpi);
    ProgramUnderTest program;
    ASSERT_TRUE(program.Prepare("dpi-" + std::to_string(dpi)));
    ASSERT_TRUE(program.Start());
    const HWND main =
        program.Await("the main window", [&] { return FindTop(program.id(), "frmMain"); });
    ASSERT_TRUE(main);
    ASSERT_TRUE(program.Await("the menu", [&] { return FindVisible(main, "screen:network"); }));

    const RECT client = ClientOf(main);
    EXPECT_NEAR(client.right, 724 * dpi / 96.0, 1.0);
    EXPECT_NEAR(client.bottom, 540 * dpi / 96.0, 1.0);

    std::vector<std::string> clipped = ClippedMovieButtons(main, movie, scale);
    std::set<std::string> overlaps;
    for (const zephyr::PanelInfo& panel : zephyr::kPanels) {
      const HWND form = ShowPanel(main, panel);
      EXPECT_TRUE(form) << "cannot show " << panel.formName << ":" << DescribeWindows(program.id());
      if (!form) continue;
      for (std::string& line : Clipped(form, scale)) clipped.push_back(std::move(line));
      overlaps.merge(Overlaps(form));
    }
    // Every screen's buttons have windows by now; the home screen's and the title bar's at least.
    for (std::string& line : ClippedMovieButtons(main, movie, scale)) clipped.push_back(std::move(line));
    std::sort(clipped.begin(), clipped.end());
    clipped.erase(std::unique(clipped.begin(), clipped.end()), clipped.end());
    std::string report;
    for (const std::string& line : clipped) report += "\n  " + line;
    EXPECT_TRUE(clipped.empty()) << "texts cut:" << report;

    if (dpi == 96) {
      overlapsAt96 = overlaps;
    } else {
      std::string added;
      for (const std::string& pair : overlaps) {
        if (!overlapsAt96.count(pair)) added += "\n  " + pair;
      }
      EXPECT_TRUE(added.empty()) << "overlapping only at " << dpi << " dpi:" << added;
    }
    program.End();
  }
}

// After the test, whatever became of it: the value a run that crashed left is put back.
TEST(DpiCleanup, PutsBackWhatACrashedRunLeft) { const ScreenDpi restored; }

}  // namespace
