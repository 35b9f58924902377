#include "raten.h"

TForm5* Form5 = nullptr;

namespace {
using ui::Rect;
namespace layout {
constexpr Rect Panel1{8, 8, 505, 313};
constexpr Rect Label1{8, 8, 0, 13};
constexpr Rect Label2{104, 8, 393, 13};
constexpr Rect ListBox1{8, 24, 489, 249};
constexpr Rect Edit1{8, 280, 329, 21};
constexpr Rect Button3{344, 280, 73, 21};
constexpr Rect Button4{424, 280, 73, 21};
constexpr Rect Button2{8, 328, 113, 25};
constexpr Rect Button1{128, 328, 385, 25};
}  // namespace layout
}  // namespace

TForm5::TForm5()
    : ui::Form({.caption = "Select the best match",
                .clientWidth = 523,
                .clientHeight = 363,
                .border = ui::BorderStyle::Single,
                .minimizeBox = false,
                .maximizeBox = false,
                .position = ui::Position::MainFormCenter}),
      Button1(*this, {.bounds = layout::Button1, .caption = "Select"}),
      Button2(*this, {.bounds = layout::Button2, .caption = "Stop asking"}),
      Panel1(*this, {.bounds = layout::Panel1, .bevel = true}),
      Label1(Panel1, {layout::Label1, "Working on archive"}),
      Label2(Panel1, {layout::Label2, "", true}),
      Button3(Panel1, {.bounds = layout::Button3, .caption = "Change"}),
      Edit1(Panel1, {.bounds = layout::Edit1}),
      ListBox1(Panel1, {.bounds = layout::ListBox1, .typeAhead = false}),
      Button4(Panel1, {.bounds = layout::Button4, .caption = "Add"}) {
  Button1.onClick = [this] { Button1Click(); };
  Button2.onClick = [this] { Button2Click(); };
  Button3.onClick = [this] { Button3Click(); };
  Button4.onClick = [this] { Button4Click(); };
  ListBox1.onClick = [this] { ListBox1Click(); };
  ListBox1.onDblClick = [this] { Button1Click(); };
}

quennex::BestMatch TForm5::Ask(const std::string& archive, const std::vector<std::string>& candidates) {
  archive_ = archive;
  answer_ = {};
  ListBox1.Clear();
  for (const std::string& line : candidates) ListBox1.Add(line);
  ShowModal();
  return answer_;
}

void TForm5::FormShow() {
  ListBox1.SetItemIndex(0);
  Label2.SetCaption(archive_);
  ListBox1Click();
}

void TForm5::ListBox1Click() { Edit1.SetText(ListBox1.Item(ListBox1.ItemIndex())); }

void TForm5::Button1Click() { Close(); }

void TForm5::Button2Click() {
  answer_.stop_asking = true;
  Button1Click();
}

void TForm5::Button3Click() { ListBox1.SetItem(ListBox1.ItemIndex(), Edit1.Text()); }

void TForm5::Button4Click() {
  const std::string text = Edit1.Text();
  if (!text.empty()) ListBox1.Add(text);
  ListBox1.SetItemIndex(ListBox1.Count() - 1);
}

bool TForm5::FormShortCut(WPARAM key) {
  if (key != VK_RETURN && key != VK_ESCAPE) return false;
  Button1.Click();
  return true;
}

// Every way of closing takes the selected line, or the first when none is selected.
void TForm5::FormClosed() {
  int k = ListBox1.ItemIndex();
  if (k < 0) k = 0;
  answer_.line = ListBox1.Item(k);  // an empty list gives an empty line
}
