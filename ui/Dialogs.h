#pragma once
// Message boxes and modal showings go through one seam, so tests can answer them in-process.
#include <windows.h>

#include <functional>
#include <string>

namespace ui {

class Form;

struct MessageRequest {
  std::string text;
  std::string caption;
  UINT flags = MB_OK;  // MB_* buttons and icon
};

// Answers a message box: returns IDOK, IDCANCEL, IDYES, IDNO...
using MessageResponder = std::function<int(const MessageRequest&)>;
// Answers a modal showing of a form: may drive the form's handlers, returns the modal result.
using ModalResponder = std::function<int(Form&)>;

// Installs responders; an empty function restores the real windows. Returns the previous one.
MessageResponder SetMessageResponder(MessageResponder responder);
ModalResponder SetModalResponder(ModalResponder responder);

// A message box owned by the active window.
int ShowMessage(const std::string& text, const std::string& caption, UINT flags);
// A plain message box: the application title and one OK button.
void ShowPlainMessage(const std::string& text);

namespace detail {
const ModalResponder& CurrentModalResponder();
}

// Modal results.
enum ModalResult : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };

}  // namespace ui
