// The form binder's list views: columns, owner-data items and the selection from the model;
// clicks, keys and the texts the list asks for back.
#include "ui/form_binder_internal_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/controls.h"

namespace zephyr::ui {

using namespace binder;

// The arrow shows on the column the list keeps itself sorted by; SortKey 0 is column 1.
void FormBinderWin32::MirrorSortArrows(Binding& binding) {
  const HWND window = binding.window;
  const auto& list = *static_cast<ListView*>(binding.control);
  const HWND header = reinterpret_cast<HWND>(SendMessageA(window, LVM_GETHEADER, 0, 0));
  const auto count = static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
  const int sortedColumn = list.Sorted() ? list.SortKey() : -1;
  for (int column = 0; column < count; ++column) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
    int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
    if (column == sortedColumn) {
      format |= list.GetSortOrder() == SortOrder::kAscending ? HDF_SORTUP : HDF_SORTDOWN;
    }
    if (format == item.fmt) continue;
    item.fmt = format;
    SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
  }
}

void FormBinderWin32::MirrorListItems(Binding& binding) {
  const HWND window = binding.window;
  const auto& list = *static_cast<ListView*>(binding.control);
  std::vector<std::pair<std::string, int>> columns;
  for (int c = 1; c <= list.ColumnCount(); ++c) {
    columns.emplace_back(list.Column(c).Text(), list.Column(c).Width());
  }
  if (columns != binding.columns) {
    // Updated in place: column 0 of a list view cannot always be deleted.
    const auto shown = static_cast<int>(binding.columns.size());
    const auto wanted = static_cast<int>(columns.size());
    for (int c = 0; c < wanted; ++c) {
      LVCOLUMNA column{};
      column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
      column.fmt = LVCFMT_LEFT;
      column.cx = scale_.Length(columns[static_cast<std::size_t>(c)].second);
      column.pszText = const_cast<char*>(columns[static_cast<std::size_t>(c)].first.c_str());
      SendMessageA(window, c < shown ? LVM_SETCOLUMNA : LVM_INSERTCOLUMNA,
                   static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column));
    }
    for (int c = shown - 1; c >= std::max(wanted, 1); --c) {
      SendMessageA(window, LVM_DELETECOLUMN, static_cast<WPARAM>(c), 0);
    }
    binding.columns = std::move(columns);
    MirrorStyle(binding);
  }
  SendMessageA(window, LVM_SETITEMCOUNT, static_cast<WPARAM>(list.ItemCount()),
               LVSICF_NOSCROLL);
  InvalidateRect(window, nullptr, FALSE);
  MirrorSelection(binding);
}

void FormBinderWin32::MirrorListSelection(Binding& binding) {
  const HWND window = binding.window;
  const auto& list = *static_cast<ListView*>(binding.control);
  LVITEMA none{};
  none.stateMask = LVIS_SELECTED;
  SendMessageA(window, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
               reinterpret_cast<LPARAM>(&none));
  if (const std::optional<std::size_t> selected = list.SelectedIndex()) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(window, LVM_SETITEMSTATE, *selected, reinterpret_cast<LPARAM>(&item));
    SendMessageA(window, LVM_ENSUREVISIBLE, *selected, FALSE);
  }
}

// A selection made with the keyboard is a click on the item, as for the list's ItemClick; one
// made by a mouse press is reported by the NM_CLICK of its release, so it counts once.
void FormBinderWin32::ListItemChanged(Binding& binding, const NMLISTVIEW& change) {
  if ((change.uChanged & LVIF_STATE) == 0 ||
      ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) == 0) {
    return;
  }
  if (GetKeyState(VK_LBUTTON) < 0) return;
  ListSelectionChanged(binding);
}

// The model learns the window's selection: a newly selected item is clicked; a selection the
// user cleared raises nothing, as in the list view control, and only clears the model's.
void FormBinderWin32::ListSelectionChanged(Binding& binding) {
  auto& list = *static_cast<ListView*>(binding.control);
  const auto selected = static_cast<int>(
      SendMessageA(binding.window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (selected < 0) {
    if (list.SelectedIndex()) list.SelectItem(std::nullopt);
    return;
  }
  if (list.SelectedIndex() == static_cast<std::size_t>(selected)) return;
  Forward(binding.window,
          [&list, selected] { list.UserClickItem(static_cast<std::size_t>(selected)); },
          {Property::kSelection});
}

void FormBinderWin32::ListClicked(Binding& binding, int item) {
  if (item < 0) {
    ListSelectionChanged(binding);
    return;
  }
  auto& list = *static_cast<ListView*>(binding.control);
  Forward(binding.window, [&list, item] { list.UserClickItem(static_cast<std::size_t>(item)); },
          {Property::kSelection});
}

LRESULT FormBinderWin32::ListDisplayInfo(Binding& binding, NMLVDISPINFOA& info) {
  LVITEMA& item = info.item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return 0;
  const auto& list = *static_cast<const ListView*>(binding.control);
  std::string_view text;
  if (item.iItem >= 0 && static_cast<std::size_t>(item.iItem) < list.ItemCount()) {
    text = list.Item(static_cast<std::size_t>(item.iItem)).KeyText(item.iSubItem);
  }
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  std::memcpy(item.pszText, text.data(), length);
  item.pszText[length] = '\0';
  return 0;
}

// Typing in the list jumps to the next item whose text starts with what was typed.
LRESULT FormBinderWin32::ListFindItem(Binding& binding, const NMLVFINDITEMA& find) {
  const LVFINDINFOA& wanted = find.lvfi;
  if ((wanted.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || wanted.psz == nullptr) return -1;
  const auto& list = *static_cast<const ListView*>(binding.control);
  const std::size_t count = list.ItemCount();
  const std::string_view typed(wanted.psz);
  const std::size_t start =
      find.iStart >= 0 && static_cast<std::size_t>(find.iStart) < count ? find.iStart : 0;
  const std::size_t end = (wanted.flags & LVFI_WRAP) != 0 ? start + count : count;
  for (std::size_t i = start; i < end; ++i) {
    const std::string& text = list.Item(i % count).Text();
    const bool match = (wanted.flags & LVFI_PARTIAL) != 0
                           ? EqualNoCase(std::string_view(text).substr(0, typed.size()), typed)
                           : EqualNoCase(text, typed);
    if (match) return static_cast<LRESULT>(i % count);
  }
  return -1;
}

}  // namespace zephyr::ui
