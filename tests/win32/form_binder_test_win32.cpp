// The form binder against real windows: a sample form with every kind of control is bound to a
// top-level window; model changes must show in the windows, input into the windows must reach
// the model as a user's would, and nothing may echo back and forth.
//
// With ZEPHYR_BINDER_SHOW_MS set, SampleFormStaysOnScreenForALook keeps the populated form on
// screen that long, for a screenshot.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/custom_controls.h"
#include "ui/form_binder_win32.h"
#include "ui/timer_scheduler_win32.h"
#include "win32/automation_win32.h"

namespace zephyr::testing {
namespace {

using ui::FormBinderWin32;
using ui::TimerSchedulerWin32;

class SampleForm : public ui::Form {
 public:
  explicit SampleForm(std::string name = "frmBinderSample")
      : Form({.name = std::move(name),
              .caption = "Binder sample",
              .bounds = {160, 100, 440, 300},
              .visible = true}) {
    cmdSave.Click.Connect([this] { ++saveClicks; });
    chkFast.Click.Connect([this] { ++fastClicks; });
    optMode.Connect(&ui::OptionButton::Click, [this](int index) { ++modeClicks.at(index); });
    txtHost.Change.Connect([this] {
      hostTexts.push_back(txtHost.Text());
      if (onHostChange) onHostChange();
    });
    cboSpeed.Click.Connect([this] { ++speedClicks; });
    cboProfile.Change.Connect([this] { profileTexts.push_back(cboProfile.Text()); });
    lvwBackups.ColumnClick.Connect([this](ui::ColumnHeader& column) {
      columnClicks.push_back(column.Index());
    });
    lvwBackups.ItemClick.Connect([this](const ui::ListItem& item) {
      itemClicks.push_back(item.Text());
    });
    sldLevel.Change.Connect([this] { ++levelChanges; });
    sldLevel.Click.Connect([this] { ++levelClicks; });
    updCount.Change.Connect([this] { ++countChanges; });
    tmrPoll.Tick.Connect([this] { ++ticks; });
  }

  ui::Label lblHost{*this, {.name = "lblHost", .caption = "&Host:", .bounds = {12, 14, 44, 16}}};
  ui::TextBox txtHost{*this, {.name = "txtHost", .bounds = {60, 10, 166, 22}, .maxLength = 24}};
  ui::Frame fraMode{*this, {.name = "fraMode", .caption = "Mode", .bounds = {12, 40, 214, 96}}};
  ui::ControlArray<ui::OptionButton> optMode{
      *this,
      "optMode",
      {{.container = &fraMode, .caption = "&Automatic", .bounds = {10, 20, 110, 20}, .value = true},
       {.container = &fraMode, .caption = "&Manual", .bounds = {10, 44, 110, 20}},
       {.container = &fraMode, .caption = "&Off", .bounds = {10, 68, 110, 20}}}};
  ui::CheckBox chkFast{
      *this,
      {.name = "chkFast", .container = &fraMode, .caption = "&Fast", .bounds = {128, 20, 76, 20}}};
  ui::ComboBox cboSpeed{*this,
                        {.name = "cboSpeed",
                         .bounds = {240, 10, 188, 22},
                         .style = ui::ComboStyle::kDropdownList,
                         .items = {"14.4 kbit/s", "28.8 kbit/s", "56 kbit/s", "ISDN"}}};
  ui::ComboBox cboProfile{
      *this, {.name = "cboProfile", .bounds = {240, 40, 188, 22}, .items = {"Home", "Office"}}};
  ui::ListView lvwBackups{*this,
                          {.name = "lvwBackups",
                           .bounds = {240, 70, 188, 110},
                           .columns = {{.text = "File", .width = 100},
                                       {.text = "Date", .width = 80}}}};
  ui::Slider sldLevel{*this, {.name = "sldLevel", .bounds = {12, 144, 214, 32}, .value = 3}};
  ui::TextBox txtCount{*this, {.name = "txtCount", .bounds = {240, 190, 60, 22}}};
  ui::UpDown updCount{
      *this,
      {.name = "updCount", .bounds = {300, 190, 18, 22}, .buddy = &txtCount, .min = 1, .max = 9,
       .value = 4}};
  ui::Histogram hisCPU{*this, {.name = "hisCPU", .bounds = {12, 186, 200, 80}, .maxLines = 20}};
  ui::CommandButton cmdSave{
      *this, {.name = "cmdSave", .caption = "&Save", .bounds = {248, 264, 84, 24}}};
  ui::CommandButton cmdClose{
      *this, {.name = "cmdClose", .caption = "Close", .bounds = {344, 264, 84, 24}}};
  ui::Timer tmrPoll{*this, {.name = "tmrPoll", .interval = 50, .enabled = false}};
  ui::Movie flash{*this, {.name = "flash", .bounds = {0, 0, 10, 10}, .visible = false}};

  int saveClicks = 0;
  int fastClicks = 0;
  std::array<int, 3> modeClicks{};
  std::vector<std::string> hostTexts;
  std::function<void()> onHostChange;
  int speedClicks = 0;
  std::vector<std::string> profileTexts;
  std::vector<int> columnClicks;
  std::vector<std::string> itemClicks;
  int levelChanges = 0;
  int levelClicks = 0;
  int countChanges = 0;
  int ticks = 0;
};

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

using automation::NameOf;

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

bool HasStyle(HWND window, LONG style) { return (GetWindowLongA(window, GWL_STYLE) & style) != 0; }

struct ToolTipSearch {
  HWND form;
  HWND found;
};

BOOL CALLBACK MatchToolTip(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ToolTipSearch*>(param);
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  if (GetWindow(window, GW_OWNER) != search->form || lstrcmpiA(name, TOOLTIPS_CLASSA) != 0) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

// The tools of the tooltip window that belongs to `form`; -1 when it has none.
int ToolTipCount(HWND form) {
  ToolTipSearch search{form, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchToolTip, reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return -1;
  return static_cast<int>(SendMessageA(search.found, TTM_GETTOOLCOUNT, 0, 0));
}

void PumpOnce() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (!ui::TranslateDialogMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

// Runs the message loop until `done` or `milliseconds` have passed; false on the time-out.
bool PumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= milliseconds) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    PumpOnce();
  }
  return true;
}

void Pump(DWORD milliseconds) { PumpUntil([] { return false; }, milliseconds); }

// A key through the main loop's dialog handling, as the program's message loop passes it.
bool PressDialogKey(UINT message, WPARAM key, LPARAM flags = 0) {
  MSG msg{};
  msg.hwnd = GetFocus();
  msg.message = message;
  msg.wParam = key;
  msg.lParam = flags;
  return ui::TranslateDialogMessage(msg);
}

class FormBinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(binder.Bind(form, nullptr, timers));
    PumpOnce();
  }

  HWND Window(const ui::Control& control) const { return binder.WindowOf(control); }

  TimerSchedulerWin32 timers;
  SampleForm form;
  FormBinderWin32 binder;
};

TEST_F(FormBinderTest, MakesOneNamedWindowOfTheRightClassPerControl) {
  const HWND formWindow = binder.FormWindow();
  EXPECT_EQ(NameOf(formWindow), "frmBinderSample");
  EXPECT_TRUE(form.Loaded()) << "binding loads the form";
  EXPECT_TRUE(IsWindowVisible(formWindow));
  RECT client;
  GetClientRect(formWindow, &client);
  EXPECT_EQ(client.right, 440) << "Bounds give the client area";
  EXPECT_EQ(client.bottom, 300);

  const struct {
    const ui::Control& control;
    const char* className;
    const char* name;
  } expected[] = {
      {form.lblHost, "static", "lblHost"},
      {form.txtHost, "edit", "txtHost"},
      {form.fraMode, "button", "fraMode"},
      {form.optMode(0), "button", "optMode(0)"},
      {form.optMode(2), "button", "optMode(2)"},
      {form.chkFast, "button", "chkFast"},
      {form.cboSpeed, "combobox", "cboSpeed"},
      {form.lvwBackups, "syslistview32", "lvwBackups"},
      {form.sldLevel, "msctls_trackbar32", "sldLevel"},
      {form.updCount, "msctls_updown32", "updCount"},
      {form.hisCPU, "zephyrnethistogram", "hisCPU"},
      {form.cmdSave, "button", "cmdSave"},
  };
  for (const auto& [control, className, name] : expected) {
    const HWND window = Window(control);
    ASSERT_NE(window, nullptr) << name;
    EXPECT_EQ(ClassOf(window), className) << name;
    EXPECT_EQ(NameOf(window), name);
    EXPECT_TRUE(IsWindowVisible(window)) << name;
  }
  EXPECT_EQ(Window(form.tmrPoll), nullptr) << "a timer has no window";
  EXPECT_EQ(Window(form.flash), nullptr) << "no movie host was given";
  EXPECT_NE(SendMessageA(Window(form.cmdSave), WM_GETFONT, 0, 0), 0);

  // Controls in a frame are its children, placed relative to it.
  EXPECT_EQ(GetParent(Window(form.optMode(1))), Window(form.fraMode));
  EXPECT_EQ(GetParent(Window(form.cmdSave)), formWindow);
  RECT frame;
  RECT option;
  GetWindowRect(Window(form.fraMode), &frame);
  GetWindowRect(Window(form.optMode(1)), &option);
  EXPECT_EQ(option.left - frame.left, 10);
  EXPECT_EQ(option.top - frame.top, 44);

  // One arrow-key group for the options, entered by Tab at the selected one.
  EXPECT_TRUE(HasStyle(Window(form.optMode(0)), WS_GROUP));
  EXPECT_FALSE(HasStyle(Window(form.optMode(1)), WS_GROUP));
  EXPECT_TRUE(HasStyle(Window(form.chkFast), WS_GROUP));
  EXPECT_TRUE(HasStyle(Window(form.optMode(0)), WS_TABSTOP));
  EXPECT_FALSE(HasStyle(Window(form.optMode(1)), WS_TABSTOP));

  // The first state comes from the model.
  EXPECT_EQ(SendMessageA(Window(form.optMode(0)), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(TextOf(Window(form.txtCount)), "4") << "the up-down wrote its buddy";
  EXPECT_EQ(SendMessageA(Window(form.cboSpeed), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(SendMessageA(Window(form.sldLevel), TBM_GETPOS, 0, 0), 3);
  EXPECT_EQ(SendMessageA(Window(form.txtHost), EM_GETLIMITTEXT, 0, 0), 24);
}

TEST_F(FormBinderTest, ModelChangesShowInTheWindows) {
  form.SetCaption("Renamed");
  EXPECT_EQ(TextOf(binder.FormWindow()), "Renamed");

  form.chkFast.SetValue(ui::kChecked);
  EXPECT_EQ(SendMessageA(Window(form.chkFast), BM_GETCHECK, 0, 0), BST_CHECKED);
  form.chkFast.SetValue(ui::kGrayed);
  EXPECT_EQ(SendMessageA(Window(form.chkFast), BM_GETCHECK, 0, 0), BST_INDETERMINATE);

  form.optMode(2).SetValue(true);
  EXPECT_EQ(SendMessageA(Window(form.optMode(2)), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(Window(form.optMode(0)), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_TRUE(HasStyle(Window(form.optMode(2)), WS_TABSTOP)) << "the tab stop follows the choice";
  EXPECT_FALSE(HasStyle(Window(form.optMode(0)), WS_TABSTOP));

  form.txtHost.SetText("router.local");
  EXPECT_EQ(TextOf(Window(form.txtHost)), "router.local");
  form.txtHost.SetLocked(true);
  EXPECT_TRUE(HasStyle(Window(form.txtHost), ES_READONLY));

  form.cmdSave.SetCaption("&Store");
  EXPECT_EQ(TextOf(Window(form.cmdSave)), "&Store");
  form.cmdSave.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(Window(form.cmdSave)));
  form.cmdSave.SetToolTipText("Writes the settings");
  EXPECT_EQ(ToolTipCount(binder.FormWindow()), 1);
  form.cmdSave.SetToolTipText("");
  EXPECT_EQ(ToolTipCount(binder.FormWindow()), 0);
  form.cmdSave.SetBounds({20, 262, 100, 26});
  RECT button;
  GetClientRect(Window(form.cmdSave), &button);
  EXPECT_EQ(button.right, 100);

  // A disabled or hidden frame takes its controls along, without changing their own state.
  form.fraMode.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(Window(form.optMode(1))));
  EXPECT_FALSE(IsWindowEnabled(Window(form.chkFast)));
  form.fraMode.SetEnabled(true);
  EXPECT_TRUE(IsWindowEnabled(Window(form.chkFast)));
  form.fraMode.SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(Window(form.optMode(1))));
  form.fraMode.SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(Window(form.optMode(1))));

  form.cboSpeed.AddItem("LAN");
  form.cboSpeed.SetListIndex(4);
  EXPECT_EQ(SendMessageA(Window(form.cboSpeed), CB_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(SendMessageA(Window(form.cboSpeed), CB_GETCURSEL, 0, 0), 4);
  EXPECT_EQ(TextOf(Window(form.cboSpeed)), "LAN");
  form.cboProfile.SetText("Travel");
  EXPECT_EQ(TextOf(Window(form.cboProfile)), "Travel");

  const HWND list = Window(form.lvwBackups);
  form.lvwBackups.AddItem("tcpip-2.reg", {"2024-03-02"});
  form.lvwBackups.AddItem("tcpip-1.reg", {"2024-03-01"});
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
  char text[64] = {};
  LVITEMA item{};
  item.iSubItem = 1;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, "2024-03-01");
  form.lvwBackups.SelectItem(1);
  EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
  form.lvwBackups.SetSorted(true);
  EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0)
      << "the selected item moved with the sort";
  item.iSubItem = 0;
  SendMessageA(list, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, "tcpip-1.reg");
  HDITEMA header{};
  header.mask = HDI_FORMAT;
  SendMessageA(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0)), HDM_GETITEMA, 0,
               reinterpret_cast<LPARAM>(&header));
  EXPECT_NE(header.fmt & HDF_SORTUP, 0) << "the sorted column shows its arrow";

  form.sldLevel.SetMax(20);
  form.sldLevel.SetValue(15);
  EXPECT_EQ(SendMessageA(Window(form.sldLevel), TBM_GETRANGEMAX, 0, 0), 20);
  EXPECT_EQ(SendMessageA(Window(form.sldLevel), TBM_GETPOS, 0, 0), 15);

  form.updCount.SetValue(7);
  EXPECT_EQ(TextOf(Window(form.txtCount)), "7");
  EXPECT_EQ(SendMessageA(Window(form.updCount), UDM_GETPOS32, 0, 0), 7);

  form.SetMousePointer(ui::kPointerHourglass);
  SendMessageA(Window(form.txtHost), WM_SETCURSOR, reinterpret_cast<WPARAM>(Window(form.txtHost)),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT)) << "the form's pointer wins";
  form.SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(binder.FormWindow()));
}

TEST_F(FormBinderTest, InputInTheWindowsReachesTheModelAsAUsersWould) {
  SendMessageA(Window(form.cmdSave), BM_CLICK, 0, 0);
  EXPECT_EQ(form.saveClicks, 1);

  SendMessageA(Window(form.chkFast), BM_CLICK, 0, 0);
  EXPECT_EQ(form.chkFast.Value(), ui::kChecked);
  SendMessageA(Window(form.chkFast), BM_CLICK, 0, 0);
  EXPECT_EQ(form.chkFast.Value(), ui::kUnchecked);
  EXPECT_EQ(SendMessageA(Window(form.chkFast), BM_GETCHECK, 0, 0), BST_UNCHECKED)
      << "the box shows what the model made of the click, not its own third state";
  form.chkFast.SetValue(ui::kGrayed);
  form.fastClicks = 0;
  SendMessageA(Window(form.chkFast), BM_CLICK, 0, 0);
  EXPECT_EQ(form.chkFast.Value(), ui::kUnchecked) << "a click on a grayed box clears it";
  EXPECT_EQ(SendMessageA(Window(form.chkFast), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(form.fastClicks, 1);

  SendMessageA(Window(form.optMode(1)), BM_CLICK, 0, 0);
  EXPECT_TRUE(form.optMode(1).Value());
  EXPECT_FALSE(form.optMode(0).Value());
  EXPECT_EQ(form.modeClicks[1], 1);

  const HWND host = Window(form.txtHost);
  SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("router"));
  EXPECT_EQ(form.txtHost.Text(), "router");
  SetFocus(host);
  SendMessageA(host, EM_SETSEL, 6, 6);
  SendMessageA(host, WM_CHAR, 'X', 1);
  EXPECT_EQ(form.txtHost.Text(), "routerX");
  EXPECT_EQ(form.hostTexts, (std::vector<std::string>{"router", "routerX"}));

  SetFocus(Window(form.cboSpeed));
  SendMessageA(Window(form.cboSpeed), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(form.cboSpeed.ListIndex(), 0);
  EXPECT_EQ(form.speedClicks, 1);

  const HWND profileEdit = GetWindow(Window(form.cboProfile), GW_CHILD);
  ASSERT_NE(profileEdit, nullptr);
  SendMessageA(profileEdit, WM_CHAR, 'W', 1);
  EXPECT_EQ(form.cboProfile.Text(), "W");

  form.lvwBackups.AddItem("one.reg", {"1"});
  form.lvwBackups.AddItem("two.reg", {"2"});
  const HWND list = Window(form.lvwBackups);
  const auto header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  RECT column;
  SendMessageA(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&column));
  const LPARAM where =
      MAKELPARAM((column.left + column.right) / 2, (column.top + column.bottom) / 2);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, where);
  SendMessageA(header, WM_LBUTTONUP, 0, where);
  EXPECT_EQ(form.columnClicks, std::vector<int>{2});
  SetFocus(list);
  SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(list, WM_KEYUP, VK_DOWN, 0);
  EXPECT_EQ(form.lvwBackups.SelectedIndex(), std::optional<std::size_t>(0));
  SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(list, WM_KEYUP, VK_DOWN, 0);
  EXPECT_EQ(form.lvwBackups.SelectedIndex(), std::optional<std::size_t>(1));
  EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 1);
  EXPECT_EQ(form.itemClicks, (std::vector<std::string>{"one.reg", "two.reg"}));

  SetFocus(Window(form.sldLevel));
  SendMessageA(Window(form.sldLevel), WM_KEYDOWN, VK_RIGHT, 0);
  SendMessageA(Window(form.sldLevel), WM_KEYUP, VK_RIGHT, 0);
  EXPECT_EQ(form.sldLevel.Value(), 4);
  EXPECT_EQ(form.levelChanges, 1);
  EXPECT_EQ(form.levelClicks, 1) << "the end of the move is not a second move";

  const HWND upDown = Window(form.updCount);
  RECT arrows;
  GetClientRect(upDown, &arrows);
  const LPARAM upper = MAKELPARAM(arrows.right / 2, arrows.bottom / 4);
  SendMessageA(upDown, WM_LBUTTONDOWN, MK_LBUTTON, upper);
  SendMessageA(upDown, WM_LBUTTONUP, 0, upper);
  EXPECT_EQ(form.updCount.Value(), 5);
  EXPECT_EQ(form.countChanges, 1);
  EXPECT_EQ(TextOf(Window(form.txtCount)), "5");
}

TEST_F(FormBinderTest, WindowsSetFromTheModelDoNotComeBackAsInput) {
  // A handler that writes the box again: the model's own second Change, then quiet.
  int depth = 0;
  form.onHostChange = [&] {
    ++depth;
    std::string upper = form.txtHost.Text();
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    form.txtHost.SetText(upper);
  };
  SendMessageA(Window(form.txtHost), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  EXPECT_EQ(form.hostTexts, (std::vector<std::string>{"abc", "ABC"}));
  EXPECT_EQ(TextOf(Window(form.txtHost)), "ABC");
  EXPECT_EQ(depth, 2);

  form.chkFast.SetValue(ui::kChecked);
  form.optMode(2).SetValue(true);
  form.cboSpeed.SetListIndex(1);
  form.sldLevel.SetValue(8);
  form.updCount.SetValue(2);
  form.lvwBackups.AddItem("one.reg");
  form.lvwBackups.SelectItem(0);
  PumpOnce();
  EXPECT_EQ(form.fastClicks, 1) << "only the model's own Click";
  EXPECT_EQ(form.modeClicks, (std::array<int, 3>{0, 0, 1}));
  EXPECT_EQ(form.speedClicks, 1);
  EXPECT_EQ(form.levelChanges, 1);
  EXPECT_EQ(form.levelClicks, 0);
  EXPECT_EQ(form.countChanges, 1);
  EXPECT_TRUE(form.itemClicks.empty()) << "selecting from code raises nothing";
}

TEST_F(FormBinderTest, TimersTickThroughTheMessageLoopAndStopWhenDisabled) {
  form.tmrPoll.SetEnabled(true);
  EXPECT_TRUE(timers.IsRunning(form.tmrPoll));
  EXPECT_TRUE(PumpUntil([&] { return form.ticks >= 2; }, 3000)) << form.ticks << " ticks";

  form.tmrPoll.SetEnabled(false);
  EXPECT_FALSE(timers.IsRunning(form.tmrPoll));
  const int ticks = form.ticks;
  Pump(200);
  EXPECT_EQ(form.ticks, ticks);

  // A form loaded without windows (a panel not shown yet) runs its timers all the same.
  SampleForm hidden("frmHiddenTimers");
  hidden.Load(timers);
  hidden.tmrPoll.SetEnabled(true);
  EXPECT_TRUE(PumpUntil([&] { return hidden.ticks >= 2; }, 3000)) << hidden.ticks << " ticks";
  hidden.Unload();
  EXPECT_FALSE(timers.IsRunning(hidden.tmrPoll));
}

TEST_F(FormBinderTest, DialogKeysFollowTheTabOrderGroupsAndMnemonics) {
  SetFocus(Window(form.txtHost));
  const ui::Control* order[] = {&form.optMode(0), &form.chkFast, &form.cboSpeed,
                                &form.cboProfile, &form.lvwBackups, &form.sldLevel,
                                &form.txtCount, &form.cmdSave};
  for (const ui::Control* next : order) {
    EXPECT_TRUE(PressDialogKey(WM_KEYDOWN, VK_TAB));
    HWND focus = GetFocus();
    // An editable combo box takes the focus into its edit part.
    if (GetParent(focus) == Window(form.cboProfile)) focus = GetParent(focus);
    EXPECT_EQ(focus, Window(*next)) << next->AutomationName() << " has "
                                    << NameOf(focus) << NameOf(GetParent(focus));
  }

  // The arrow keys move within the option group and select as they go.
  SetFocus(Window(form.optMode(0)));
  EXPECT_TRUE(PressDialogKey(WM_KEYDOWN, VK_DOWN));
  EXPECT_EQ(GetFocus(), Window(form.optMode(1)));
  EXPECT_TRUE(form.optMode(1).Value());
  EXPECT_EQ(form.modeClicks[1], 1);

  EXPECT_TRUE(PressDialogKey(WM_SYSCHAR, 's', 1 << 29));
  EXPECT_EQ(form.saveClicks, 1) << "Alt+S presses &Save";
  EXPECT_TRUE(PressDialogKey(WM_SYSCHAR, 'h', 1 << 29));
  EXPECT_EQ(GetFocus(), Window(form.txtHost)) << "Alt+H goes to the box after &Host:";
}

TEST_F(FormBinderTest, HistogramDrawsTheNewestSamplesAtTheRight) {
  form.hisCPU.SetCurrentValue(100);
  form.hisCPU.SetCurrentValue(50);
  // 200 pixels in 20 slots: the newest bar in x 190..198, the one before in 180..188.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 200;
  info.bmiHeader.biHeight = -80;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  SendMessageA(Window(form.hisCPU), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  const COLORREF green = RGB(0, 255, 0);
  const COLORREF black = RGB(0, 0, 0);
  EXPECT_EQ(GetPixel(dc, 194, 79), green);
  EXPECT_EQ(GetPixel(dc, 194, 41), green);
  EXPECT_EQ(GetPixel(dc, 194, 38), black) << "a bar of 50 is half as high";
  EXPECT_EQ(GetPixel(dc, 184, 0), green) << "a bar of 100 fills the height";
  EXPECT_EQ(GetPixel(dc, 199, 79), black) << "bars keep a gap";
  EXPECT_EQ(GetPixel(dc, 174, 79), black) << "no bar where there is no sample yet";
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

TEST_F(FormBinderTest, HistogramScrollsOneSlotPerSampleAndMatchesAFreshDrawing) {
  // The client area printed into a 200 x 80 bitmap; the colour at each slot's bottom and top.
  const auto print = [&](std::vector<COLORREF>& bottoms, std::vector<COLORREF>& tops) {
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 80);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    SendMessageA(Window(form.hisCPU), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    bottoms.clear();
    tops.clear();
    for (int slot = 0; slot < 20; ++slot) {
      bottoms.push_back(GetPixel(dc, slot * 10 + 4, 79));
      tops.push_back(GetPixel(dc, slot * 10 + 4, 2));
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  };
  std::vector<COLORREF> bottoms, tops, freshBottoms, freshTops;
  for (int i = 0; i < 25; ++i) {
    form.hisCPU.SetCurrentValue(i % 3 == 0 ? 100 : (i % 3 == 1 ? 0 : 50));
    print(bottoms, tops);  // each sample scrolls what the last one left
  }
  form.hisCPU.SetMaxLines(21);
  form.hisCPU.SetMaxLines(20);  // drawn afresh
  print(freshBottoms, freshTops);
  EXPECT_EQ(bottoms, freshBottoms);
  EXPECT_EQ(tops, freshTops);
  // Sample 24 (100) at the right, 23 (50) and 22 (0) before it.
  EXPECT_EQ(tops[19], RGB(0, 255, 0));
  EXPECT_EQ(bottoms[18], RGB(0, 255, 0));
  EXPECT_EQ(tops[18], RGB(0, 0, 0));
  EXPECT_EQ(bottoms[17], RGB(0, 0, 0));
}

TEST_F(FormBinderTest, SampleFormStaysOnScreenForALook) {
  form.txtHost.SetText("router.local");
  form.lvwBackups.AddItem("tcpip-1.reg", {"2024-03-01"});
  form.lvwBackups.AddItem("tcpip-2.reg", {"2024-03-02"});
  form.cboSpeed.SetListIndex(2);
  form.cboProfile.SetText("Home");
  for (double sample : {20.0, 35.0, 50.0, 45.0, 80.0, 65.0, 90.0, 30.0, 55.0, 70.0}) {
    form.hisCPU.SetCurrentValue(sample);
  }
  form.cmdClose.SetEnabled(false);
  if (const char* show = std::getenv("ZEPHYR_BINDER_SHOW_MS")) {
    Pump(static_cast<DWORD>(std::strtoul(show, nullptr, 10)));
  }
  EXPECT_TRUE(IsWindowVisible(binder.FormWindow()));
}

// ---------------------------------------------------------------------------------------------

bool AtomExists(const char* name) { return GlobalFindAtomA(name) != 0; }

TEST(FormBinderLifetime, UnloadingClosingOrDestroyingTheFormTakesTheWindowsAndNamesAway) {
  TimerSchedulerWin32 timers;
  {
    SampleForm form("frmUnloadProbe");
    FormBinderWin32 binder;
    ASSERT_TRUE(binder.Bind(form, nullptr, timers));
    const HWND window = binder.FormWindow();
    EXPECT_TRUE(AtomExists("frmUnloadProbe"));
    EXPECT_TRUE(AtomExists("lvwBackups"));
    form.Unload();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(binder.Bound());
    EXPECT_FALSE(AtomExists("frmUnloadProbe"));
    EXPECT_FALSE(AtomExists("lvwBackups"));
  }
  {
    SampleForm form("frmCloseProbe");
    FormBinderWin32 binder;
    ASSERT_TRUE(binder.Bind(form, nullptr, timers));
    SendMessageA(binder.FormWindow(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(form.Loaded()) << "closing the window unloads the form";
    EXPECT_FALSE(binder.Bound());
  }
  {
    auto form = std::make_unique<SampleForm>("frmDestroyProbe");
    FormBinderWin32 binder;
    ASSERT_TRUE(binder.Bind(*form, nullptr, timers));
    form->tmrPoll.SetEnabled(true);
    const HWND window = binder.FormWindow();
    form.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(binder.Bound());
    EXPECT_FALSE(AtomExists("frmDestroyProbe"));
    EXPECT_EQ(timers.RunningCount(), 0u);
  }
  {
    // The binder goes first: the form stays loaded, unobserved, and its timer moves to the
    // scheduler's own window.
    SampleForm form("frmOutlivesBinder");
    auto binder = std::make_unique<FormBinderWin32>();
    ASSERT_TRUE(binder->Bind(form, nullptr, timers));
    form.tmrPoll.SetEnabled(true);
    const HWND window = binder->FormWindow();
    binder.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(form.Observer(), nullptr);
    EXPECT_TRUE(form.Loaded());
    EXPECT_TRUE(PumpUntil([&] { return form.ticks >= 1; }, 3000));
  }
  EXPECT_EQ(timers.RunningCount(), 0u);
}

TEST(FormBinderLifetime, AHandlerMayDestroyTheBinderAndOneFormTakesOneBinder) {
  TimerSchedulerWin32 timers;
  SampleForm form("frmHandlerProbe");
  auto binder = std::make_unique<FormBinderWin32>();
  ASSERT_TRUE(binder->Bind(form, nullptr, timers));
  FormBinderWin32 second;
  EXPECT_FALSE(second.Bind(form, nullptr, timers)) << "the form has its observer already";

  const HWND save = binder->WindowOf(form.cmdSave);
  form.cmdSave.Click.Connect([&] { binder.reset(); });
  SendMessageA(save, BM_CLICK, 0, 0);
  EXPECT_EQ(binder, nullptr);
  EXPECT_FALSE(IsWindow(save));
  EXPECT_TRUE(second.Bind(form, nullptr, timers)) << "free again once the first let go";
}

// Controls the host puts off get their windows from the message loop, after all the others and
// set to the model as it is then; until then the model may change freely.
TEST(FormBinderDeferred, PutOffControlsGetTheirWindowsOnceTheLoopRuns) {
  TimerSchedulerWin32 timers;
  SampleForm form("frmDeferredProbe");
  FormBinderWin32 binder;
  const auto later = [&form](const ui::Control& control) {
    return &control == &form.cmdSave || &control == &form.cmdClose;
  };
  ASSERT_TRUE(binder.Bind(form, nullptr, timers, later));
  EXPECT_TRUE(binder.HasDeferredWindows());
  EXPECT_EQ(binder.WindowOf(form.cmdSave), nullptr);
  ASSERT_NE(binder.WindowOf(form.txtHost), nullptr);
  form.cmdSave.SetCaption("&Keep");
  form.cmdClose.SetEnabled(false);

  PumpOnce();
  EXPECT_FALSE(binder.HasDeferredWindows());
  const HWND save = binder.WindowOf(form.cmdSave);
  const HWND close = binder.WindowOf(form.cmdClose);
  ASSERT_NE(save, nullptr);
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(NameOf(save), "cmdSave");
  EXPECT_EQ(TextOf(save), "&Keep");
  EXPECT_FALSE(IsWindowEnabled(close));
  EXPECT_EQ(GetWindow(save, GW_HWNDNEXT), close);
  EXPECT_EQ(GetWindow(close, GW_HWNDNEXT), nullptr) << "last in tab order, as in the model";
  SendMessageA(save, BM_CLICK, 0, 0);
  EXPECT_EQ(form.saveClicks, 1);

  // Unbound before the loop ran: nothing is made later.
  SampleForm other("frmDeferredUnbound");
  FormBinderWin32 gone;
  ASSERT_TRUE(gone.Bind(other, nullptr, timers, later));
  gone.Unbind();
  PumpOnce();
  EXPECT_FALSE(AtomExists("frmDeferredUnbound"));
  EXPECT_FALSE(gone.HasDeferredWindows());
}

// A borderless form is a popup whose whole window is its client area, at the form's size.
TEST(FormBinderBorder, ABorderlessFormHasNoCaptionAndKeepsItsSize) {
  class Borderless : public ui::Form {
   public:
    Borderless()
        : Form({.name = "frmBorderless", .caption = "Borderless", .bounds = {0, 0, 320, 200},
                .borderStyle = ui::BorderStyle::kNone}) {}
  } form;
  TimerSchedulerWin32 timers;
  FormBinderWin32 binder;
  ASSERT_TRUE(binder.Bind(form, nullptr, timers));
  const HWND window = binder.FormWindow();
  EXPECT_TRUE(HasStyle(window, WS_POPUP));
  EXPECT_FALSE(HasStyle(window, WS_CAPTION));
  EXPECT_TRUE(HasStyle(window, WS_MINIMIZEBOX)) << "the taskbar can still minimize it";
  RECT outer;
  RECT client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  EXPECT_EQ(outer.right - outer.left, 320);
  EXPECT_EQ(outer.bottom - outer.top, 200);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 200);
}

class PanelForm : public ui::Form {
 public:
  PanelForm() : Form({.name = "frmPanelProbe", .bounds = {100, 16, 200, 40}}) {
    cmdApply.Click.Connect([this] { ++applyClicks; });
  }

  ui::TextBox txtValue{*this, {.name = "txtValue", .bounds = {4, 4, 80, 22}}};
  ui::CommandButton cmdApply{
      *this, {.name = "cmdApply", .caption = "A&pply", .bounds = {92, 4, 80, 24}}};
  int applyClicks = 0;
};

TEST(FormBinderPanel, APanelShownInAFrameOfTheMainFormTakesInputAndDialogKeys) {
  TimerSchedulerWin32 timers;
  SampleForm main("frmMainProbe");
  FormBinderWin32 mainBinder;
  ASSERT_TRUE(mainBinder.Bind(main, nullptr, timers));
  PanelForm panel;
  FormBinderWin32 panelBinder;
  const HWND frame = mainBinder.WindowOf(main.fraMode);
  ASSERT_TRUE(panelBinder.Bind(panel, frame, timers));
  EXPECT_FALSE(IsWindowVisible(panelBinder.FormWindow())) << "hidden until the panel is shown";
  panel.SetVisible(true);
  EXPECT_EQ(GetParent(panelBinder.FormWindow()), frame);
  RECT frameRect;
  RECT panelRect;
  GetWindowRect(frame, &frameRect);
  GetWindowRect(panelBinder.FormWindow(), &panelRect);
  EXPECT_EQ(panelRect.left - frameRect.left, 100);
  EXPECT_EQ(panelRect.right - panelRect.left, 200);

  const HWND apply = panelBinder.WindowOf(panel.cmdApply);
  SendMessageA(apply, BM_CLICK, 0, 0);
  EXPECT_EQ(panel.applyClicks, 1);
  SetFocus(mainBinder.WindowOf(main.chkFast));
  EXPECT_TRUE(PressDialogKey(WM_KEYDOWN, VK_TAB));
  EXPECT_EQ(GetFocus(), panelBinder.WindowOf(panel.txtValue)) << "Tab goes on into the panel";
  EXPECT_TRUE(PressDialogKey(WM_KEYDOWN, VK_TAB));
  EXPECT_EQ(GetFocus(), apply);
  // The main form hears Enter and passes the button's click on to the panel.
  EXPECT_TRUE(PressDialogKey(WM_KEYDOWN, VK_RETURN));
  EXPECT_EQ(panel.applyClicks, 2) << "Enter presses the focused button";
  EXPECT_TRUE(PressDialogKey(WM_SYSCHAR, 'p', 1 << 29));
  EXPECT_EQ(panel.applyClicks, 3) << "Alt+P reaches the panel's button through the main form";

  // The main form's windows take the panel's along; the panel stays loaded.
  mainBinder.Unbind();
  EXPECT_FALSE(IsWindow(apply));
  EXPECT_FALSE(panelBinder.Bound());
  EXPECT_TRUE(panel.Loaded());
  EXPECT_EQ(panel.Observer(), nullptr);
}

class FakeMovieHost final : public ui::ControlWindowHost {
 public:
  HWND CreateControlWindow(ui::Control& control, HWND parent) override {
    const ui::Rect& bounds = control.Bounds();
    window = CreateWindowExA(0, "STATIC", "movie", WS_CHILD | WS_CLIPSIBLINGS, bounds.x, bounds.y,
                             bounds.width, bounds.height, parent, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    return window;
  }
  void ControlChanged(ui::Control&, HWND, ui::Property what) override { changes.push_back(what); }

  HWND window = nullptr;
  std::vector<ui::Property> changes;
};

TEST(FormBinderMovieHost, AHostSuppliesTheMovieWindowAndHearsItsChanges) {
  TimerSchedulerWin32 timers;
  SampleForm form("frmMovieProbe");
  FakeMovieHost host;
  FormBinderWin32 binder;
  binder.SetMovieHost(&host);
  ASSERT_TRUE(binder.Bind(form, nullptr, timers));
  ASSERT_NE(host.window, nullptr);
  EXPECT_EQ(binder.WindowOf(form.flash), host.window);
  EXPECT_EQ(NameOf(host.window), "flash");
  EXPECT_FALSE(IsWindowVisible(host.window));

  form.flash.SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(host.window));
  form.flash.BringToFront();
  EXPECT_EQ(GetWindow(binder.FormWindow(), GW_CHILD), host.window) << "in front of the others";
  form.flash.SetVariable("_root.home", "true");
  EXPECT_EQ(host.changes,
            (std::vector<ui::Property>{ui::Property::kVisible, ui::Property::kZOrder,
                                       ui::Property::kVariables}));
}

}  // namespace
}  // namespace zephyr::testing
