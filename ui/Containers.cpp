#include "Containers.h"

#include "Graphics.h"

namespace ui {

// Panel

Panel::Panel(Window& parent, const Args& args) {
  CreateContainer(parent.hwnd(), args.bounds, WS_CHILD | WS_CLIPSIBLINGS | (args.visible ? WS_VISIBLE : 0),
                  WS_EX_CONTROLPARENT | (args.bevel ? WS_EX_STATICEDGE : 0));
}

// RadioGroup

class RadioGroup::Item : public Window {
 public:
  Item(RadioGroup& group, const Rect& bounds, const std::string& caption, bool first) : group_(group) {
    CreateControl(group, WC_BUTTONA, bounds, WS_VISIBLE | BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0), 0,
                  caption);
    WidenToCaption(true);
  }
  bool OnCommand(WORD code) override {
    if (code != BN_CLICKED) return false;
    Fire(group_.onClick);
    return true;
  }

 private:
  RadioGroup& group_;
};

RadioGroup::RadioGroup(Window& parent, const Args& args) {
  CreateContainer(parent.hwnd(), args.bounds, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT);
  frame_ =
      std::make_unique<GroupBox>(*this, GroupBox::Args{{0, 0, args.bounds.width, args.bounds.height}, args.caption});
  const int rows = static_cast<int>(args.items.size());
  const int top = 16, bottom = 6;
  const int pitch = rows ? std::max(17, (args.bounds.height - top - bottom) / rows) : 17;
  for (int i = 0; i < rows; ++i) {
    items_.push_back(std::make_unique<Item>(*this, Rect{8, top + i * pitch, args.bounds.width - 16, 17},
                                            args.items[static_cast<size_t>(i)], i == 0));
  }
  SetItemIndex(args.itemIndex);
}

RadioGroup::~RadioGroup() = default;

int RadioGroup::ItemIndex() const {
  for (size_t i = 0; i < items_.size(); ++i) {
    if (SendMessageA(items_[i]->hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
  }
  return -1;
}

void RadioGroup::SetItemIndex(int index) {
  for (size_t i = 0; i < items_.size(); ++i) {
    SendMessageA(items_[i]->hwnd(), BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

// ScrollBox

ScrollBox::ScrollBox(Window& parent, const Args& args) : contentHeight_(args.contentHeight) {
  CreateContainer(parent.hwnd(), args.bounds, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN,
                  WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE);
  RECT client;
  GetClientRect(hwnd_, &client);
  content_ =
      std::make_unique<Panel>(*this, Panel::Args{{0, 0, client.right, std::max<int>(contentHeight_, client.bottom)}});
  UpdateBar();
}

void ScrollBox::SetContentHeight(int height) {
  contentHeight_ = height;
  RECT client;
  GetClientRect(hwnd_, &client);
  SetWindowPos(content_->hwnd(), nullptr, 0, -position_, client.right, std::max<int>(height, client.bottom),
               SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateBar();
}

void ScrollBox::UpdateBar() {
  RECT client;
  GetClientRect(hwnd_, &client);
  SCROLLINFO info{sizeof info,
                  SIF_RANGE | SIF_PAGE | SIF_POS,
                  0,
                  std::max(0, contentHeight_ - 1),
                  static_cast<UINT>(client.bottom),
                  position_,
                  0};
  SetScrollInfo(hwnd_, SB_VERT, &info, TRUE);
}

void ScrollBox::ScrollTo(int position) {
  RECT client;
  GetClientRect(hwnd_, &client);
  position = std::clamp(position, 0, std::max(0, contentHeight_ - static_cast<int>(client.bottom)));
  if (position == position_) return;
  position_ = position;
  SetWindowPos(content_->hwnd(), nullptr, 0, -position_, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateBar();
}

void ScrollBox::ScrollIntoView(HWND control) {
  if (!IsChild(content_->hwnd(), control)) return;
  // A control inside a group (a radio button) brings its whole group, when that fits.
  RECT client;
  GetClientRect(hwnd_, &client);
  RECT shown;
  GetWindowRect(control, &shown);
  for (HWND outer = control; outer && outer != content_->hwnd(); outer = GetParent(outer)) {
    RECT r;
    GetWindowRect(outer, &r);
    if (r.bottom - r.top <= client.bottom) shown = r;
  }
  MapWindowPoints(HWND_DESKTOP, hwnd_, reinterpret_cast<POINT*>(&shown), 2);
  if (shown.top < 0 || shown.bottom - shown.top > client.bottom) {
    ScrollTo(position_ + shown.top);
  } else if (shown.bottom > client.bottom) {
    ScrollTo(position_ + shown.bottom - client.bottom);
  }
}

LRESULT ScrollBox::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_VSCROLL && lparam == 0) {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(hwnd_, SB_VERT, &info);
    int position = position_;
    switch (LOWORD(wparam)) {
      case SB_LINEUP:
        position -= 16;
        break;
      case SB_LINEDOWN:
        position += 16;
        break;
      case SB_PAGEUP:
        position -= static_cast<int>(info.nPage);
        break;
      case SB_PAGEDOWN:
        position += static_cast<int>(info.nPage);
        break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION:
        position = info.nTrackPos;
        break;
      case SB_TOP:
        position = 0;
        break;
      case SB_BOTTOM:
        position = contentHeight_;
        break;
      default:
        break;
    }
    ScrollTo(position);
    return 0;
  }
  if (message == WM_MOUSEWHEEL) {
    ScrollTo(position_ - GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA * 48);
    return 0;
  }
  return Container::HandleMessage(message, wparam, lparam);
}

// TabSheet

TabSheet::TabSheet(Window& parent, const Rect& bounds) {
  CreateContainer(parent.hwnd(), bounds, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

// PageControl

namespace {
void AddTabs(HWND tabs, const std::vector<std::string>& names, ImageList* images) {
  if (images) SendMessageA(tabs, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images->handle()));
  for (size_t i = 0; i < names.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT | (images ? TCIF_IMAGE : 0);
    item.pszText = const_cast<char*>(names[i].c_str());
    item.iImage = static_cast<int>(i);
    SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
}
}  // namespace

PageControl::PageControl(Window& parent, const Args& args) {
  CreateControl(parent, WC_TABCONTROLA, args.bounds, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS);
  AddTabs(hwnd_, args.pages, args.images);
  RECT area{0, 0, args.bounds.width, args.bounds.height};
  TabCtrl_AdjustRect(hwnd_, FALSE, &area);
  // Pages are siblings laid over the tab control's display area, so their notifications reach a container.
  for (size_t i = 0; i < args.pages.size(); ++i) {
    pages_.push_back(std::make_unique<TabSheet>(parent, Rect{args.bounds.left + area.left, args.bounds.top + area.top,
                                                             area.right - area.left, area.bottom - area.top}));
    SetWindowPos(pages_.back()->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SetActivePage(0);
}

int PageControl::ActivePage() const { return TabCtrl_GetCurSel(hwnd_); }

void PageControl::SetActivePage(int index) {
  if (index < 0 || index >= PageCount()) return;
  TabCtrl_SetCurSel(hwnd_, index);
  for (int i = 0; i < PageCount(); ++i) pages_[static_cast<size_t>(i)]->SetVisible(i == index);
}

void PageControl::SetEnabled(bool enabled) {
  Window::SetEnabled(enabled);
  for (auto& page : pages_) page->SetEnabled(enabled);
}

bool PageControl::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->code != TCN_SELCHANGE) return false;
  SetActivePage(TabCtrl_GetCurSel(hwnd_));
  result = 0;
  return true;
}

// TabControl

TabControl::TabControl(Window& parent, const Args& args) {
  CreateControl(parent, WC_TABCONTROLA, args.bounds, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS);
  AddTabs(hwnd_, args.tabs, args.images);
}

int TabControl::TabIndex() const { return TabCtrl_GetCurSel(hwnd_); }

void TabControl::SetTabIndex(int index) {
  TabCtrl_SetCurSel(hwnd_, index);
  Fire(onChange);
}

Rect TabControl::DisplayArea() const {
  const Rect b = Bounds();
  RECT area{0, 0, b.width, b.height};
  TabCtrl_AdjustRect(hwnd_, FALSE, &area);
  return {b.left + area.left, b.top + area.top, area.right - area.left, area.bottom - area.top};
}

bool TabControl::OnNotify(NMHDR* header, LRESULT& result) {
  if (header->code != TCN_SELCHANGE) return false;
  Fire(onChange);
  result = 0;
  return true;
}

}  // namespace ui
