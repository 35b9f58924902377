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
  // The title is the text of the application window, and so of the task bar button.
  static void SetTitle(const std::string& title);
  static const std::string& Title();

  // The application window, made at the first call: never seen itself (it has no size), it owns the
  // main form and carries the task bar button, which stays while the main form is hidden.
  static HWND Handle();
  // Shows the task bar button; done when the main form is first shown.
  static void ShowButton();
  // Minimizes or restores the whole program, as the task bar button does.
  static void Minimize();
  static void Restore();

  // The first form created becomes the main form; closing it ends the message loop.
  static Form* MainForm();
  static void RegisterForm(Form& form);
  static void UnregisterForm(Form& form);
  // The form last activated; the application window hands activation on to it.
  static void FormActivated(Form& form);

  // Dispatches one message of a message loop. A key for a form goes first to the form's shortcuts, then
  // to the dialog keys (Tab, arrows, Enter, Escape); a control that a key moved the focus to is told to
  // the windows around it, so that a scroll box shows it.
  static void Dispatch(MSG& msg);
  // Shows the main form and runs the message loop until the main form closes.
  static void Run();
  // Lets all pending window messages run, then returns.
  static void ProcessMessages();
  // As ProcessMessages, but only when the last time is a few milliseconds ago: a loop over thousands
  // of files calls it after each one without a call into the window system each time.
  static void ProcessMessagesWhenDue();
  // Asks the message loop to end.
  static void Terminate();
  static bool Terminated();

  // The error box for an error that escaped a handler: error icon, the application title, one OK button.
  static void ShowException(const std::exception& error);
};

}  // namespace ui
