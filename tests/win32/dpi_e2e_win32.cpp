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
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/panels.h"
#include "platform/file_system_win32.h"
#include "ui/dpi_scale.h"
#include "ui/dpi_win32.h"
#include "ui/movie.h"
#include "ui/movie_player.h"
#include "ui/skin.h"
#include "win32/automation_win32.h"
#include "win32/program_under_test_win32.h"

namespace {

using namespace zephyr::automation;
using zephyr::ui::DpiScale;

constexpr char kDesktopKey[] = "Control Panel\\Desktop";
constexpr char kLogPixels[] = "LogPixels";

std::string LeftoverFile() { return DriverFolder() + "\\e2e\\dpi-logpixels-to-restore"; }

std::optional<DWORD> ReadLogPixels() {
  const Stored stored = ReadReal(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, 0);
  if (!stored.present || stored.type != REG_DWORD || stored.data.size() != sizeof(DWORD)) {
    return std::nullopt;
  }
  DWORD value = 0;
  std::memcpy(&value, stored.data.data(), sizeof value);
  return value;
}

void WriteLogPixels(std::optional<DWORD> value) {
  Stored stored;
  if (value) stored = {true, REG_DWORD, std::string(reinterpret_cast<const char*>(&*value), 4)};
  WriteReal(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, stored, 0);
}

// The prefix's own dots per inch for the time it lives ("none": the value was missing).
class ScreenDpi {
 public:
  ScreenDpi() {
    // A run that crashed left the value it found; that one is the prefix's own.
    std::ifstream leftover(LeftoverFile());
    std::string found;
    if (leftover >> found) {
      std::optional<DWORD> value;
      if (found != "none") value = std::strtoul(found.c_str(), nullptr, 10);
      WriteLogPixels(value);
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

// The fonts the program draws with, made again in this process (GDI objects belong to the
// process that made them) from the same sources: the control font at the scale, changed by the
// skin's element for a control, and the movie's own font.
class Fonts {
 public:
  Fonts(const DpiScale& scale, const zephyr::ui::Skin& skin, const zephyr::ui::MovieLook& look)
      : scale_(scale), skin_(skin), control_(scale) {
    for (const bool small : {false, true}) {
      movie_[small] = CreateFontA(-scale.PointsToPixels(look.font.points - (small ? 1 : 0)), 0, 0,
                                  0, look.font.bold && !small ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                  FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_SWISS,
                                  look.font.face.c_str());
    }
  }
  ~Fonts() {
    for (const auto& [name, font] : skinned_) DeleteObject(font);
    for (HFONT font : movie_) DeleteObject(font);
  }
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  HFONT Movie(bool small) const { return movie_[small]; }
  // The font of a control drawn by the skin's `element`, or the control font without one.
  HFONT Control(const std::string& element) {
    const zephyr::ui::SkinElement* style = element.empty() ? nullptr : skin_.Find(element);
    if (!style || !style->HasFont()) return control_.get();
    if (const auto found = skinned_.find(element); found != skinned_.end()) return found->second;
    LOGFONTA font{};
    GetObjectA(control_.get(), sizeof font, &font);
    if (style->face) lstrcpynA(font.lfFaceName, style->face->c_str(), LF_FACESIZE);
    if (style->points) font.lfHeight = -scale_.PointsToPixels(*style->points);
    font.lfWidth = 0;
    if (style->bold) font.lfWeight = *style->bold ? FW_BOLD : FW_NORMAL;
    return skinned_[element] = CreateFontIndirectA(&font);
  }

 private:
  DpiScale scale_;
  const zephyr::ui::Skin& skin_;
  zephyr::ui::ControlFont control_;
  HFONT movie_[2] = {};
  std::map<std::string, HFONT> skinned_;
};

// The extent of `text` drawn in `font`, as DrawText lays it out (a "&" marks the next letter);
// `width` > 0 wraps it at that width as a multi-line label does.
SIZE Extent(HFONT font, const std::string& text, int width = 0) {
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  RECT box{0, 0, width, 0};
  const UINT lines = width > 0 ? DT_WORDBREAK | DT_EXPANDTABS : DT_SINGLELINE;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_CALCRECT | lines);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {box.right, std::max<LONG>(box.bottom, metrics.tmHeight)};
}

struct Room {
  SIZE size;
  std::string element;  // the skin element the program gives such a control
};

// The room a control gives its text, by its kind; nothing for controls that show no caption of
// their own.
std::optional<Room> RoomForText(HWND hwnd, const DpiScale& scale) {
  const RECT client = ClientOf(hwnd);
  const LONG width = client.right;
  const LONG height = client.bottom;
  const std::string kind = ClassOf(hwnd);
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  if (kind == "button") {
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX: return Room{{width - scale.Length(16), height}, "Frame"};
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
        return Room{{width - scale.Length(13 + 4), height}, "CheckBox"};
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON: return Room{{width - scale.Length(13 + 4), height}, "RadioBox"};
      default: return Room{{width - scale.Length(6), height - scale.Length(4)}, "Button"};
    }
  }
  if (kind == "static") return Room{{width, height}, "Label"};
  if (kind == "edit") return Room{{width, height}, ""};
  return std::nullopt;
}

// "frmWizardMode: cmdOptimize "Optimize &Now" needs 80 x 13 pixels, has 74 x 21" for each
// control of `form` whose text does not fit.
std::vector<std::string> Clipped(HWND form, const DpiScale& scale, Fonts& fonts) {
  std::vector<std::string> clipped;
  for (HWND hwnd : Descendants(form)) {
    const std::string name = NameOf(hwnd);
    // Empty lines at the end show nothing, so nothing of them can be cut.
    std::string text = TextOfWindow(hwnd);
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    if (name.empty() || text.empty()) continue;
    const std::optional<Room> found = RoomForText(hwnd, scale);
    if (!found) continue;
    const SIZE* room = &found->size;
    const std::string kind = ClassOf(hwnd);
    const bool wraps = kind == "static" ||
                       (kind == "edit" && (GetWindowLongA(hwnd, GWL_STYLE) & ES_MULTILINE) != 0);
    const SIZE need = Extent(fonts.Control(found->element), text, wraps ? room->cx : 0);
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
                                             const DpiScale& scale, const Fonts& fonts) {
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
    for (std::size_t at = caption.find('&'); at != std::string::npos;
         at = caption.find('&', at + 2)) {
      caption.insert(at, "&");
    }
    const bool tool = found->second->style == zephyr::ui::MovieButtonStyle::kTool;
    const SIZE need = Extent(fonts.Movie(tool), caption);
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

// Clicks the movie button `name` once it is shown, and returns when the movie has carried it out.
bool ClickNow(HWND main, const std::string& name) {
  const HWND button = WaitFor([&] { return FindVisible(main, name); });
  if (button) SendMessageA(button, BM_CLICK, 0, 0);
  return button != nullptr;
}

// Shows the panel through the movie: its button is on the home screen or one screen below it.
HWND ShowPanel(HWND main, const zephyr::PanelInfo& panel) {
  const std::string command(zephyr::ShowCommandOf(panel.id));
  ClickNow(main, "IDC_FS_main");
  for (const char* screen : {"", "network", "pinger", "memory", "system"}) {
    if (*screen != '\0') {
      ClickNow(main, "IDC_FS_main");
      ClickNow(main, std::string("screen:") + screen);
    }
    if (FindVisible(main, command)) break;
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
  const zephyr::ui::Skin skin =
      zephyr::ui::Skin::Load(files, DriverFolder() + "\\RZephyrnetMask.skn");
  std::set<std::string> overlapsAt96;
  const DWORD started = GetTickCount();
  for (const int dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(std::to_string(dpi) + " dpi");
    const DpiScale scale(dpi);
    Fonts fonts(scale, skin, movie.look);
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

    std::vector<std::string> clipped = ClippedMovieButtons(main, movie, scale, fonts);
    std::set<std::string> overlaps;
    for (const zephyr::PanelInfo& panel : zephyr::kPanels) {
      const HWND form = ShowPanel(main, panel);
      EXPECT_TRUE(form) << "cannot show " << panel.formName << ":" << DescribeWindows(program.id());
      if (!form) continue;
      for (std::string& line : Clipped(form, scale, fonts)) clipped.push_back(std::move(line));
      overlaps.merge(Overlaps(form));
    }
    // Every screen's buttons have windows by now; the home screen's and the title bar's at least.
    for (std::string& line : ClippedMovieButtons(main, movie, scale, fonts)) {
      clipped.push_back(std::move(line));
    }
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
    std::fprintf(stderr, "note: %d dpi checked after %lu s\n", dpi,
                 (GetTickCount() - started) / 1000);
  }
}

// After the test, whatever became of it: the value a run that crashed left is put back.
TEST(DpiCleanup, PutsBackWhatACrashedRunLeft) { const ScreenDpi restored; }

}  // namespace
