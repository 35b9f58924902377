#pragma once
// The folder picker: a shell folder tree, "Desktop", a confirm button and "Cancel".
#include <string>

#include "Controls.h"
#include "Form.h"
#include "ShellTreeView.h"

class TForm4 : public ui::Form {
 public:
  TForm4();

  ui::ShellTreeView ShellTreeView1;
  ui::Button Button1;  // confirm; the caller sets its caption
  ui::Button Button2;
  ui::Button BitBtn1;

  std::string GetDesktopPath();
  void BitBtn1Click();
  void Button1Click();
  void Button2Click();
};

extern TForm4* Form4;
