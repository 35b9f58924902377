#pragma once
// The path dialog: a folder tree opened at the proposal, "Install" and "Abort".
#include "Controls.h"
#include "Form.h"
#include "ShellTreeView.h"
#include "framed_group.h"

class TForm2 : public ui::Form {
 public:
  TForm2();

  FramedGroup GroupBox1;
  ui::ShellTreeView ShellTreeView1;
  FramedGroup GroupBox2;
  ui::Button Button1;
  ui::Label Label1;
  ui::Label Label2;
  ui::Button Button2;

  void Button1Click();
  void Button2Click();

 protected:
  void FormShow() override;
};

extern TForm2* Form2;
