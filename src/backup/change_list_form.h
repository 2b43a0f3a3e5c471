// frmPreview and frmCompare: a list of registry values that differ between two states, one row
// per value (key, value name, the first state, the second), sortable by any column. As the
// preview of an apply it offers Apply and Cancel; as a comparison of backups only Close.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "backup/value_changes.h"
#include "ui/controls.h"
#include "ui/form_model.h"

namespace zephyr {

inline constexpr char kPreviewFormName[] = "frmPreview";
inline constexpr char kCompareFormName[] = "frmCompare";

struct ChangeListArgs {
  std::string name = kPreviewFormName;
  std::string caption{};
  std::string firstHeading = "Current";
  std::string secondHeading = "New";
  std::string firstAbsent = std::string(kNotSetText);
  std::string secondAbsent = std::string(kRemovedText);
  std::string summary{};
  std::string note{};  // one more line beneath the list, when there is something to say
  // Offers Apply (enabled when there is a change); without, the form only shows.
  std::function<void()> apply{};
  // Runs when the form goes without Apply: Cancel, Close or the window's own close box.
  std::function<void()> cancel{};
};

class ChangeListForm : public ui::Form {
 public:
  ChangeListForm(ChangeListArgs args, const std::vector<ValueChange>& changes);

  ui::Label lblSummary{*this, {.name = "lblSummary", .bounds = {8, 8, 584, 32}}};
  ui::ListView lstChanges{*this, {.name = "lstChanges",
                                  .bounds = {8, 44, 584, 250},
                                  .columns = {{.text = "Key", .width = 268},
                                              {.text = "Value", .width = 132},
                                              {.text = "Current", .width = 88},
                                              {.text = "New", .width = 88}}}};
  // The selected row's whole key: the list's column is too narrow for an adapter's key, and the
  // user can select and copy it here.
  ui::TextBox txtKey{*this, {.name = "txtKey", .bounds = {8, 298, 584, 36}, .locked = true,
                             .multiLine = true}};
  ui::Label lblNote{*this, {.name = "lblNote", .bounds = {8, 340, 584, 32}, .visible = false}};
  ui::CommandButton cmdApply{*this, {.name = "cmdApply", .caption = "&Apply",
                                     .bounds = {408, 378, 88, 28}}};
  ui::CommandButton cmdCancel{*this, {.name = "cmdCancel", .caption = "&Cancel",
                                      .bounds = {504, 378, 88, 28}}};

  // The row texts, in the list's present order: key, value name, first and second state.
  std::vector<std::vector<std::string>> Rows() const;

 private:
  void lstChanges_ColumnClick(ui::ColumnHeader& column);
  void lstChanges_ItemClick(const ui::ListItem& item);
  void cmdApply_Click();
  void cmdCancel_Click();
  void Form_Unload() override;
  // Runs the form's ending once: `apply` or `cancel`.
  void End(const std::function<void()>& action);

  ChangeListArgs args_;
  bool ended_ = false;
};

// The summary line of a preview: how many values change, and how many are left as they are.
std::string PreviewSummary(std::size_t changes, int unchanged);

}  // namespace zephyr
