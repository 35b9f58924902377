#include "Dialogs.h"

#include "Application.h"

namespace ui {

namespace {
MessageResponder& MessageSeam() {
  static MessageResponder responder;
  return responder;
}
ModalResponder& ModalSeam() {
  static ModalResponder responder;
  return responder;
}
}  // namespace

MessageResponder SetMessageResponder(MessageResponder responder) {
  MessageResponder previous = std::move(MessageSeam());
  MessageSeam() = std::move(responder);
  return previous;
}

ModalResponder SetModalResponder(ModalResponder responder) {
  ModalResponder previous = std::move(ModalSeam());
  ModalSeam() = std::move(responder);
  return previous;
}

int ShowMessage(const std::string& text, const std::string& caption, UINT flags) {
  if (MessageSeam()) return MessageSeam()({text, caption, flags});
  // Our texts separate lines with a single CR; the box wants CR LF.
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    shown += text[i];
    if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) shown += '\n';
  }
  HWND owner = GetActiveWindow();
  return MessageBoxA(owner, shown.c_str(), caption.c_str(), flags | MB_TASKMODAL);
}

void ShowPlainMessage(const std::string& text) { ShowMessage(text, Application::Title(), MB_OK); }

const ModalResponder& detail::CurrentModalResponder() { return ModalSeam(); }

}  // namespace ui
