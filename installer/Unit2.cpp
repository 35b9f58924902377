#include "Unit2.h"

#include "Dialogs.h"

TForm2* Form2 = nullptr;

namespace {
using ui::Rect;

// Rectangles of the controls in a group box are relative to it.
namespace layout {
constexpr Rect GroupBox1{8, 8, 337, 377};
constexpr Rect ShellTreeView1{8, 16, 321, 305};  // in GroupBox1
constexpr Rect GroupBox2{8, 320, 321, 49};       // in GroupBox1
constexpr Rect Button1{8, 16, 81, 25};           // in GroupBox2
constexpr Rect Label1{96, 16, 0, 13};
constexpr Rect Label2{96, 29, 0, 13};
constexpr Rect Button2{256, 16, 57, 25};
}  // namespace layout
}  // namespace

TForm2::TForm2()
    : ui::Form({.caption = "Select path to install",
                .clientWidth = 353,
                .clientHeight = 393,
                .border = ui::BorderStyle::Single,
                .minimizeBox = false,
                .maximizeBox = false,
                .position = ui::Position::MainFormCenter}),
      GroupBox1(*this, layout::GroupBox1, "Install Path"),
      ShellTreeView1(GroupBox1, {layout::ShellTreeView1, 19}),
      GroupBox2(GroupBox1, layout::GroupBox2, "Confirm"),
      Button1(GroupBox2, {.bounds = layout::Button1, .caption = "Install"}),
      Label1(GroupBox2, {layout::Label1, "The directory 'Vellmark Tools'"}),
      Label2(GroupBox2, {layout::Label2, "will be created."}),
      Button2(GroupBox2, {.bounds = layout::Button2, .caption = "Abort"}) {
  Button1.onClick = [this] { Button1Click(); };
  Button2.onClick = [this] { Button2Click(); };
}

std::optional<std::string> TForm2::Execute(const std::string& proposal) {
  path_ = proposal;
  ShowModal();  // its result says nothing: every way out ends with Cancel
  return path_;
}

void TForm2::FormShow() {
  // An empty proposal leaves the tree at its root. A path the shell cannot parse is reported, and the
  // dialog opens all the same.
  if (path_ && !path_->empty()) ui::RunGuarded([this] { ShellTreeView1.SetPath(*path_); });
}

void TForm2::Button1Click() {
  path_ = ShellTreeView1.SelectedPath();
  SetModalResult(ui::mrCancel);
}

void TForm2::Button2Click() {
  path_.reset();
  SetModalResult(ui::mrCancel);
}
