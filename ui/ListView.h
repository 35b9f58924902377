#pragma once
// A list view whose items live here (the control is virtual and asks for what it shows), kept in
// order by a compare callback; list and details views, small and state image lists.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Window.h"
#include <commctrl.h>

namespace ui {

class ImageList;

struct ListItem {
  std::string caption;
  std::vector<std::string> subItems;
  int imageIndex = -1;  // small image
  int stateIndex = -1;  // state image, -1 for none
};

struct ListColumn {
  std::string caption;
  int minWidth = 50;
  bool rightAligned = false;
  bool autoSize = true;  // widens to its widest text; otherwise it keeps minWidth and cuts longer texts
};

class ListView : public Window {
 public:
  enum class ViewStyle { List, Details };
  struct Args {
    Rect bounds;
    std::vector<ListColumn> columns;
    ImageList* smallImages = nullptr;
    ImageList* stateImages = nullptr;
    bool gridLines = true;
    ViewStyle view = ViewStyle::List;
    bool columnHeaders = true;
  };
  ListView(Window& parent, const Args& args);

  int Count() const { return static_cast<int>(items_.size()); }
  const ListItem& Item(int index) const { return items_.at(static_cast<size_t>(index)); }
  void Clear();
  // Adds an item where the compare callback puts it (at the end without one); returns its index.
  int Add(ListItem item);
  void SetImageIndex(int index, int imageIndex);
  void SetStateIndex(int index, int stateIndex);
  void SetCaption(int index, const std::string& caption);
  // Re-sorts all items with the compare callback (stable).
  void Sort();
  // Between these, added items are kept in order but the control is told only once, at the end.
  void BeginUpdate() { ++updating_; }
  void EndUpdate();

  ViewStyle View() const { return view_; }
  void SetView(ViewStyle view);
  int ColumnWidth(int column) const;

  int Selected() const;  // the focused or first selected item, -1 for none
  void Select(int index);

  // Negative, 0 or positive, as item a comes before, with or after item b.
  std::function<int(const ListItem& a, const ListItem& b)> onCompare;
  std::function<void(int column)> onColumnClick;
  // An item's image changed.
  std::function<void(int index)> onChange;
  Event onDblClick;

  // As the user's actions.
  void ClickColumn(int column);
  void DblClick() { Fire(onDblClick); }

  bool OnNotify(NMHDR* header, LRESULT& result) override;

 private:
  void Refresh();
  void RedrawItem(int index);
  void SizeColumns();
  std::vector<ListItem> items_;
  std::vector<ListColumn> columns_;
  ViewStyle view_;
  ImageList* smallImages_;
  ImageList* stateImages_;
  bool columnsStale_ = true;
  int updating_ = 0;
};

}  // namespace ui
