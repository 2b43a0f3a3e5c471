// The standard controls of a form model, as the program's panels use them.
//
// Setting a value from code raises the same event as a user changing it would: a check box's or
// option button's Click, a text box's Change, a combo box's Click, a slider's or up-down's Change.
// The panels rely on it (loading the settings into the controls runs the same handlers as a user
// editing them). The User* methods are what the binder or a fake host calls for real input; they
// refuse input a user could not give (a disabled, hidden or locked control, an unloaded form) and
// return whether it was taken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/form_model.h"

namespace zephyr::ui {

class UpDown;

class Label : public Control {
 public:
  using Args = ControlArgs;
  Label(Form& form, Args args, ArrayIndex index = {});
};

// Groups the controls whose container it is: option buttons inside it form one group, and
// disabling or hiding it takes them along.
class Frame : public Control {
 public:
  using Args = ControlArgs;
  Frame(Form& form, Args args, ArrayIndex index = {});
};

class CommandButton : public Control {
 public:
  using Args = ControlArgs;
  CommandButton(Form& form, Args args, ArrayIndex index = {});

  Event<> Click;
  bool UserClick();
};

// Two texts equal but for the case of their letters, as the list's sorting and its type-ahead
// compare them (letter by letter, in the C locale).
bool EqualNoCase(std::string_view a, std::string_view b);

// Check box states, with Visual Basic's values.
inline constexpr int kUnchecked = 0;
inline constexpr int kChecked = 1;
inline constexpr int kGrayed = 2;

struct CheckBoxArgs {
  std::string name{};
  Frame* container = nullptr;
  std::string caption{};
  Rect bounds{};
  int tabIndex = -1;
  bool enabled = true;
  bool visible = true;
  std::string toolTipText{};
  int value = kUnchecked;
};

class CheckBox : public Control {
 public:
  using Args = CheckBoxArgs;
  CheckBox(Form& form, Args args, ArrayIndex index = {});

  int Value() const { return value_; }
  // Raises Click when the state changes. A value other than 0, 1 or 2 is refused and the state
  // stays as it was.
  void SetValue(int value);
  Event<> Click;
  // A click cycles unchecked to checked and checked or grayed to unchecked.
  bool UserClick();

 private:
  int value_;
};

struct OptionButtonArgs {
  std::string name{};
  Frame* container = nullptr;
  std::string caption{};
  Rect bounds{};
  int tabIndex = -1;
  bool enabled = true;
  bool visible = true;
  std::string toolTipText{};
  bool value = false;
};

class OptionButton : public Control {
 public:
  using Args = OptionButtonArgs;
  OptionButton(Form& form, Args args, ArrayIndex index = {});

  bool Value() const { return value_; }
  // Setting true clears every other option button in the same container and raises Click, also
  // when this one was already selected (loading a stored choice always runs its handler).
  // Setting false clears this one and raises nothing.
  void SetValue(bool value);
  Event<> Click;
  bool UserClick();

 private:
  bool value_;
};

struct TextBoxArgs {
  std::string name{};
  Frame* container = nullptr;
  Rect bounds{};
  int tabIndex = -1;
  bool enabled = true;
  bool visible = true;
  std::string toolTipText{};
  std::string text{};
  int maxLength = 0;  // characters a user may type; 0 for no limit
  bool locked = false;
  bool multiLine = false;
};

class TextBox : public Control {
 public:
  using Args = TextBoxArgs;
  TextBox(Form& form, Args args, ArrayIndex index = {});
  ~TextBox() override;

  const std::string& Text() const { return text_; }
  // Raises Change when the text differs. MaxLength limits typing only, as in the edit control.
  void SetText(std::string text);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int maxLength);
  bool Locked() const { return locked_; }
  void SetLocked(bool locked);
  bool MultiLine() const { return multiLine_; }
  Event<> Change;

  // One key typed at the end of the text: a character, or '\b' to erase the last one. Refused
  // beyond MaxLength, and a line break in a single-line box.
  bool UserTypeChar(char key);
  // Types each character of `keys` in turn, each raising its own Change; true when all were
  // taken.
  bool UserType(std::string_view keys);
  // Selects everything and pastes `text` over it: one Change. A single-line box keeps the text
  // up to its first line break; MaxLength cuts the rest.
  bool UserReplaceText(std::string_view text);

 private:
  friend class UpDown;

  std::string text_;
  int maxLength_;
  bool locked_;
  bool multiLine_;
  UpDown* upDown_ = nullptr;  // the up-down whose buddy this box is
};

// Visual Basic's combo box styles, with its values.
enum class ComboStyle { kDropdownCombo = 0, kSimpleCombo = 1, kDropdownList = 2 };

struct ComboBoxArgs {
  std::string name{};
  Frame* container = nullptr;
  Rect bounds{};
  int tabIndex = -1;
  bool enabled = true;
  bool visible = true;
  std::string toolTipText{};
  ComboStyle style = ComboStyle::kDropdownCombo;
  std::vector<std::string> items{};
};

class ComboBox : public Control {
 public:
  using Args = ComboBoxArgs;
  ComboBox(Form& form, Args args, ArrayIndex index = {});

  ComboStyle Style() const { return style_; }
  void AddItem(std::string item);
  // Removing the selected entry leaves nothing selected; an index out of range is ignored.
  void RemoveItem(int index);
  // Removes every entry and the text; raises nothing.
  void Clear();
  int ListCount() const { return static_cast<int>(items_.size()); }
  // The entry at `index`; empty outside the list.
  const std::string& List(int index) const;

  // -1 when nothing is selected.
  int ListIndex() const { return listIndex_; }
  // Raises Click when a different entry becomes selected; -1 clears the selection silently. An
  // index outside -1 .. ListCount - 1 is refused.
  void SetListIndex(int index);
  // The edit text, or in a drop-down list the selected entry.
  std::string Text() const;
  // In an editable combo box sets the edit text (raising Change) and selects the entry that
  // matches it exactly, if any; in a drop-down list selects the matching entry (raising Click)
  // and ignores a text that is not in the list.
  void SetText(std::string text);
  Event<> Click;
  Event<> Change;

  bool UserSelect(int index);
  // Typing into the edit part; refused in a drop-down list.
  bool UserReplaceText(std::string_view text);

 private:
  ComboStyle style_;
  std::vector<std::string> items_;
  int listIndex_ = -1;
  std::string text_;
};

// ---------------------------------------------------------------------------------------------
// List view, report view only.

class ListView;

struct ColumnHeaderArgs {
  std::string text{};
  int width = 96;
};

class ColumnHeader {
 public:
  ColumnHeader(ListView& owner, int index, ColumnHeaderArgs args);
  ColumnHeader(const ColumnHeader&) = delete;
  ColumnHeader& operator=(const ColumnHeader&) = delete;

  // Counted from 1, as the program counts columns.
  int Index() const { return index_; }
  const std::string& Text() const { return text_; }
  void SetText(std::string text);
  int Width() const { return width_; }
  void SetWidth(int width);
  // Free for the program's use; the backup list keeps its sort direction here ("ASC", "DESC").
  const std::string& Tag() const { return tag_; }
  void SetTag(std::string tag) { tag_ = std::move(tag); }

 private:
  ListView* owner_;
  int index_;
  std::string text_;
  int width_;
  std::string tag_;
};

class ListItem {
 public:
  const std::string& Text() const { return text_; }
  // The text of sub-item `index`, counted from 1; empty when the item has none there.
  const std::string& SubItems(int index) const;
  // Key 0 is the item's text and key k its k-th sub-item, as SortKey counts.
  const std::string& KeyText(int key) const;

 private:
  friend class ListView;
  ListItem(std::uint64_t id, std::string text, std::vector<std::string> subItems);

  std::uint64_t id_;
  std::string text_;
  std::vector<std::string> subItems_;
};

enum class SortOrder { kAscending = 0, kDescending = 1 };

struct ListViewArgs {
  std::string name{};
  Frame* container = nullptr;
  Rect bounds{};
  int tabIndex = -1;
  bool enabled = true;
  bool visible = true;
  std::string toolTipText{};
  std::vector<ColumnHeaderArgs> columns{};
};

class ListView : public Control {
 public:
  using Args = ListViewArgs;
  ListView(Form& form, Args args, ArrayIndex index = {});

  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  // The column with this 1-based index.
  ColumnHeader& Column(int index);
  const ColumnHeader& Column(int index) const;
  ColumnHeader& AddColumn(ColumnHeaderArgs args);

  std::size_t ItemCount() const { return items_.size(); }
  const ListItem& Item(std::size_t index) const { return items_.at(index); }
  // Adds an item at the end, or at its sorted place while Sorted is on; returns its index.
  std::size_t AddItem(std::string text, std::vector<std::string> subItems = {});
  // Sets the item's text (key 0) or a sub-item's text (key k).
  void SetItemText(std::size_t index, int key, std::string text);
  void RemoveItem(std::size_t index);
  void ClearItems();

  // The selected item stays selected when the list is sorted. Selecting from code raises no
  // event, as in the list view control.
  std::optional<std::size_t> SelectedIndex() const;
  const ListItem* SelectedItem() const;
  void SelectItem(std::optional<std::size_t> index);

  // While Sorted is on the list keeps itself in order of the SortKey texts, compared without
  // regard to ASCII case; equal texts keep their order.
  int SortKey() const { return sortKey_; }
  void SetSortKey(int key);
  SortOrder GetSortOrder() const { return sortOrder_; }
  void SetSortOrder(SortOrder order);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  // Sorts once by the program's own comparison (negative, 0 or positive, as for LVM_SORTITEMS);
  // items that compare equal keep their order.
  void SortItems(const std::function<int(const ListItem&, const ListItem&)>& compare);

  Event<ColumnHeader&> ColumnClick;
  Event<const ListItem&> ItemClick;
  Event<> MouseUp;

  bool UserClickColumn(int index);
  // Selects the item, then raises ItemClick and MouseUp.
  bool UserClickItem(std::size_t index);

 private:
  friend class ColumnHeader;

  void ApplySort();
  void ColumnChanged() { NotifyChanged(Property::kItems); }

  std::deque<ColumnHeader> columns_;
  std::vector<ListItem> items_;
  std::optional<std::uint64_t> selectedId_;
  std::uint64_t nextId_ = 1;
  int sortKey_ = 0;
  SortOrder sortOrder_ = SortOrder::kAscending;
  bool sorted_ = false;
};

// ---------------------------------------------------------------------------------------------

struct SliderArgs {
  std::string name{};
  Frame* container = nullptr;
  Rect bounds{};
  int tabIndex = -1;
  bool enabled = true;
  bool visible = true;
  std::string toolTipText{};
  int min = 0;
  int max = 10;
  int value = 0;
  int smallChange = 1;
  int largeChange = 5;
};

class Slider : public Control {
 public:
  using Args = SliderArgs;
  Slider(Form& form, Args args, ArrayIndex index = {});

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Value() const { return value_; }
  int SmallChange() const { return smallChange_; }
  int LargeChange() const { return largeChange_; }
  // A new range pulls the value into it, raising Change when that moves it.
  void SetMin(int min);
  void SetMax(int max);
  // Clamped to the range; raises Change when the value moves.
  void SetValue(int value);
  void SetSmallChange(int change);
  void SetLargeChange(int change);

  Event<> Change;
  Event<> Scroll;
  Event<> Click;

  // A finished move by the user, by mouse or by keyboard: Scroll, then Change when the value
  // moved, then Click. Panels that follow Click thus also follow the keyboard.
  bool UserMove(int value);

 private:
  int min_;
  int max_;
  int value_;
  int smallChange_;
  int largeChange_;
};

struct UpDownArgs {
  std::string name{};
  Frame* container = nullptr;
  Rect bounds{};
  int tabIndex = -1;
  bool enabled = true;
  bool visible = true;
  std::string toolTipText{};
  TextBox* buddy = nullptr;
  int min = 0;
  int max = 10;
  int value = 0;
  int increment = 1;
};

// A spin control bound to a text box, its buddy: each new value is written into the buddy's
// Text, and a whole number typed or set into the buddy becomes the value (pulled into the range).
// Other text in the buddy leaves the value as it was.
class UpDown : public Control {
 public:
  using Args = UpDownArgs;
  // Writes the initial value into the buddy.
  UpDown(Form& form, Args args, ArrayIndex index = {});
  ~UpDown() override;

  TextBox* Buddy() const { return buddy_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Value() const { return value_; }
  int Increment() const { return increment_; }
  // A new range pulls the value into it.
  void SetMin(int min);
  void SetMax(int max);
  // Clamped to the range; writes the buddy's Text (raising its Change when the text differs) and
  // raises Change when the value moved.
  void SetValue(int value);
  // Refused unless positive.
  void SetIncrement(int increment);
  Event<> Change;

  // `steps` clicks on the arrows: positive up, negative down; stops at the ends of the range.
  bool UserSpin(int steps);

 private:
  friend class TextBox;

  // The buddy's text has changed.
  void BuddyTextChanged();

  TextBox* buddy_;
  int min_;
  int max_;
  int value_;
  int increment_;
};

struct TimerArgs {
  std::string name{};
  int interval = 0;  // milliseconds, 0 to 65535; 0 never ticks
  bool enabled = true;
};

// Runs on the form's TimerScheduler while the form is loaded, the timer is enabled and its
// interval is not 0. Its event, raised once per interval, is the program's `tmrName_Timer`.
class Timer : public Control {
 public:
  using Args = TimerArgs;
  Timer(Form& form, Args args, ArrayIndex index = {});
  ~Timer() override;

  int Interval() const { return interval_; }
  // Restarts the count when the interval changes; 0 stops the timer. A value outside 0 .. 65535
  // is refused.
  void SetInterval(int interval);
  bool Running() const;
  Event<> Tick;

  // Called by the scheduler: raises Tick unless the timer stopped in the meantime.
  bool Fire();

 protected:
  void EnabledChanged() override { Reschedule(); }
  void LoadedChanged() override { Reschedule(); }

 private:
  void Reschedule();

  int interval_;
  TimerScheduler* scheduledOn_ = nullptr;
};

}  // namespace zephyr::ui
