#pragma once
// The credits window.
#include "Controls.h"
#include "Form.h"

class TForm2 : public ui::Form {
 public:
  TForm2();

  ui::Button Button1;

  void Button1Click();
  void FormClosed() override;
};

extern TForm2* Form2;
