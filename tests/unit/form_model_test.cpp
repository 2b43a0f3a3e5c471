// The form model driven as a panel would be: values set from code, and the same values set by a
// user through the fake host, must run the same handlers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_form_host.h"
#include "fakes/fake_timer_scheduler.h"
#include "ui/controls.h"
#include "ui/custom_controls.h"
#include "ui/form_model.h"

namespace zephyr::testing {
namespace {

using ui::CheckBox;
using ui::ControlArray;
using ui::OptionButton;
using ui::Property;

// One control of each kind, with handlers that log their names.
class SampleForm : public ui::Form {
 public:
  SampleForm() : Form({.name = "frmSample", .caption = "Sample"}) {
    optMode.Connect(&OptionButton::Click, [this](int index) { optMode_Click(index); });
    optAuto.Click.Connect([this] { Log("optAuto_Click"); });
    chkSound.Click.Connect([this] { Log("chkSound_Click"); });
    txtHost.Change.Connect(this, &SampleForm::txtHost_Change);
    txtLevel.Change.Connect([this] { Log("txtLevel_Change"); });
    updnLevel.Change.Connect([this] { Log("updnLevel_Change"); });
    cmbInterval.Click.Connect([this] { Log("cmbInterval_Click"); });
    lstFiles.ColumnClick.Connect(this, &SampleForm::lstFiles_ColumnClick);
    lstFiles.ItemClick.Connect(
        [this](const ui::ListItem& item) { Log("lstFiles_ItemClick " + item.Text()); });
    lstFiles.MouseUp.Connect([this] { Log("lstFiles_MouseUp"); });
    sldSpeed.Change.Connect([this] { Log("sldSpeed_Change"); });
    sldSpeed.Scroll.Connect([this] { Log("sldSpeed_Scroll"); });
    sldSpeed.Click.Connect([this] { Log("sldSpeed_Click"); });
    flash.FSCommand.Connect([this](const std::string& command, const std::string& args) {
      Log("flash_FSCommand " + command + " " + args);
    });
    cmdSave.Click.Connect([this] { Log("cmdSave_Click"); });
  }

  std::vector<std::string> events;

  ui::Frame frameModes{*this, {.name = "frameModes", .caption = "Modes"}};
  ControlArray<OptionButton> optMode{*this,
                                     "optMode",
                                     {{.container = &frameModes, .caption = "&Fast"},
                                      {.container = &frameModes, .caption = "&Balanced"},
                                      {.container = &frameModes, .caption = "Windows default"}}};
  OptionButton optAuto{*this, {.name = "optAuto", .caption = "Automatic", .value = true}};
  CheckBox chkSound{*this, {.name = "chkSound", .caption = "Play &Sound"}};
  ui::TextBox txtHost{*this, {.name = "txtHost", .text = "host", .maxLength = 6}};
  ui::TextBox txtLevel{*this, {.name = "txtLevel"}};
  ui::UpDown updnLevel{*this, {.name = "updnLevel", .buddy = &txtLevel, .max = 2, .value = 2}};
  ui::ComboBox cmbInterval{*this,
                           {.name = "cmbInterval",
                            .style = ui::ComboStyle::kDropdownList,
                            .items = {"1 min.", "2 min.", "3 min."}}};
  ui::ListView lstFiles{*this, {.name = "lstFiles", .columns = {{"File Name"}, {"Creating Date"}}}};
  ui::Slider sldSpeed{*this, {.name = "sldSpeed", .min = 300, .max = 1000, .value = 300}};
  ui::Histogram histCPU{*this, {.name = "histCPU"}};
  ui::Movie flash{*this, {.name = "flash"}};
  ui::Label lblStatus{*this, {.name = "lblStatus", .caption = "Ready"}};
  ui::CommandButton cmdSave{*this, {.name = "cmdSave", .caption = "&Save", .tabIndex = 0}};
  ui::Timer tmrPoll{*this, {.name = "tmrPoll", .interval = 300}};

 private:
  void Log(std::string event) { events.push_back(std::move(event)); }

  void Form_Load() override {
    Log("Form_Load");
    // Loading a stored value runs the handler, as the settings panels rely on.
    chkSound.SetValue(ui::kChecked);
  }

  void optMode_Click(int index) {
    Log("optMode_Click " + std::to_string(index));
    if (index == 2) txtHost.SetText("default host");
  }

  // Text with a space in it is not a host name: the box falls back to "host", which runs this
  // handler once more from inside itself.
  void txtHost_Change() {
    Log("txtHost_Change " + txtHost.Text());
    if (txtHost.Text().find(' ') != std::string::npos) txtHost.SetText("host");
  }

  // As the backup list does: the first click on a column sorts ascending, the next descending.
  void lstFiles_ColumnClick(ui::ColumnHeader& column) {
    const bool ascending = column.Tag() != "ASC";
    column.SetTag(ascending ? "ASC" : "DESC");
    for (int i = 1; i <= lstFiles.ColumnCount(); ++i) {
      if (i != column.Index()) lstFiles.Column(i).SetTag("");
    }
    lstFiles.SetSortOrder(ascending ? ui::SortOrder::kAscending : ui::SortOrder::kDescending);
    lstFiles.SetSortKey(column.Index() - 1);
    lstFiles.SetSorted(true);
  }
};

using Events = std::vector<std::string>;

class FormModelTest : public ::testing::Test {
 protected:
  FormModelTest() { host.Load(); }

  // Returns the events logged since the last call.
  Events TakeEvents() { return std::exchange(form.events, {}); }

  FakeTimerScheduler timers;
  SampleForm form;
  FakeFormHost host{form, timers};
};

TEST(Mnemonics, FindTheLetterAfterTheFirstSingleAmpersand) {
  EXPECT_EQ(ui::MnemonicOf("&Save"), 'S');
  EXPECT_EQ(ui::MnemonicOf("Optimize &Now"), 'N');
  EXPECT_EQ(ui::MnemonicOf("Step 5 of 8 : TTL && IE Optimization"), std::nullopt);
  EXPECT_EQ(ui::MnemonicOf("R&&D &tools"), 't');
  EXPECT_EQ(ui::MnemonicOf("Trailing&"), std::nullopt);
  EXPECT_EQ(ui::StripMnemonic("Step 5 of 8 : TTL && IE Optimization"),
            "Step 5 of 8 : TTL & IE Optimization");
  EXPECT_EQ(ui::StripMnemonic("Optimize &Now"), "Optimize Now");
}

TEST_F(FormModelTest, LoadRunsFormLoadOnceAndNamesWindowsInTabOrder) {
  EXPECT_EQ(TakeEvents(), (Events{"Form_Load", "chkSound_Click"}));
  host.Load();
  EXPECT_TRUE(TakeEvents().empty());

  const std::vector<std::string> names = host.WindowNames();
  ASSERT_EQ(names.size(), form.Controls().size() - 1) << "every control but the timer";
  EXPECT_EQ(names[0], "cmdSave") << "its tabIndex puts it first";
  EXPECT_EQ(names[1], "frameModes");
  EXPECT_EQ(names[3], "optMode(1)");
  EXPECT_EQ(form.FindControl("optMode(2)"), &form.optMode(2));
  EXPECT_EQ(form.optMode(2).Index(), 2);
  EXPECT_EQ(form.cmdSave.Index(), std::nullopt);
  EXPECT_EQ(form.FindControl("optMode"), nullptr);
}

TEST_F(FormModelTest, SettingValuesFromCodeRaisesTheSameEventsAsAUser) {
  TakeEvents();
  form.chkSound.SetValue(ui::kUnchecked);
  form.chkSound.SetValue(ui::kUnchecked);
  ASSERT_TRUE(host.Click("chkSound")) << host.Refusal();
  form.txtHost.SetText("lan");
  form.txtHost.SetText("lan");
  ASSERT_TRUE(host.ReplaceText("txtHost", "wan")) << host.Refusal();
  form.cmbInterval.SetListIndex(1);
  ASSERT_TRUE(host.Select("cmbInterval", 2)) << host.Refusal();
  form.cmbInterval.SetText("1 min.");
  form.cmbInterval.SetText("9 min.");
  form.cmbInterval.SetListIndex(-1);
  EXPECT_EQ(TakeEvents(),
            (Events{"chkSound_Click", "chkSound_Click", "txtHost_Change lan", "txtHost_Change wan",
                    "cmbInterval_Click", "cmbInterval_Click", "cmbInterval_Click"}))
      << "an unchanged value raises nothing";
  EXPECT_EQ(form.cmbInterval.Text(), "");

  form.chkSound.SetValue(7);
  EXPECT_EQ(form.chkSound.Value(), ui::kChecked) << "a value outside 0..2 is refused";
  form.chkSound.SetValue(ui::kGrayed);
  ASSERT_TRUE(host.Click("chkSound"));
  EXPECT_EQ(form.chkSound.Value(), ui::kUnchecked) << "a click on a grayed box clears it";
}

TEST_F(FormModelTest, OptionButtonsAreExclusiveWithinTheirContainerOnly) {
  TakeEvents();
  form.optMode(1).SetValue(true);
  EXPECT_TRUE(form.optMode(1).Value());
  EXPECT_TRUE(form.optAuto.Value()) << "options on the form are another group";

  ASSERT_TRUE(host.Click("optMode(0)")) << host.Refusal();
  EXPECT_TRUE(form.optMode(0).Value());
  EXPECT_FALSE(form.optMode(1).Value());
  form.optMode(0).SetValue(true);
  form.optMode(0).SetValue(false);
  EXPECT_EQ(TakeEvents(), (Events{"optMode_Click 1", "optMode_Click 0", "optMode_Click 0"}))
      << "selecting the selected option clicks it again; clearing one raises nothing";
  EXPECT_FALSE(form.optMode(0).Value());
}

TEST_F(FormModelTest, UsersCannotReachDisabledHiddenOrUnloadedControls) {
  form.frameModes.SetEnabled(false);
  EXPECT_FALSE(host.Click("optMode(1)"));
  EXPECT_EQ(host.Refusal(), "optMode(1) on frmSample is disabled");
  EXPECT_TRUE(form.optMode(1).Enabled()) << "the frame does not change its controls' own state";
  form.optMode(1).SetValue(true);
  EXPECT_TRUE(form.optMode(1).Value()) << "code still reaches them";
  form.frameModes.SetEnabled(true);
  form.frameModes.SetVisible(false);
  EXPECT_FALSE(host.Click("optMode(1)"));
  EXPECT_EQ(host.Refusal(), "optMode(1) on frmSample is hidden");

  EXPECT_FALSE(host.Click("txtHost"));
  EXPECT_FALSE(host.Type("cmdMissing", "x"));
  EXPECT_EQ(host.Refusal(), "no control cmdMissing on frmSample");

  host.Unload();
  EXPECT_FALSE(host.Click("cmdSave"));
  EXPECT_EQ(host.Refusal(), "frmSample is not loaded");
}

TEST_F(FormModelTest, TypingFollowsMaxLengthLockedAndSingleLine) {
  TakeEvents();
  ASSERT_TRUE(host.Type("txtHost", "\b\b\b\bab"));
  EXPECT_EQ(TakeEvents().size(), 6u) << "one Change per key";
  EXPECT_FALSE(host.Type("txtHost", "cdefg")) << "six characters at most";
  EXPECT_EQ(form.txtHost.Text(), "abcdef");
  EXPECT_FALSE(host.Type("txtHost", "\r"));
  ASSERT_TRUE(host.ReplaceText("txtHost", "lan\r\nsecond line"));
  EXPECT_EQ(form.txtHost.Text(), "lan");
  form.txtHost.SetText("longer than six");
  EXPECT_EQ(form.txtHost.Text(), "host") << "code is not limited; the handler reverted it";

  form.txtHost.SetLocked(true);
  EXPECT_FALSE(host.Type("txtHost", "x"));
  form.txtHost.SetText("bycode");
  EXPECT_EQ(form.txtHost.Text(), "bycode") << "code still sets a locked box";
}

TEST_F(FormModelTest, UpDownWritesItsBuddyAndFollowsWhatIsTypedThere) {
  EXPECT_EQ(form.txtLevel.Text(), "2") << "the buddy shows the initial value";
  TakeEvents();
  ASSERT_TRUE(host.Spin("updnLevel", 1));
  EXPECT_TRUE(TakeEvents().empty()) << "already at the top of the range";
  ASSERT_TRUE(host.Spin("updnLevel", -5));
  EXPECT_EQ(form.updnLevel.Value(), 0);
  EXPECT_EQ(form.txtLevel.Text(), "0");
  EXPECT_EQ(TakeEvents(), (Events{"txtLevel_Change", "updnLevel_Change"}));

  ASSERT_TRUE(host.ReplaceText("txtLevel", "1"));
  EXPECT_EQ(form.updnLevel.Value(), 1);
  EXPECT_EQ(TakeEvents(), (Events{"updnLevel_Change", "txtLevel_Change"}))
      << "the up-down has followed when the box's handler runs";
  form.txtLevel.SetText("70000");
  EXPECT_EQ(form.updnLevel.Value(), 2) << "pulled into the range";
  form.txtLevel.SetText("abc");
  EXPECT_EQ(form.updnLevel.Value(), 2) << "text that is no number leaves the value";

  form.updnLevel.SetMax(1);
  EXPECT_EQ(form.updnLevel.Value(), 1);
  EXPECT_EQ(form.txtLevel.Text(), "1") << "a smaller range moves the value and the text";
  form.updnLevel.SetValue(-3);
  EXPECT_EQ(form.txtLevel.Text(), "0");
}

TEST_F(FormModelTest, ComboBoxKeepsItsSelectionAcrossRemovals) {
  form.cmbInterval.SetListIndex(2);
  form.cmbInterval.RemoveItem(0);
  EXPECT_EQ(form.cmbInterval.ListIndex(), 1);
  EXPECT_EQ(form.cmbInterval.Text(), "3 min.");
  form.cmbInterval.RemoveItem(1);
  EXPECT_EQ(form.cmbInterval.ListIndex(), -1);
  EXPECT_EQ(form.cmbInterval.List(5), "");
  EXPECT_FALSE(host.ReplaceText("cmbInterval", "4 min.")) << "a drop-down list cannot be typed in";
  TakeEvents();
  form.cmbInterval.Clear();
  EXPECT_EQ(form.cmbInterval.ListCount(), 0);
  EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(FormModelTest, ListColumnClicksSortAlternatelyAndKeepTheSelection) {
  ui::ListView& list = form.lstFiles;
  list.AddItem("002.BCK", {"10.03.2004"});
  list.AddItem("001.bck", {"09.03.2004"});
  list.AddItem("003.BCK", {"09.03.2004"});
  ASSERT_TRUE(host.ClickItem("lstFiles", 0));
  EXPECT_EQ(list.SelectedItem()->Text(), "002.BCK");

  const auto texts = [&list](int key) {
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < list.ItemCount(); ++i) shown.push_back(list.Item(i).KeyText(key));
    return shown;
  };
  ASSERT_TRUE(host.ClickColumn("lstFiles", 1));
  EXPECT_EQ(texts(0), (std::vector<std::string>{"001.bck", "002.BCK", "003.BCK"}))
      << "sorted without regard to case";
  EXPECT_EQ(list.Column(1).Tag(), "ASC");
  ASSERT_TRUE(host.ClickColumn("lstFiles", 1));
  EXPECT_EQ(texts(0), (std::vector<std::string>{"003.BCK", "002.BCK", "001.bck"}));
  EXPECT_EQ(list.Column(1).Tag(), "DESC");
  EXPECT_EQ(list.SelectedItem()->Text(), "002.BCK");
  EXPECT_EQ(list.SelectedIndex(), 1u);

  ASSERT_TRUE(host.ClickColumn("lstFiles", 2));
  EXPECT_EQ(list.Column(1).Tag(), "");
  EXPECT_EQ(list.Column(2).Tag(), "ASC") << "another column starts again with ascending";
  EXPECT_EQ(texts(1), (std::vector<std::string>{"09.03.2004", "09.03.2004", "10.03.2004"}));
  EXPECT_EQ(texts(0), (std::vector<std::string>{"001.bck", "003.BCK", "002.BCK"}))
      << "equal dates keep their order";
  EXPECT_EQ(list.Item(list.AddItem("000.BCK", {"01.01.2004"})).Text(), "000.BCK");
  EXPECT_EQ(list.Item(0).Text(), "000.BCK") << "a sorted list puts new items in place";
  EXPECT_FALSE(host.ClickColumn("lstFiles", 3));

  list.SetSorted(false);
  list.SortItems([](const ui::ListItem&, const ui::ListItem&) { return -1; });
  EXPECT_EQ(list.ItemCount(), 4u) << "an inconsistent comparison stays inside the list";
  list.SortItems(
      [](const ui::ListItem& a, const ui::ListItem& b) { return a.Text().compare(b.Text()); });
  EXPECT_EQ(texts(0), (std::vector<std::string>{"000.BCK", "001.bck", "002.BCK", "003.BCK"}));

  list.RemoveItem(2);
  EXPECT_EQ(list.SelectedItem(), nullptr) << "the selected item is gone";
  TakeEvents();
  ASSERT_TRUE(host.ClickItem("lstFiles", 0));
  EXPECT_EQ(TakeEvents(), (Events{"lstFiles_ItemClick 000.BCK", "lstFiles_MouseUp"}));
}

TEST_F(FormModelTest, SliderRaisesChangeFromCodeAndScrollChangeClickFromTheUser) {
  TakeEvents();
  form.sldSpeed.SetValue(5000);
  EXPECT_EQ(form.sldSpeed.Value(), 1000);
  ASSERT_TRUE(host.MoveSlider("sldSpeed", 400));
  ASSERT_TRUE(host.MoveSlider("sldSpeed", 400));
  EXPECT_EQ(TakeEvents(), (Events{"sldSpeed_Change", "sldSpeed_Scroll", "sldSpeed_Change",
                                  "sldSpeed_Click", "sldSpeed_Scroll", "sldSpeed_Click"}));
  form.sldSpeed.SetMin(500);
  EXPECT_EQ(form.sldSpeed.Value(), 500);
  EXPECT_EQ(TakeEvents(), (Events{"sldSpeed_Change"}));
}

TEST_F(FormModelTest, HistogramKeepsClampedHistoryAndReadsBackWhatWasWritten) {
  ui::Histogram& graph = form.histCPU;
  EXPECT_EQ(graph.MaxLines(), 30);
  for (double sample : {-1.0, 25.5, 130.0, std::numeric_limits<double>::quiet_NaN()}) {
    graph.SetCurrentValue(sample);
  }
  EXPECT_TRUE(std::isnan(graph.CurrentValue()));
  graph.SetCurrentValue(-1.0);
  EXPECT_EQ(graph.CurrentValue(), -1.0) << "a failed query is shown as -1";
  EXPECT_EQ(std::vector<double>(graph.History().begin(), graph.History().end()),
            (std::vector<double>{0.0, 25.5, 100.0, 0.0, 0.0}));

  graph.SetMaxLines(2);
  EXPECT_EQ(graph.VisibleSamples(), (std::vector<double>{0.0, 0.0}));
  graph.SetMaxLines(0);
  EXPECT_EQ(graph.MaxLines(), 1);
  for (int i = 0; i < ui::Histogram::kHistoryCapacity + 10; ++i) graph.SetCurrentValue(i % 101);
  EXPECT_EQ(graph.History().size(), static_cast<std::size_t>(ui::Histogram::kHistoryCapacity));
  EXPECT_EQ(graph.VisibleSamples(), (std::vector<double>{static_cast<double>(1009 % 101)}));
}

TEST_F(FormModelTest, MovieTellsThePlayerEveryVariableAndForwardsButtonCommands) {
  form.flash.LoadMovie(0, "C:\\Zephyrnet\\speed up.swf");
  EXPECT_EQ(form.flash.MoviePath(0), "C:\\Zephyrnet\\speed up.swf");
  EXPECT_EQ(form.flash.MoviePath(1), "");
  host.ClearMirrored();
  form.flash.SetVariable("_root.home", "true");
  form.flash.SetVariable("_root.home", "true");
  EXPECT_EQ(host.MirrorCount("flash", Property::kVariables), 2u) << "the movie goes home twice";
  EXPECT_EQ(form.flash.GetVariable("_root.home"), "true");
  EXPECT_EQ(form.flash.GetVariable("_root.version"), "");

  TakeEvents();
  ASSERT_TRUE(host.PressMovieButton("flash", "IDC_FS_wizardMode"));
  EXPECT_EQ(TakeEvents(), (Events{"flash_FSCommand IDC_FS_wizardMode "}));
}

TEST_F(FormModelTest, HostMirrorsEveryRealChangeBeforeTheHandlerRuns) {
  host.ClearMirrored();
  form.cmdSave.SetEnabled(false);
  form.cmdSave.SetEnabled(false);
  form.lblStatus.SetCaption("Saved");
  form.txtHost.BringToFront();
  form.SetMousePointer(ui::kPointerHourglass);
  EXPECT_EQ(host.MirrorCount("cmdSave", Property::kEnabled), 1u);
  EXPECT_EQ(host.MirrorCount("lblStatus", Property::kCaption), 1u);
  EXPECT_EQ(host.MirrorCount("frmSample", Property::kMousePointer), 1u);
  EXPECT_GT(form.txtHost.StackLevel(), form.lblStatus.StackLevel());

  std::size_t mirroredWhenClicked = 0;
  form.optMode(1).Click.Connect(
      [&] { mirroredWhenClicked = host.MirrorCount("optMode(1)", Property::kValue); });
  form.optMode(1).SetValue(true);
  EXPECT_EQ(mirroredWhenClicked, 1u);

  TakeEvents();
  ASSERT_TRUE(host.PressMnemonic('S')) << host.Refusal();
  form.cmdSave.SetEnabled(true);
  ASSERT_TRUE(host.PressMnemonic('s')) << host.Refusal();
  ASSERT_TRUE(host.PressMnemonic('F')) << host.Refusal();
  EXPECT_FALSE(host.PressMnemonic('Z'));
  EXPECT_EQ(TakeEvents(), (Events{"chkSound_Click", "cmdSave_Click", "optMode_Click 0"}))
      << "Alt+S reaches the check box while Save is disabled, Save first in tab order after";
}

TEST_F(FormModelTest, HandlersThatSetOtherControlsRunNestedAndSettle) {
  TakeEvents();
  ASSERT_TRUE(host.Click("optMode(2)"));
  EXPECT_EQ(TakeEvents(),
            (Events{"optMode_Click 2", "txtHost_Change default host", "txtHost_Change host"}));
  EXPECT_EQ(form.txtHost.Text(), "host");

  // A handler that replaces itself and then still uses what it captured.
  std::vector<std::string> said;
  const std::string first = "the first handler, with enough state to live on the heap";
  form.cmdSave.Click.Connect([this, &said, first] {
    form.cmdSave.Click.Connect([&said] { said.push_back("second"); });
    said.push_back(first);
  });
  ASSERT_TRUE(host.Click("cmdSave"));
  ASSERT_TRUE(host.Click("cmdSave"));
  EXPECT_EQ(said, (std::vector<std::string>{first, "second"}));
}

TEST_F(FormModelTest, UnloadStopsTimersAndTellsTheHost) {
  EXPECT_TRUE(timers.IsRunning(form.tmrPoll));
  host.ClearMirrored();
  host.Unload();
  EXPECT_FALSE(timers.IsRunning(form.tmrPoll));
  EXPECT_EQ(host.MirrorCount("frmSample", Property::kLoaded), 1u);
  host.Load();
  EXPECT_TRUE(timers.IsRunning(form.tmrPoll));
}

}  // namespace
}  // namespace zephyr::testing
