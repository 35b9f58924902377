#include "about.h"

#include "quenbbs.h"

TForm2* Form2 = nullptr;

TForm2::TForm2()
    : ui::Form({.caption = "Vellmark Credits",
                .clientWidth = 323,
                .clientHeight = 273,
                .border = ui::BorderStyle::Single,
                .minimizeBox = false,
                .maximizeBox = false,
                .position = ui::Position::ScreenCenter}),
      Button1(*this, {.bounds = {8, 244, 308, 25}, .caption = "Thanks to that mates for making this tool"}) {
  Button1.onClick = [this] { Button1Click(); };
}

void TForm2::Button1Click() { Close(); }

void TForm2::FormClosed() { Form1->Show(); }
