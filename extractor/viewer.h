#pragma once
// The description viewer: shows the lines of a description in its memo.
#include <string>
#include <vector>

#include "Controls.h"
#include "Form.h"

class TForm3 : public ui::Form {
  // The designed distances, in window pixels, that a resize keeps; 0 until laid out. Set up before the
  // controls, so a resize while they are made finds them.
  int MarginW = 0, MarginH = 0, ButtonsFromBottom = 0, CloseFromRight = 0;

 public:
  TForm3();
  ~TForm3() override;

  ui::Memo Memo1;
  ui::Button Button1;
  ui::Button Button2;
  ui::Button Button3;
  ui::Button Button4;

  // Shows the lines modally.
  void ShowDescription(const std::vector<std::string>& lines);

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
