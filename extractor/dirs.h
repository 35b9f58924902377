#pragma once
// The folder picker: a shell folder tree, "Desktop", a confirm button and "Cancel".
#include <optional>
#include <string>

#include "Controls.h"
#include "Form.h"
#include "ShellTreeView.h"

class TForm4 : public ui::Form {
 public:
  TForm4();

  ui::ShellTreeView ShellTreeView1;
  ui::Button Button1;  // confirm; Execute gives it its caption
  ui::Button Button2;
  ui::Button BitBtn1;

  // Shows the picker modally under caption, its confirm button reading confirmText. The folder confirmed,
  // "" when none was selected; nothing when the picker was left another way.
  std::optional<std::string> Execute(const std::string& caption, const std::string& confirmText);

  std::string GetDesktopPath();
  void BitBtn1Click();
  void Button1Click();
  void Button2Click();

 private:
  std::string chosen_;
};

extern TForm4* Form4;
