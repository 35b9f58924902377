#pragma once
// The credits window: a background picture with two scrolling texts over it, a hidden picture for the
// mouse wheel, and the looping tune.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "Containers.h"
#include "Controls.h"
#include "Form.h"
#include "Graphics.h"
#include "Picture.h"
#include "moduleplayer.h"
#include "scroller.h"

class TForm2 : public ui::Form {
 public:
  // The tune player works through library; tests pass their own.
  explicit TForm2(const ModPlugLibrary& library = ImportedModPlugLibrary());
  ~TForm2() override;

  ui::PictureBox Image1;  // background of every frame
  ui::PictureBox Image2;  // the hidden picture
  ui::Bevel Bevel1;
  ui::PictureBox Image3;         // back buffer
  ui::PictureBox Image4;         // the finished frame
  ui::Panel ModulePlayer1Panel;  // the module player's own window
  TModulePlayer ModulePlayer1;
  ui::Button Button1;
  ui::Memo Memo1;  // the credits lines
  ui::Memo Memo2;  // the link lines
  ui::Timer Timer1{1400};
  ui::Timer Timer2{40};

  // After each closing; the window that opened the credits shows itself again.
  ui::Event onClosed;

  // The scroll state: both texts, their strips and measured widths, where each scroller stands, the bounce.
  std::string BigText, SmallText;
  std::unique_ptr<ui::Picture> BigStrip, SmallStrip;
  std::int32_t BigWidth = 0, SmallWidth = 0;
  std::int32_t BigX = 0, SmallX = 0;
  scroller::Bounce Bounce = scroller::kBounceStart;

  void FormCreate();
  void FormShow() override;
  void FormClose();
  void FormDestroy();
  void FormMouseWheelDown();
  void Timer1Timer();
  void Timer2Timer();
  void Button1Click();

 protected:
  void FormClosed() override { FormClose(); }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
};

extern TForm2* Form2;
