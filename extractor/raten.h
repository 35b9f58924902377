#pragma once
// The best-match window: the user picks, edits or adds the line that names the program.
#include <string>
#include <vector>

#include "Containers.h"
#include "Controls.h"
#include "Form.h"
#include "guess.h"

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

  // Shows the candidate lines of the named archive modally. The user may change and add lines; every way of
  // closing takes the selected line, or the first when none is selected ("" from an empty list).
  quennex::BestMatch Ask(const std::string& archive, const std::vector<std::string>& candidates);

  void FormShow() override;
  void ListBox1Click();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  // Enter and Escape click "Select", whatever control has the focus; the control never gets them.
  bool FormShortCut(WPARAM key) override;
  void FormClosed() override;

 private:
  std::string archive_;
  quennex::BestMatch answer_;
};

extern TForm5* Form5;
