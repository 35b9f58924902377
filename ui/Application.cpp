#include "Application.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <vector>

#include "Dialogs.h"
#include "Form.h"

namespace ui {

namespace {
struct State {
  std::string title;
  std::vector<Form*> forms;
  bool terminated = false;
  bool comInitialized = false;
};
State& TheState() {
  static State state;
  return state;
}

bool IsDialogMessageForAnyForm(MSG& msg) {
  HWND top = GetAncestor(msg.hwnd, GA_ROOT);
  return top && Window::FromHandle(top) && IsDialogMessageA(top, &msg);
}
}  // namespace

void Application::Initialize() {
  State& state = TheState();
  state.comInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
}

void Application::Finalize() {
  State& state = TheState();
  if (state.comInitialized) CoUninitialize();
  state.comInitialized = false;
}

HINSTANCE Application::Instance() { return GetModuleHandleA(nullptr); }

void Application::SetTitle(const std::string& title) { TheState().title = title; }
const std::string& Application::Title() { return TheState().title; }

Form* Application::MainForm() {
  const auto& forms = TheState().forms;
  return forms.empty() ? nullptr : forms.front();
}

void Application::RegisterForm(Form& form) { TheState().forms.push_back(&form); }

void Application::UnregisterForm(Form& form) {
  auto& forms = TheState().forms;
  forms.erase(std::remove(forms.begin(), forms.end(), &form), forms.end());
}

void Application::Run() {
  State& state = TheState();
  state.terminated = false;
  if (Form* main = MainForm()) main->Show();
  MSG msg;
  while (!state.terminated && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageForAnyForm(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      TheState().terminated = true;
      break;
    }
    if (IsDialogMessageForAnyForm(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void Application::Terminate() {
  TheState().terminated = true;
  PostQuitMessage(0);
}

bool Application::Terminated() { return TheState().terminated; }

void Application::ShowException(const std::exception& error) {
  ShowMessage(error.what(), Title(), MB_OK | MB_ICONERROR);
}

}  // namespace ui
