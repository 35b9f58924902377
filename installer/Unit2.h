#pragma once
// The path dialog: a folder tree opened at the proposal, "Install" and "Abort".
#include <optional>
#include <string>

#include "Controls.h"
#include "Form.h"
#include "FramedGroup.h"
#include "ShellTreeView.h"

class TForm2 : public ui::Form {
 public:
  TForm2();

  ui::FramedGroup GroupBox1;
  ui::ShellTreeView ShellTreeView1;
  ui::FramedGroup GroupBox2;
  ui::Button Button1;
  ui::Label Label1;
  ui::Label Label2;
  ui::Button Button2;

  // Shows the dialog modally, the tree opened at the proposal. The folder selected with "Install"; nothing
  // after "Abort". The close box keeps the proposal.
  std::optional<std::string> Execute(const std::string& proposal);

  void Button1Click();
  void Button2Click();

 protected:
  void FormShow() override;

 private:
  std::optional<std::string> path_;
};

extern TForm2* Form2;
