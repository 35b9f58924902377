#pragma once
// The description viewer. Its memo is the description buffer, shown or not.
#include "Controls.h"
#include "Form.h"

extern int MarginW, MarginH, ButtonsFromBottom, CloseFromRight;

class TForm3 : public ui::Form {
 public:
  TForm3();
  ~TForm3() override;

  ui::Memo Memo1;
  ui::Button Button1;
  ui::Button Button2;
  ui::Button Button3;
  ui::Button Button4;

  void FormCreate();
  void FormResize() override;
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();

 private:
  void SetMemoFont(const char* name, int points, bool fixedPitch);
  HFONT font_ = nullptr;
};

extern TForm3* Form3;
