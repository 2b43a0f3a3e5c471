// The skin reader against good, damaged and missing skin files, and the element each kind of
// control gets.
#include "ui/skin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "fakes/native_file_system.h"
#include "fakes/temp_dir.h"
#include "ui/controls.h"

namespace zephyr::testing {
namespace {

using ui::Skin;
using ui::SkinColor;

// The lines the issues were reported on, in order.
std::vector<int> IssueLines(const Skin& skin) {
  std::vector<int> lines;
  for (const auto& issue : skin.Issues()) lines.push_back(issue.line);
  return lines;
}

void ExpectStandardLook(const Skin& skin) {
  for (std::string_view element : ui::kSkinElements) {
    EXPECT_EQ(skin.Find(element), nullptr) << element;
  }
}

TEST(SkinParse, ReadsColoursAndFontsWithCommentsCaseAndLineEndings) {
  const Skin skin = Skin::Parse(
      "\xEF\xBB\xBF; Zephyrnet skin\r\n"
      "# another comment\r\n"
      "\r\n"
      "[ button ]\r\n"
      "  Background = #1f4E8c   ; deep blue\r\n"
      "TEXT=#FFFFFF\r\n"
      "border = #163A69\n"
      "hover = #2A63AD\n"
      "pressed = #143765\n"
      "accent = #7FB3E6\n"
      "face = Trebuchet MS\n"
      "size = 9\n"
      "bold = Yes\n"
      "[controlform]\n"
      "background = #EEF1F5\n"
      "bold = off");

  EXPECT_TRUE(skin.Issues().empty()) << skin.Issues().front().message;
  const ui::SkinElement* button = skin.Find("Button");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->background, (SkinColor{0x1F, 0x4E, 0x8C}));
  EXPECT_EQ(button->background->ToColorRef(), 0x8C4E1Fu);
  EXPECT_EQ(button->text, (SkinColor{0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(button->border, (SkinColor{0x16, 0x3A, 0x69}));
  EXPECT_EQ(button->hover, (SkinColor{0x2A, 0x63, 0xAD}));
  EXPECT_EQ(button->pressed, (SkinColor{0x14, 0x37, 0x65}));
  EXPECT_EQ(button->accent, (SkinColor{0x7F, 0xB3, 0xE6}));
  EXPECT_EQ(button->face, "Trebuchet MS");
  EXPECT_EQ(button->points, 9);
  EXPECT_EQ(button->bold, true);

  // Found under any spelling of its name; only what the file gives is set.
  const ui::SkinElement* form = skin.Find("CONTROLFORM");
  ASSERT_EQ(form, skin.Find("controlForm"));
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->background, (SkinColor{0xEE, 0xF1, 0xF5}));
  EXPECT_FALSE(form->text);
  EXPECT_FALSE(form->face);
  EXPECT_EQ(form->bold, false);
  EXPECT_EQ(skin.Find("Label"), nullptr);
  EXPECT_EQ(skin.Find("Window"), nullptr);
}

TEST(SkinParse, DamagedValuesLeaveOnlyTheirOwnFieldStandard) {
  const Skin skin = Skin::Parse(
      "[Button]\n"
      "background = #12345\n"          // 2: too short
      "text = #GG0000\n"                // 3: not hex
      "border = 163A69\n"               // 4: no #
      "hover =\n"                       // 5: empty
      "pressed = #143765\n"
      "pressed = #1437650\n"            // 7: damaged repeat keeps the earlier value
      "size = 0\n"                      // 8
      "size = 73\n"                     // 9
      "size = 9pt\n"                    // 10
      "size = -8\n"                     // 11
      "bold = maybe\n"                  // 12
      "face = A Face Name Far Longer Than Any Font\n"  // 13
      "face = Tab\tName\n"              // 14: control character
      "accent = #7fb3e6\n");

  EXPECT_EQ(IssueLines(skin), (std::vector<int>{2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14}));
  const ui::SkinElement* button = skin.Find("Button");
  ASSERT_NE(button, nullptr);
  EXPECT_FALSE(button->background);
  EXPECT_FALSE(button->text);
  EXPECT_FALSE(button->border);
  EXPECT_FALSE(button->hover);
  EXPECT_EQ(button->pressed, (SkinColor{0x14, 0x37, 0x65}));
  EXPECT_FALSE(button->points);
  EXPECT_FALSE(button->bold);
  EXPECT_FALSE(button->face);
  EXPECT_EQ(button->accent, (SkinColor{0x7F, 0xB3, 0xE6}));
  // Each message names what was wrong.
  EXPECT_NE(skin.Issues()[0].message.find("#12345"), std::string::npos);
  EXPECT_NE(skin.Issues()[0].message.find("#RRGGBB"), std::string::npos);

  // An element with nothing usable keeps the standard look altogether.
  const Skin unusable = Skin::Parse("[Label]\ntext = blue\nsize = big\n");
  EXPECT_EQ(unusable.Find("Label"), nullptr);
  EXPECT_EQ(IssueLines(unusable), (std::vector<int>{2, 3}));
}

TEST(SkinParse, StrayLinesUnknownSectionsAndKeysAreReportedAndSkipped) {
  const Skin skin = Skin::Parse(
      "background = #FFFFFF\n"          // 1: before any section (reported once)
      "text = #000000\n"
      "[Window]\n"                      // 3: not an element; its keys are ignored silently
      "background = #FF0000\n"
      "[Label\n"                        // 5: unclosed
      "text = #00FF00\n"
      "[Label] trailing\n"              // 7
      "text = #00FF00\n"
      "[Frame]\n"
      "colour = #0000FF\n"              // 10: unknown key
      "just some words\n"               // 11: no '='
      "= #0000FF\n"                     // 12: no key
      "text = #0000FF\n"
      "[CheckBox]\n"
      "[RadioBox]\n"
      "face = Tahoma\n");

  EXPECT_EQ(IssueLines(skin), (std::vector<int>{1, 3, 5, 7, 10, 11, 12}));
  EXPECT_EQ(skin.Find("Label"), nullptr);
  EXPECT_EQ(skin.Find("CheckBox"), nullptr);
  ASSERT_NE(skin.Find("Frame"), nullptr);
  EXPECT_EQ(skin.Find("Frame")->text, (SkinColor{0, 0, 0xFF}));
  EXPECT_FALSE(skin.Find("Frame")->background);
  ASSERT_NE(skin.Find("RadioBox"), nullptr);
  EXPECT_EQ(skin.Find("RadioBox")->face, "Tahoma");
}

TEST(SkinParse, KeepsOnlyTheFirstIssuesButReadsOnToTheEnd) {
  std::string text = "[Label]\n";
  for (int i = 0; i < 5000; ++i) text += "no equals sign here\n";
  text += "text = #00FF00\n";
  const Skin skin = Skin::Parse(text);
  EXPECT_EQ(skin.Issues().size(), ui::kMaxSkinIssues);
  ASSERT_NE(skin.Find("Label"), nullptr);
  EXPECT_EQ(skin.Find("Label")->text, (SkinColor{0, 0xFF, 0}));
}

TEST(SkinLoad, MissingOversizedOrBinaryFilesGiveTheStandardLook) {
  TempDir dir;
  NativeFileSystem files;
  const Skin missing = Skin::Load(files, (dir.path() / ui::kSkinFileName).string());
  ExpectStandardLook(missing);
  EXPECT_EQ(IssueLines(missing), (std::vector<int>{0}));

  const Skin empty = Skin::Load(files, dir.Write("empty.skn", "").string());
  ExpectStandardLook(empty);
  EXPECT_TRUE(empty.Issues().empty());

  std::string huge = "[Button]\nbackground = #000000\n";
  huge.resize(ui::kMaxSkinFileBytes + 1, ';');
  const Skin oversized = Skin::Load(files, dir.Write("huge.skn", huge).string());
  ExpectStandardLook(oversized);
  EXPECT_EQ(IssueLines(oversized), (std::vector<int>{0}));

  // A file that is no skin at all: bytes of every value, NULs and unmatched brackets included.
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 37 + i / 256) & 0xFF);
  binary += std::string("[Button\0]\nface=\0\0\n[", 20);
  const Skin garbage = Skin::Load(files, dir.Write("garbage.skn", binary).string());
  ExpectStandardLook(garbage);
  EXPECT_FALSE(garbage.Issues().empty());
}

#ifndef _WIN32
TEST(SkinLoad, AFileThatIsNoRegularFileIsRefusedWithoutBlocking) {
  // A pipe with no writer would block a reader for ever.
  TempDir dir;
  const std::string fifo = (dir.path() / ui::kSkinFileName).string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  NativeFileSystem files;
  const Skin skin = Skin::Load(files, fifo);
  ExpectStandardLook(skin);
  EXPECT_EQ(IssueLines(skin), (std::vector<int>{0}));
}
#endif

TEST(SkinLoad, ShippedSkinStylesEveryElementWithoutIssues) {
  const auto path = std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "resources" /
                    ui::kSkinFileName;
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no source tree at " << path;
  NativeFileSystem files;
  const Skin skin = Skin::Load(files, path.string());
  for (const auto& issue : skin.Issues()) ADD_FAILURE() << issue.line << ": " << issue.message;
  for (std::string_view element : ui::kSkinElements) {
    const ui::SkinElement* style = skin.Find(element);
    ASSERT_NE(style, nullptr) << element;
    EXPECT_TRUE(style->background) << element;
    EXPECT_TRUE(style->text) << element;
  }
}

class SkinnedPanel : public ui::Form {
 public:
  SkinnedPanel() : Form({.name = "frmSkinned"}) {}
  ui::CommandButton cmdSave{*this, {.name = "cmdSave", .caption = "&Save"}};
  ui::TextBox txtHost{*this, {.name = "txtHost"}};
  ui::CheckBox chkRunMainProgram{*this, {.name = "chkRunMainProgram"}};
  ui::Frame frameMode{*this, {.name = "frameMode"}};
  ui::OptionButton optMB{*this, {.name = "optMB", .container = &frameMode}};
  ui::Label lblHost{*this, {.name = "lblHost"}};
  ui::Timer tmrPinger{*this, {.name = "tmrPinger"}};
};

TEST(SkinElementFor, ButtonsLabelsFramesChecksAndOptionsAreSkinnedTheRestLeftAlone) {
  SkinnedPanel panel;
  std::vector<std::string> applied;
  for (const ui::Control* control : panel.Controls()) {
    if (auto element = ui::SkinElementFor(control->Kind())) {
      applied.push_back(control->Name() + ":" + std::string(*element));
    }
  }
  EXPECT_EQ(applied, (std::vector<std::string>{"cmdSave:Button", "chkRunMainProgram:CheckBox",
                                               "frameMode:Frame", "optMB:RadioBox",
                                               "lblHost:Label"}));
}

}  // namespace
}  // namespace zephyr::testing
