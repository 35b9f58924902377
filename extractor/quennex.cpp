// The program block of quennex.
#include <windows.h>

#include "Application.h"
#include "UnAceV2.h"
#include "program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  UnAceV2Initialize();
  ui::Application::Initialize();
  ui::Application::SetTitle("Vellmark Quennick Extractor");
  CreateQuennexForms();
  ui::Application::Run();
  DestroyQuennexForms();
  ui::Application::Finalize();
  UnAceV2Finalize();
  return 0;
}
