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
  Form* lastActive = nullptr;
  HWND window = nullptr;
  std::vector<Form*> hiddenByMinimize;
  bool terminated = false;
  bool comInitialized = false;
  bool pumped = false;
  DWORD pumpedAt = 0;
};
State& TheState() {
  static State state;
  return state;
}

const char kApplicationClass[] = "QuennexApplication";
// Posted on activation of the application window, so the form is activated once that has settled.
const UINT kActivateForm = WM_APP + 0x52;

// The form that should have the focus when the application window is activated: a modal one first.
Form* FormToActivate() {
  const State& state = TheState();
  auto usable = [](Form* form) { return form && IsWindowVisible(form->hwnd()) && IsWindowEnabled(form->hwnd()); };
  for (Form* form : state.forms) {
    if (form->Modal() && usable(form)) return form;
  }
  if (usable(state.lastActive)) return state.lastActive;
  for (Form* form : state.forms) {
    if (usable(form)) return form;
  }
  return nullptr;
}

LRESULT CALLBACK ApplicationProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE) PostMessageA(hwnd, kActivateForm, 0, 0);
      return 0;
    case kActivateForm:
      if (!IsIconic(hwnd) && GetActiveWindow() == hwnd) {
        if (Form* form = FormToActivate()) SetForegroundWindow(form->hwnd());
      }
      return 0;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_RESTORE) {
        Application::Restore();
        return 0;
      }
      break;
    case WM_CLOSE:
      // Close from the task bar button's menu closes the main form.
      if (Form* main = Application::MainForm()) main->Close();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

Form* FormOf(HWND top) {
  for (Form* form : TheState().forms) {
    if (form->hwnd() == top) return form;
  }
  return nullptr;
}

bool IsKey(UINT message) {
  return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR || message == WM_SYSCHAR;
}

bool TranslateFormKeys(MSG& msg) {
  Form* form = msg.hwnd ? FormOf(GetAncestor(msg.hwnd, GA_ROOT)) : nullptr;
  if (!form) return false;
  if (msg.message == WM_KEYDOWN && form->ShortCut(msg.wParam)) return true;
  return IsDialogMessageA(form->hwnd(), &msg);
}

// Every window that holds the focused control, from the inside out, up to its form.
void TellFocusMoved(HWND focus) {
  for (HWND holder = GetAncestor(focus, GA_PARENT); holder && holder != GetDesktopWindow();
       holder = GetAncestor(holder, GA_PARENT)) {
    if (Window* window = Window::FromHandle(holder)) window->FocusMovedInside(focus);
  }
}
}  // namespace

void Application::Dispatch(MSG& msg) {
  const bool key = IsKey(msg.message);
  HWND before = key ? GetFocus() : nullptr;
  if (!TranslateFormKeys(msg)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (!key) return;
  if (HWND focus = GetFocus(); focus && focus != before) TellFocusMoved(focus);
}

void Application::Initialize() {
  State& state = TheState();
  state.comInitialized = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
}

void Application::Finalize() {
  State& state = TheState();
  if (state.window) DestroyWindow(state.window);
  state.window = nullptr;
  if (state.comInitialized) CoUninitialize();
  state.comInitialized = false;
}

HINSTANCE Application::Instance() { return GetModuleHandleA(nullptr); }

void Application::SetTitle(const std::string& title) {
  State& state = TheState();
  state.title = title;
  if (state.window) SetWindowTextA(state.window, title.c_str());
}

const std::string& Application::Title() { return TheState().title; }

HWND Application::Handle() {
  State& state = TheState();
  if (state.window) return state.window;
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ApplicationProc;
    wc.hInstance = Instance();
    wc.hIcon = LoadIconA(Instance(), MAKEINTRESOURCEA(1));
    wc.lpszClassName = kApplicationClass;
    return RegisterClassA(&wc) != 0;
  }();
  (void)registered;
  // A caption and a system menu give the task bar button its menu; no size keeps the window unseen.
  state.window = CreateWindowExA(0, kApplicationClass, state.title.c_str(),
                                 WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS,
                                 GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                                 nullptr, Instance(), nullptr);
  return state.window;
}

void Application::ShowButton() {
  if (HWND window = Handle(); window && !IsWindowVisible(window)) ShowWindow(window, SW_SHOWNOACTIVATE);
}

void Application::Minimize() {
  State& state = TheState();
  HWND window = Handle();
  if (!window || IsIconic(window)) return;
  // The forms are hidden here rather than left to the system, which not every platform does for owned windows.
  state.hiddenByMinimize.clear();
  for (Form* form : state.forms) {
    if (IsWindowVisible(form->hwnd())) state.hiddenByMinimize.push_back(form);
  }
  for (Form* form : state.hiddenByMinimize) ShowWindow(form->hwnd(), SW_HIDE);
  ShowWindow(window, SW_MINIMIZE);
}

void Application::Restore() {
  State& state = TheState();
  HWND window = Handle();
  if (!window) return;
  if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
  for (Form* form : state.hiddenByMinimize) ShowWindow(form->hwnd(), SW_SHOWNA);
  state.hiddenByMinimize.clear();
  if (Form* form = FormToActivate()) SetForegroundWindow(form->hwnd());
}

Form* Application::MainForm() {
  const auto& forms = TheState().forms;
  return forms.empty() ? nullptr : forms.front();
}

void Application::RegisterForm(Form& form) { TheState().forms.push_back(&form); }

void Application::UnregisterForm(Form& form) {
  State& state = TheState();
  state.forms.erase(std::remove(state.forms.begin(), state.forms.end(), &form), state.forms.end());
  if (state.lastActive == &form) state.lastActive = nullptr;
  auto& hidden = state.hiddenByMinimize;
  hidden.erase(std::remove(hidden.begin(), hidden.end(), &form), hidden.end());
}

void Application::FormActivated(Form& form) { TheState().lastActive = &form; }

void Application::Run() {
  State& state = TheState();
  state.terminated = false;
  if (Form* main = MainForm()) main->Show();
  MSG msg;
  while (!state.terminated && GetMessageA(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
}

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      TheState().terminated = true;
      break;
    }
    Dispatch(msg);
  }
}

void Application::ProcessMessagesWhenDue() {
  // Often enough that a click on Stop, the clock and the painting never wait noticeably.
  constexpr DWORD kPumpMs = 10;
  State& state = TheState();
  const DWORD now = GetTickCount();
  if (state.pumped && now - state.pumpedAt < kPumpMs) return;
  state.pumped = true;
  state.pumpedAt = now;
  ProcessMessages();
}

void Application::Terminate() {
  State& state = TheState();
  state.terminated = true;
  if (state.window) ShowWindow(state.window, SW_HIDE);
  PostQuitMessage(0);
}

bool Application::Terminated() { return TheState().terminated; }

void Application::ShowException(const std::exception& error) {
  ShowMessage(error.what(), Title(), MB_OK | MB_ICONERROR);
}

}  // namespace ui
