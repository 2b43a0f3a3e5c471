#include "ui/controls.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <utility>

#include "ui/timer_scheduler.h"

namespace zephyr::ui {

namespace {

const std::string kNoText;

// Min and Max may be given either way round; the range is what lies between them.
int ClampToRange(int value, int a, int b) {
  return std::clamp(value, std::min(a, b), std::max(a, b));
}

// A whole number in decimal, optionally signed and surrounded by spaces; a number beyond the
// range of int saturates, so it still clamps to the nearer end of a range.
std::optional<int> ParseWholeNumber(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  const bool negative = text.front() == '-';
  std::string_view digits = text;
  if (text.front() == '-' || text.front() == '+') digits.remove_prefix(1);
  if (digits.empty() ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  long long value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error == std::errc::result_out_of_range || value > std::numeric_limits<int>::max()) {
    return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
  }
  return static_cast<int>(negative ? -value : value);
}

int CompareNoCase(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

bool EqualNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) == 0; }

namespace {

// A stable merge sort that stays inside the list whatever the comparison answers: the program's
// own comparison may be inconsistent (texts that do not parse compare as equal to everything), and
// std::stable_sort may then read out of bounds.
template <class T, class Less>
void RobustStableSort(std::vector<T>& items, Less less) {
  std::vector<T> buffer;
  for (std::size_t width = 1; width < items.size(); width *= 2) {
    buffer.clear();
    buffer.reserve(items.size());
    for (std::size_t left = 0; left < items.size(); left += 2 * width) {
      const std::size_t middle = std::min(left + width, items.size());
      const std::size_t right = std::min(left + 2 * width, items.size());
      std::size_t i = left;
      std::size_t j = middle;
      while (i < middle && j < right) {
        buffer.push_back(less(items[j], items[i]) ? std::move(items[j++]) : std::move(items[i++]));
      }
      while (i < middle) buffer.push_back(std::move(items[i++]));
      while (j < right) buffer.push_back(std::move(items[j++]));
    }
    items.swap(buffer);
  }
}

}  // namespace

Label::Label(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kLabel, std::move(args), index) {}

Frame::Frame(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kFrame, std::move(args), index) {}

CommandButton::CommandButton(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kCommandButton, std::move(args), index) {}

bool CommandButton::UserClick() {
  if (!AcceptsInput()) return false;
  Click.Raise();
  return true;
}

// ---------------------------------------------------------------------------------------------

CheckBox::CheckBox(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kCheckBox, CommonArgsOf(args), index),
      value_(ClampToRange(args.value, kUnchecked, kGrayed)) {}

void CheckBox::SetValue(int value) {
  if (value < kUnchecked || value > kGrayed || value == value_) return;
  value_ = value;
  NotifyChanged(Property::kValue);
  Click.Raise();
}

bool CheckBox::UserClick() {
  if (!AcceptsInput()) return false;
  SetValue(value_ == kUnchecked ? kChecked : kUnchecked);
  return true;
}

OptionButton::OptionButton(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kOptionButton, CommonArgsOf(args), index), value_(args.value) {}

void OptionButton::SetValue(bool value) {
  if (!value) {
    if (!value_) return;
    value_ = false;
    NotifyChanged(Property::kValue);
    return;
  }
  if (!value_) {
    value_ = true;
    NotifyChanged(Property::kValue);
  }
  for (Control* control : Parent().Controls()) {
    if (control == this || control->Kind() != ControlKind::kOptionButton ||
        control->Container() != Container()) {
      continue;
    }
    auto* other = static_cast<OptionButton*>(control);
    if (other->value_) {
      other->value_ = false;
      other->NotifyChanged(Property::kValue);
    }
  }
  Click.Raise();
}

bool OptionButton::UserClick() {
  if (!AcceptsInput()) return false;
  SetValue(true);
  return true;
}

// ---------------------------------------------------------------------------------------------

TextBox::TextBox(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kTextBox, CommonArgsOf(args), index),
      text_(std::move(args.text)),
      maxLength_(std::max(args.maxLength, 0)),
      locked_(args.locked),
      multiLine_(args.multiLine) {}

TextBox::~TextBox() {
  if (upDown_ != nullptr) upDown_->buddy_ = nullptr;
}

void TextBox::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  NotifyChanged(Property::kText);
  // The up-down follows before Change runs, so a handler of the box reads the new value there.
  if (upDown_ != nullptr) upDown_->BuddyTextChanged();
  Change.Raise();
}

void TextBox::SetMaxLength(int maxLength) {
  if (maxLength < 0 || maxLength == maxLength_) return;
  maxLength_ = maxLength;
  NotifyChanged(Property::kStyle);
}

void TextBox::SetLocked(bool locked) {
  if (locked == locked_) return;
  locked_ = locked;
  NotifyChanged(Property::kStyle);
}

bool TextBox::UserTypeChar(char key) {
  if (!AcceptsInput() || locked_) return false;
  if (key == '\b') {
    if (!text_.empty()) SetText(text_.substr(0, text_.size() - 1));
    return true;
  }
  if ((key == '\r' || key == '\n') && !multiLine_) return false;
  if (maxLength_ > 0 && text_.size() >= static_cast<std::size_t>(maxLength_)) return false;
  SetText(text_ + key);
  return true;
}

bool TextBox::UserType(std::string_view keys) {
  bool allTaken = true;
  for (char key : keys) allTaken = UserTypeChar(key) && allTaken;
  return allTaken;
}

bool TextBox::UserReplaceText(std::string_view text) {
  if (!AcceptsInput() || locked_) return false;
  if (!multiLine_) text = text.substr(0, text.find_first_of("\r\n"));
  if (maxLength_ > 0) text = text.substr(0, static_cast<std::size_t>(maxLength_));
  SetText(std::string(text));
  return true;
}

// ---------------------------------------------------------------------------------------------

ComboBox::ComboBox(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kComboBox, CommonArgsOf(args), index),
      style_(args.style),
      items_(std::move(args.items)) {}

void ComboBox::AddItem(std::string item) {
  items_.push_back(std::move(item));
  NotifyChanged(Property::kItems);
}

void ComboBox::RemoveItem(int index) {
  if (index < 0 || index >= ListCount()) return;
  items_.erase(items_.begin() + index);
  if (index == listIndex_) {
    listIndex_ = -1;
  } else if (index < listIndex_) {
    --listIndex_;
  }
  NotifyChanged(Property::kItems);
}

void ComboBox::Clear() {
  if (items_.empty() && listIndex_ == -1 && text_.empty()) return;
  items_.clear();
  listIndex_ = -1;
  text_.clear();
  NotifyChanged(Property::kItems);
}

const std::string& ComboBox::List(int index) const {
  if (index < 0 || index >= ListCount()) return kNoText;
  return items_[static_cast<std::size_t>(index)];
}

void ComboBox::SetListIndex(int index) {
  if (index < -1 || index >= ListCount() || index == listIndex_) return;
  listIndex_ = index;
  if (style_ != ComboStyle::kDropdownList) text_ = List(index);
  NotifyChanged(Property::kSelection);
  if (index >= 0) Click.Raise();
}

std::string ComboBox::Text() const {
  return style_ == ComboStyle::kDropdownList ? List(listIndex_) : text_;
}

void ComboBox::SetText(std::string text) {
  const auto match = std::find(items_.begin(), items_.end(), text);
  const int matchIndex = match == items_.end() ? -1 : static_cast<int>(match - items_.begin());
  if (style_ == ComboStyle::kDropdownList) {
    if (matchIndex >= 0) SetListIndex(matchIndex);
    return;
  }
  if (text == text_) return;
  text_ = std::move(text);
  listIndex_ = matchIndex;
  NotifyChanged(Property::kText);
  Change.Raise();
}

bool ComboBox::UserSelect(int index) {
  if (!AcceptsInput() || index < 0 || index >= ListCount()) return false;
  SetListIndex(index);
  return true;
}

bool ComboBox::UserReplaceText(std::string_view text) {
  if (!AcceptsInput() || style_ == ComboStyle::kDropdownList) return false;
  SetText(std::string(text.substr(0, text.find_first_of("\r\n"))));
  return true;
}

// ---------------------------------------------------------------------------------------------

ColumnHeader::ColumnHeader(ListView& owner, int index, ColumnHeaderArgs args)
    : owner_(&owner), index_(index), text_(std::move(args.text)), width_(args.width) {}

void ColumnHeader::SetText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  owner_->ColumnChanged();
}

void ColumnHeader::SetWidth(int width) {
  if (width == width_ || width < 0) return;
  width_ = width;
  owner_->ColumnChanged();
}

ListItem::ListItem(std::uint64_t id, std::string text, std::vector<std::string> subItems)
    : id_(id), text_(std::move(text)), subItems_(std::move(subItems)) {}

const std::string& ListItem::SubItems(int index) const {
  if (index < 1 || static_cast<std::size_t>(index) > subItems_.size()) return kNoText;
  return subItems_[static_cast<std::size_t>(index) - 1];
}

const std::string& ListItem::KeyText(int key) const { return key == 0 ? text_ : SubItems(key); }

ListView::ListView(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kListView, CommonArgsOf(args), index) {
  for (ColumnHeaderArgs& column : args.columns) AddColumn(std::move(column));
}

ColumnHeader& ListView::Column(int index) {
  return columns_.at(static_cast<std::size_t>(index - 1));
}

const ColumnHeader& ListView::Column(int index) const {
  return columns_.at(static_cast<std::size_t>(index - 1));
}

ColumnHeader& ListView::AddColumn(ColumnHeaderArgs args) {
  ColumnHeader& column = columns_.emplace_back(*this, ColumnCount() + 1, std::move(args));
  ColumnChanged();
  return column;
}

std::size_t ListView::AddItem(std::string text, std::vector<std::string> subItems) {
  const std::uint64_t id = nextId_++;
  items_.push_back(ListItem(id, std::move(text), std::move(subItems)));
  if (sorted_) ApplySort();
  NotifyChanged(Property::kItems);
  const auto added = std::find_if(items_.begin(), items_.end(),
                                  [id](const ListItem& item) { return item.id_ == id; });
  return static_cast<std::size_t>(added - items_.begin());
}

void ListView::SetItemText(std::size_t index, int key, std::string text) {
  if (index >= items_.size() || key < 0) return;
  ListItem& item = items_[index];
  if (key == 0) {
    item.text_ = std::move(text);
  } else {
    const auto slot = static_cast<std::size_t>(key);
    if (item.subItems_.size() < slot) item.subItems_.resize(slot);
    item.subItems_[slot - 1] = std::move(text);
  }
  if (sorted_ && key == sortKey_) ApplySort();
  NotifyChanged(Property::kItems);
}

void ListView::RemoveItem(std::size_t index) {
  if (index >= items_.size()) return;
  if (selectedId_ == items_[index].id_) selectedId_.reset();
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  NotifyChanged(Property::kItems);
}

void ListView::ClearItems() {
  if (items_.empty()) return;
  items_.clear();
  selectedId_.reset();
  NotifyChanged(Property::kItems);
}

std::optional<std::size_t> ListView::SelectedIndex() const {
  if (!selectedId_) return std::nullopt;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].id_ == *selectedId_) return i;
  }
  return std::nullopt;
}

const ListItem* ListView::SelectedItem() const {
  const std::optional<std::size_t> index = SelectedIndex();
  return index ? &items_[*index] : nullptr;
}

void ListView::SelectItem(std::optional<std::size_t> index) {
  std::optional<std::uint64_t> id;
  if (index) {
    if (*index >= items_.size()) return;
    id = items_[*index].id_;
  }
  if (id == selectedId_) return;
  selectedId_ = id;
  NotifyChanged(Property::kSelection);
}

void ListView::SetSortKey(int key) {
  if (key < 0 || key == sortKey_) return;
  sortKey_ = key;
  NotifyChanged(Property::kStyle);
  if (sorted_) ApplySort();
}

void ListView::SetSortOrder(SortOrder order) {
  if (order == sortOrder_) return;
  sortOrder_ = order;
  NotifyChanged(Property::kStyle);
  if (sorted_) ApplySort();
}

void ListView::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  sorted_ = sorted;
  NotifyChanged(Property::kStyle);
  if (sorted_) ApplySort();
}

void ListView::SortItems(const std::function<int(const ListItem&, const ListItem&)>& compare) {
  RobustStableSort(items_,
                   [&compare](const ListItem& a, const ListItem& b) { return compare(a, b) < 0; });
  NotifyChanged(Property::kItems);
}

void ListView::ApplySort() {
  const int key = sortKey_;
  const int sign = sortOrder_ == SortOrder::kAscending ? 1 : -1;
  RobustStableSort(items_, [key, sign](const ListItem& a, const ListItem& b) {
    return sign * CompareNoCase(a.KeyText(key), b.KeyText(key)) < 0;
  });
  NotifyChanged(Property::kItems);
}

bool ListView::UserClickColumn(int index) {
  if (!AcceptsInput() || index < 1 || index > ColumnCount()) return false;
  ColumnClick.Raise(Column(index));
  return true;
}

bool ListView::UserClickItem(std::size_t index) {
  if (!AcceptsInput() || index >= items_.size()) return false;
  SelectItem(index);
  // A copy, so that a handler may rebuild the list while it looks at the item.
  const ListItem clicked = items_[index];
  ItemClick.Raise(clicked);
  MouseUp.Raise();
  return true;
}

// ---------------------------------------------------------------------------------------------

Slider::Slider(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kSlider, CommonArgsOf(args), index),
      min_(args.min),
      max_(args.max),
      value_(ClampToRange(args.value, args.min, args.max)),
      smallChange_(args.smallChange),
      largeChange_(args.largeChange) {}

void Slider::SetMin(int min) {
  if (min == min_) return;
  min_ = min;
  NotifyChanged(Property::kRange);
  SetValue(value_);
}

void Slider::SetMax(int max) {
  if (max == max_) return;
  max_ = max;
  NotifyChanged(Property::kRange);
  SetValue(value_);
}

void Slider::SetValue(int value) {
  value = ClampToRange(value, min_, max_);
  if (value == value_) return;
  value_ = value;
  NotifyChanged(Property::kValue);
  Change.Raise();
}

void Slider::SetSmallChange(int change) {
  if (change == smallChange_) return;
  smallChange_ = change;
  NotifyChanged(Property::kStyle);
}

void Slider::SetLargeChange(int change) {
  if (change == largeChange_) return;
  largeChange_ = change;
  NotifyChanged(Property::kStyle);
}

bool Slider::UserMove(int value) {
  if (!AcceptsInput()) return false;
  value = ClampToRange(value, min_, max_);
  const bool moved = value != value_;
  if (moved) {
    value_ = value;
    NotifyChanged(Property::kValue);
  }
  Scroll.Raise();
  if (moved) Change.Raise();
  Click.Raise();
  return true;
}

// ---------------------------------------------------------------------------------------------

UpDown::UpDown(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kUpDown, CommonArgsOf(args), index),
      buddy_(args.buddy),
      min_(args.min),
      max_(args.max),
      value_(ClampToRange(args.value, args.min, args.max)),
      increment_(std::max(args.increment, 1)) {
  if (buddy_ != nullptr) {
    buddy_->upDown_ = this;
    buddy_->SetText(std::to_string(value_));
  }
}

UpDown::~UpDown() {
  if (buddy_ != nullptr) buddy_->upDown_ = nullptr;
}

void UpDown::SetMin(int min) {
  if (min == min_) return;
  min_ = min;
  NotifyChanged(Property::kRange);
  if (ClampToRange(value_, min_, max_) != value_) SetValue(value_);
}

void UpDown::SetMax(int max) {
  if (max == max_) return;
  max_ = max;
  NotifyChanged(Property::kRange);
  if (ClampToRange(value_, min_, max_) != value_) SetValue(value_);
}

void UpDown::SetValue(int value) {
  value = ClampToRange(value, min_, max_);
  const bool moved = value != value_;
  if (moved) {
    value_ = value;
    NotifyChanged(Property::kValue);
  }
  if (buddy_ != nullptr) buddy_->SetText(std::to_string(value));
  if (moved) Change.Raise();
}

void UpDown::SetIncrement(int increment) {
  if (increment < 1 || increment == increment_) return;
  increment_ = increment;
  NotifyChanged(Property::kStyle);
}

bool UpDown::UserSpin(int steps) {
  if (!AcceptsInput()) return false;
  const long long target =
      static_cast<long long>(value_) + static_cast<long long>(steps) * increment_;
  SetValue(static_cast<int>(std::clamp<long long>(target, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max())));
  return true;
}

void UpDown::BuddyTextChanged() {
  const std::optional<int> typed = ParseWholeNumber(buddy_->Text());
  if (!typed) return;
  const int value = ClampToRange(*typed, min_, max_);
  if (value == value_) return;
  value_ = value;
  NotifyChanged(Property::kValue);
  Change.Raise();
}

// ---------------------------------------------------------------------------------------------

Timer::Timer(Form& form, Args args, ArrayIndex index)
    : Control(form, ControlKind::kTimer, ControlArgs{.name = args.name, .enabled = args.enabled},
              index),
      interval_(std::clamp(args.interval, 0, 65535)) {}

Timer::~Timer() {
  if (scheduledOn_ != nullptr) scheduledOn_->Stop(*this);
}

void Timer::SetInterval(int interval) {
  if (interval < 0 || interval > 65535 || interval == interval_) return;
  interval_ = interval;
  Reschedule();
}

bool Timer::Running() const {
  return Parent().Loaded() && Parent().Timers() != nullptr && Enabled() && interval_ > 0;
}

bool Timer::Fire() {
  if (!Running() || scheduledOn_ == nullptr) return false;
  Tick.Raise();
  return true;
}

void Timer::Reschedule() {
  if (!Running()) {
    if (scheduledOn_ != nullptr) std::exchange(scheduledOn_, nullptr)->Stop(*this);
    return;
  }
  TimerScheduler* scheduler = Parent().Timers();
  if (scheduledOn_ != nullptr && scheduledOn_ != scheduler) scheduledOn_->Stop(*this);
  scheduledOn_ = scheduler;
  scheduler->Start(*this);
}

}  // namespace zephyr::ui
