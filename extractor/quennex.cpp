// The program block of quennex.
#include <windows.h>

#include "Application.h"
#include "program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ui::Application::Initialize();
  ui::Application::SetTitle("Vellmark Quennick Extractor");
  CreateQuennexForms();
  ui::Application::Run();
  DestroyQuennexForms();
  ui::Application::Finalize();
  return 0;
}
