#pragma once
// The best-match window: the user picks, edits or adds the line that names the program.
#include <memory>

#include "Containers.h"
#include "Controls.h"
#include "Form.h"

class TForm5 : public ui::Form {
 public:
  TForm5();

  ui::Button Button1;  // "Select"
  ui::Button Button2;  // "Stop asking"
  ui::Panel Panel1;
  ui::Label Label1;
  ui::Label Label2;
  ui::Button Button3;  // "Change"
  ui::Edit Edit1;
  ui::ListBox ListBox1;
  ui::Button Button4;  // "Add"

  void FormShow() override;
  void ListBox1Click();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  // Enter and Escape, whatever control has the focus.
  void DialogKey(int id) override;
  void FormClosed() override;

  // The line taken at the last closing.
  const std::string& ChosenLine() const { return chosenLine_; }

 private:
  std::string chosenLine_;
};

extern TForm5* Form5;
