// Draws the windows of setup: the path dialog and the main window after a whole installation into this
// Wine prefix. Usage: setup_pictures FOLDER
#include <cstdio>

#include "Application.h"
#include "Dialogs.h"
#include "Unit2.h"
#include "box_picture.h"
#include "setupU.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: setup_pictures FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  CreateDirectoryA(folder.c_str(), nullptr);
  ui::Application::Initialize();
  ui::Application::SetTitle("VellmarkTools-Installer");
  Form1 = new TForm1;
  Form2 = new TForm2;

  // The path dialog is answered here: shown with its proposal, pictured, then "Install".
  ui::SetModalResponder([&](ui::Form& form) {
    form.Show();
    Settle(800);
    Picture(form.hwnd(), folder, "setup-path");
    Form2->Button1Click();
    form.Hide();
    return Form2->ModalResult();
  });
  {
    BoxPicture done("Information", folder, "setup-message");
    Form1->Show();  // its first activation runs the installation
    for (int i = 0; i < 3000 && !Form1->CloseAllowed; ++i) Settle(10);
  }
  ui::SetModalResponder({});
  Settle();
  Picture(Form1->hwnd(), folder, "setup");
  const bool installed = Form1->CloseAllowed;

  delete Form2;
  Form2 = nullptr;
  delete Form1;
  Form1 = nullptr;
  ui::Application::Finalize();
  return installed ? 0 : 1;
}
