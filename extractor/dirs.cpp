#include "dirs.h"

#include "Dialogs.h"
#include "registry.h"
#include "resources.h"

TForm4* Form4 = nullptr;

namespace {
using ui::Rect;
namespace layout {
constexpr Rect ShellTreeView1{8, 8, 297, 321};
constexpr Rect BitBtn1{8, 336, 75, 25};
constexpr Rect Button1{88, 336, 113, 25};
constexpr Rect Button2{208, 336, 97, 25};
}  // namespace layout
}  // namespace

TForm4::TForm4()
    : ui::Form({.caption = "Folder",
                .clientWidth = 316,
                .clientHeight = 368,
                .border = ui::BorderStyle::Single,
                .position = ui::Position::MainFormCenter}),
      ShellTreeView1(*this, {layout::ShellTreeView1, 19}),
      Button1(*this, {.bounds = layout::Button1, .caption = "OK"}),
      Button2(*this, {.bounds = layout::Button2, .caption = "Cancel"}),
      BitBtn1(*this, {.bounds = layout::BitBtn1, .caption = "Desktop", .glyph = kDesktopBitmap}) {
  BitBtn1.onClick = [this] { BitBtn1Click(); };
  Button1.onClick = [this] { Button1Click(); };
  Button2.onClick = [this] { Button2Click(); };
}

std::optional<std::string> TForm4::Execute(const std::string& caption, const std::string& confirmText) {
  SetCaption(caption);
  Button1.SetText(confirmText);
  chosen_.clear();
  if (ShowModal() != ui::mrOk) return std::nullopt;
  return chosen_;
}

std::string TForm4::GetDesktopPath() {
  return registry::ReadString(HKEY_CURRENT_USER,
                              "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Desktop");
}

void TForm4::BitBtn1Click() {
  const std::string desktop = GetDesktopPath();
  if (!desktop.empty()) ShellTreeView1.SetPath(desktop);
}

void TForm4::Button1Click() {
  chosen_ = ShellTreeView1.SelectedPath();
  SetModalResult(ui::mrOk);
}

void TForm4::Button2Click() { SetModalResult(ui::mrCancel); }
