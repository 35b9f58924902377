// The program block of quennex.
#include <windows.h>

#include <exception>

#include "Application.h"
#include "UnAceV2.h"
#include "program.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  UnAceV2Initialize();
  ui::Application::Initialize();
  ui::Application::SetTitle("Vellmark Quennick Extractor");
  int exitCode = 0;
  try {
    CreateQuennexForms();
    ui::Application::Run();
  } catch (const std::exception& error) {
    // Only a failure to create the windows gets here; handlers report their own errors.
    ui::Application::ShowException(error);
    exitCode = 1;
  }
  DestroyQuennexForms();
  ui::Application::Finalize();
  UnAceV2Finalize();
  return exitCode;
}
