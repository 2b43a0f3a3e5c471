#include "backup/change_list_form.h"

namespace zephyr {

std::string PreviewSummary(std::size_t changes, int unchanged) {
  const std::string left = unchanged == 1 ? "1 value already holds its setting and is left out."
                                          : std::to_string(unchanged) +
                                                " values already hold their settings and are "
                                                "left out.";
  if (changes == 0) {
    return "Nothing to change: every value already holds its setting. " +
           std::string(unchanged > 0 ? left : "");
  }
  return (changes == 1 ? std::string("1 value will be written or removed")
                       : std::to_string(changes) + " values will be written or removed") +
         " when you press Apply; a backup is taken first. " + (unchanged > 0 ? left : "");
}

ChangeListForm::ChangeListForm(ChangeListArgs args, const std::vector<ValueChange>& changes)
    : ui::Form({.name = args.name, .caption = args.caption, .bounds = {0, 0, 600, 414}}),
      args_(std::move(args)) {
  lstChanges.ColumnClick.Connect(this, &ChangeListForm::lstChanges_ColumnClick);
  lstChanges.ItemClick.Connect(this, &ChangeListForm::lstChanges_ItemClick);
  cmdApply.Click.Connect(this, &ChangeListForm::cmdApply_Click);
  cmdCancel.Click.Connect(this, &ChangeListForm::cmdCancel_Click);
  lstChanges.Column(3).SetText(args_.firstHeading);
  lstChanges.Column(4).SetText(args_.secondHeading);
  lblSummary.SetCaption(args_.summary);
  lblNote.SetCaption(args_.note);
  lblNote.SetVisible(!args_.note.empty());
  for (const ValueChange& change : changes) {
    lstChanges.AddItem(ShowKey(change.hive, change.keyPath),
                       {ShowValueName(change.valueName), ShowValue(change.before, args_.firstAbsent),
                        ShowValue(change.after, args_.secondAbsent)});
  }
  if (lstChanges.ItemCount() > 0) {
    lstChanges.SelectItem(0);
    txtKey.SetText(lstChanges.Item(0).Text());
  }
  const bool applies = static_cast<bool>(args_.apply);
  cmdApply.SetVisible(applies);
  cmdApply.SetEnabled(applies && !changes.empty());
  if (!applies) cmdCancel.SetCaption("&Close");
}

std::vector<std::vector<std::string>> ChangeListForm::Rows() const {
  std::vector<std::vector<std::string>> rows;
  for (std::size_t i = 0; i < lstChanges.ItemCount(); ++i) {
    const ui::ListItem& item = lstChanges.Item(i);
    rows.push_back({item.Text(), item.SubItems(1), item.SubItems(2), item.SubItems(3)});
  }
  return rows;
}

void ChangeListForm::lstChanges_ItemClick(const ui::ListItem& item) { txtKey.SetText(item.Text()); }

void ChangeListForm::lstChanges_ColumnClick(ui::ColumnHeader& column) {
  // The first click on a column sorts ascending, the next descending.
  const bool ascending = column.Tag() != "ASC";
  for (int index = 1; index <= lstChanges.ColumnCount(); ++index) {
    lstChanges.Column(index).SetTag("");
  }
  column.SetTag(ascending ? "ASC" : "DESC");
  lstChanges.SetSortOrder(ascending ? ui::SortOrder::kAscending : ui::SortOrder::kDescending);
  lstChanges.SetSortKey(column.Index() - 1);
  lstChanges.SetSorted(true);
}

void ChangeListForm::End(const std::function<void()>& action) {
  if (ended_) return;
  ended_ = true;
  if (action) action();
}

void ChangeListForm::cmdApply_Click() { End(args_.apply); }
void ChangeListForm::cmdCancel_Click() { End(args_.cancel); }
void ChangeListForm::Form_Unload() { End(args_.cancel); }

}  // namespace zephyr
