#pragma once
// Controls that hold other controls: panels, radio groups, scroll boxes, page and tab controls.
#include <memory>
#include <string>
#include <vector>

#include "Controls.h"
#include <commctrl.h>

namespace ui {

class ImageList;

class Panel : public Container {
 public:
  struct Args {
    Rect bounds;
    bool visible = true;
    bool bevel = false;
  };
  Panel(Window& parent, const Args& args);
};

// A framed group of radio buttons, one item per line.
class RadioGroup : public Container {
 public:
  struct Args {
    Rect bounds;
    std::string caption;
    std::vector<std::string> items;
    int itemIndex = -1;
  };
  RadioGroup(Window& parent, const Args& args);
  ~RadioGroup() override;
  int ItemIndex() const;
  void SetItemIndex(int index);
  Event onClick;

 private:
  class Item;
  std::unique_ptr<GroupBox> frame_;
  std::vector<std::unique_ptr<Item>> items_;
};

// A box whose content scrolls vertically; controls go into Content().
class ScrollBox : public Container {
 public:
  struct Args {
    Rect bounds;
    int contentHeight = 0;
  };
  ScrollBox(Window& parent, const Args& args);
  Panel& Content() { return *content_; }
  void SetContentHeight(int height);
  int ScrollPosition() const { return position_; }
  void ScrollTo(int position);
  // Scrolls as little as shows the control whole (its top, when it is taller than the box).
  void ScrollIntoView(HWND control);
  void FocusMovedInside(HWND control) override { ScrollIntoView(control); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void UpdateBar();
  std::unique_ptr<Panel> content_;
  int contentHeight_;
  int position_ = 0;
};

class TabSheet : public Container {
 public:
  TabSheet(Window& parent, const Rect& bounds);
};

// Pages with tabs; each page is a container for its controls.
class PageControl : public Window {
 public:
  struct Args {
    Rect bounds;
    std::vector<std::string> pages;
    ImageList* images = nullptr;  // tab icons, image i on page i
  };
  PageControl(Window& parent, const Args& args);
  TabSheet& Page(int index) { return *pages_.at(static_cast<size_t>(index)); }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  int ActivePage() const;
  void SetActivePage(int index);
  void SetEnabled(bool enabled);
  bool OnNotify(NMHDR* header, LRESULT& result) override;

 private:
  std::vector<std::unique_ptr<TabSheet>> pages_;
};

// A row of tabs that only reports changes; the controls it frames are its siblings.
class TabControl : public Window {
 public:
  struct Args {
    Rect bounds;
    std::vector<std::string> tabs;
    ImageList* images = nullptr;
  };
  TabControl(Window& parent, const Args& args);
  int TabIndex() const;
  void SetTabIndex(int index);  // as a user's change: fires onChange
  // The area inside the frame, below the tabs, in the parent's coordinates.
  Rect DisplayArea() const;
  Event onChange;
  bool OnNotify(NMHDR* header, LRESULT& result) override;
};

}  // namespace ui
