// The program block of setup.
#include <windows.h>

#include "Application.h"
#include "Unit2.h"
#include "setupU.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ui::Application::Initialize();
  ui::Application::SetTitle("VellmarkTools-Installer");
  Form1 = new TForm1;
  Form2 = new TForm2;
  ui::Application::Run();
  delete Form2;
  Form2 = nullptr;
  delete Form1;
  Form1 = nullptr;
  ui::Application::Finalize();
  return 0;
}
