#pragma once
// The application object: title, COM apartment, common controls, message loop and error box.
#include <windows.h>

#include <exception>
#include <string>

namespace ui {

class Form;

class Application {
 public:
  // Initialises COM (single-threaded apartment) and the common controls. Call once at start.
  static void Initialize();
  // Releases COM. Call once at the end.
  static void Finalize();

  static HINSTANCE Instance();
  static void SetTitle(const std::string& title);
  static const std::string& Title();

  // The first form created becomes the main form; closing it ends the message loop.
  static Form* MainForm();
  static void RegisterForm(Form& form);
  static void UnregisterForm(Form& form);

  // Shows the main form and runs the message loop until the main form closes.
  static void Run();
  // Lets all pending window messages run, then returns.
  static void ProcessMessages();
  // Asks the message loop to end.
  static void Terminate();
  static bool Terminated();

  // The error box for an error that escaped a handler: error icon, the application title, one OK button.
  static void ShowException(const std::exception& error);
};

}  // namespace ui
