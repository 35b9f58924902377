#include "ListView.h"

#include <algorithm>

#include "Graphics.h"

namespace ui {

ListView::ListView(Window& parent, const Args& args)
    : columns_(args.columns), view_(args.view), smallImages_(args.smallImages), stateImages_(args.stateImages) {
  CreateControl(parent, WC_LISTVIEWA, args.bounds,
                WS_VISIBLE | WS_TABSTOP | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL |
                    (view_ == ViewStyle::List ? LVS_LIST : LVS_REPORT) | (args.columnHeaders ? 0 : LVS_NOCOLUMNHEADER),
                WS_EX_CLIENTEDGE);
  DWORD ex = LVS_EX_FULLROWSELECT;
  if (args.gridLines) ex |= LVS_EX_GRIDLINES;
  ListView_SetExtendedListViewStyle(hwnd_, ex);
  if (smallImages_) ListView_SetImageList(hwnd_, smallImages_->handle(), LVSIL_SMALL);
  if (stateImages_) ListView_SetImageList(hwnd_, stateImages_->handle(), LVSIL_STATE);
  for (size_t i = 0; i < columns_.size(); ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    column.fmt = columns_[i].rightAligned && i > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = columns_[i].minWidth;
    column.pszText = const_cast<char*>(columns_[i].caption.c_str());
    column.iSubItem = static_cast<int>(i);
    SendMessageA(hwnd_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
  }
}

void ListView::Clear() {
  items_.clear();
  Refresh();
}

int ListView::Add(ListItem item) {
  auto position = items_.end();
  if (onCompare) {
    // After every equal item, so equal items keep the order they came in.
    position = std::upper_bound(items_.begin(), items_.end(), item,
                                [this](const ListItem& a, const ListItem& b) { return onCompare(a, b) < 0; });
  }
  const auto index = position - items_.begin();
  items_.insert(position, std::move(item));
  Refresh();
  return static_cast<int>(index);
}

// An item out of sight is drawn when it scrolls into view, so only one that shows is redrawn now: a pass
// over a long list would otherwise cost a window round trip per item.
void ListView::RedrawItem(int index) {
  RECT item, client;
  if (ListView_GetItemRect(hwnd_, index, &item, LVIR_BOUNDS) && GetClientRect(hwnd_, &client) &&
      !IntersectRect(&item, &item, &client)) {
    return;
  }
  ListView_RedrawItems(hwnd_, index, index);
}

void ListView::SetImageIndex(int index, int imageIndex) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<size_t>(index)].imageIndex = imageIndex;
  RedrawItem(index);
  if (onChange) RunGuarded([&] { onChange(index); });
}

void ListView::SetStateIndex(int index, int stateIndex) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<size_t>(index)].stateIndex = stateIndex;
  RedrawItem(index);
}

void ListView::SetCaption(int index, const std::string& caption) {
  if (index < 0 || index >= Count()) return;
  items_[static_cast<size_t>(index)].caption = caption;
  columnsStale_ = true;
  if (view_ == ViewStyle::Details && IsWindowVisible(hwnd_)) SizeColumns();
  RedrawItem(index);
}

void ListView::Sort() {
  if (!onCompare) return;
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const ListItem& a, const ListItem& b) { return onCompare(a, b) < 0; });
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ListView::SetView(ViewStyle view) {
  view_ = view;
  LONG style = GetWindowLongA(hwnd_, GWL_STYLE) & ~LVS_TYPEMASK;
  SetWindowLongA(hwnd_, GWL_STYLE, style | (view == ViewStyle::List ? LVS_LIST : LVS_REPORT));
  if (view == ViewStyle::Details) SizeColumns();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int ListView::ColumnWidth(int column) const { return ListView_GetColumnWidth(hwnd_, column); }

int ListView::Selected() const {
  const int focused = ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED | LVNI_SELECTED);
  return focused >= 0 ? focused : ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED);
}

void ListView::Select(int index) {
  ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (index >= 0 && index < Count()) {
    ListView_SetItemState(hwnd_, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  }
}

void ListView::ClickColumn(int column) {
  if (onColumnClick) RunGuarded([&] { onColumnClick(column); });
}

void ListView::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0) Refresh();
}

void ListView::Refresh() {
  if (updating_) return;
  ListView_SetItemCountEx(hwnd_, static_cast<int>(items_.size()), LVSICF_NOSCROLL);
  columnsStale_ = true;
  if (view_ == ViewStyle::Details && IsWindowVisible(hwnd_)) SizeColumns();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

// Every column that sizes itself as wide as its widest text, never below its minimum width.
void ListView::SizeColumns() {
  if (!columnsStale_) return;
  columnsStale_ = false;
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0)));
  const int padding = 12;
  for (size_t c = 0; c < columns_.size(); ++c) {
    if (!columns_[c].autoSize) continue;
    int width = 0;
    SIZE size;
    GetTextExtentPoint32A(dc, columns_[c].caption.c_str(), static_cast<int>(columns_[c].caption.size()), &size);
    width = size.cx + padding;
    for (const ListItem& item : items_) {
      const std::string& text = c == 0 ? item.caption : (c - 1 < item.subItems.size() ? item.subItems[c - 1] : "");
      GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
      int needed = size.cx + padding;
      if (c == 0) needed += (smallImages_ ? 18 : 0) + (stateImages_ ? 18 : 0);
      width = std::max(width, needed);
    }
    ListView_SetColumnWidth(hwnd_, static_cast<int>(c), std::max(width, columns_[c].minWidth));
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
}

bool ListView::OnNotify(NMHDR* header, LRESULT& result) {
  switch (header->code) {
    case LVN_GETDISPINFOA: {
      LVITEMA& request = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
      if (request.iItem < 0 || request.iItem >= Count()) return true;
      const ListItem& item = items_[static_cast<size_t>(request.iItem)];
      if (request.mask & LVIF_TEXT) {
        const std::string* text = nullptr;
        if (request.iSubItem == 0) {
          text = &item.caption;
        } else if (static_cast<size_t>(request.iSubItem) - 1 < item.subItems.size()) {
          text = &item.subItems[static_cast<size_t>(request.iSubItem) - 1];
        }
        if (request.cchTextMax > 0) lstrcpynA(request.pszText, text ? text->c_str() : "", request.cchTextMax);
      }
      if (request.mask & LVIF_IMAGE) request.iImage = item.imageIndex;
      if (stateImages_ && item.stateIndex >= 0) {
        request.mask |= LVIF_STATE;
        request.stateMask |= LVIS_STATEIMAGEMASK;
        request.state = (request.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(item.stateIndex + 1);
      }
      result = 0;
      return true;
    }
    case LVN_COLUMNCLICK:
      ClickColumn(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
      result = 0;
      return true;
    case NM_DBLCLK:
      DblClick();
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace ui
