#include "Form.h"

#include <algorithm>
#include <vector>

#include "Application.h"
#include "Dialogs.h"

namespace ui {

namespace {
// Posted on activation, so the handler runs outside WM_ACTIVATE and may open modal windows.
const UINT kActivated = WM_APP + 0x51;

DWORD StyleFor(const FormArgs& args) {
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
  if (args.systemMenu) style |= WS_SYSMENU;
  if (args.minimizeBox) style |= WS_MINIMIZEBOX;
  if (args.maximizeBox) style |= WS_MAXIMIZEBOX;
  if (args.border == BorderStyle::Sizeable) style |= WS_THICKFRAME;
  return style;
}
BOOL CALLBACK CollectEnabledWindow(HWND hwnd, LPARAM data) {
  auto* list = reinterpret_cast<std::vector<HWND>*>(data);
  // The application window stays enabled, so its task bar button still brings the modal form up.
  if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && hwnd != Application::Handle()) list->push_back(hwnd);
  return TRUE;
}
DWORD ExStyleFor(const FormArgs& args) {
  DWORD ex = WS_EX_CONTROLPARENT;
  if (args.border == BorderStyle::Dialog) ex |= WS_EX_DLGMODALFRAME;
  return ex;
}
}  // namespace

Form::Form(const FormArgs& args) : position_(args.position) {
  const DWORD style = StyleFor(args);
  const DWORD ex = ExStyleFor(args);
  RECT r{0, 0, args.clientWidth, args.clientHeight};
  AdjustWindowRectEx(&r, style, FALSE, ex);
  // The main form is owned by the application window, which carries the task bar button; secondary forms
  // are owned by the main form, so they stay above it.
  Form* main = Application::MainForm();
  CreateContainer(main ? main->hwnd() : Application::Handle(),
                  {args.left, args.top, r.right - r.left, r.bottom - r.top}, style, ex, args.caption);
  Application::RegisterForm(*this);
}

Form::~Form() { Application::UnregisterForm(*this); }

void Form::PlaceOnScreen() {
  RECT mine;
  GetWindowRect(hwnd_, &mine);
  const int width = mine.right - mine.left, height = mine.bottom - mine.top;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  Form* main = Application::MainForm();
  if (position_ == Position::Designed) return;
  if (position_ == Position::MainFormCenter && main && main != this) GetWindowRect(main->hwnd(), &area);
  int left = area.left + (area.right - area.left - width) / 2;
  int top = area.top + (area.bottom - area.top - height) / 2;
  left = std::max(0, left);
  top = std::max(0, top);
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
  if (!placed_ || position_ == Position::MainFormCenter) PlaceOnScreen();
  placed_ = true;
  FormShow();
  if (Application::MainForm() == this) Application::ShowButton();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void Form::Hide() { ShowWindow(hwnd_, SW_HIDE); }

void Form::Close() {
  bool allowed = false;
  RunGuarded([&] { allowed = CanClose(); });
  if (!allowed) return;
  if (modal_) {
    if (modalResult_ == mrNone) modalResult_ = mrCancel;
    return;
  }
  Hide();
  RunGuarded([&] { FormClosed(); });
  if (Application::MainForm() == this) Application::Terminate();
}

void Form::SetModalResult(int result) { modalResult_ = result; }

bool Form::ShortCut(WPARAM key) {
  bool handled = false;
  RunGuarded([&] { handled = FormShortCut(key); });
  return handled;
}

void Form::RestoreFocus() {
  HWND control = focus_;
  if (!control || !IsChild(hwnd_, control) || !IsWindowVisible(control) || !IsWindowEnabled(control)) {
    control = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  }
  if (control) ::SetFocus(control);
}

int Form::ShowModal() {
  modalResult_ = mrNone;
  if (const ModalResponder& responder = detail::CurrentModalResponder()) {
    modal_ = true;
    FormShow();
    const int answered = responder(*this);
    modal_ = false;
    if (modalResult_ == mrNone) modalResult_ = answered;
    RunGuarded([&] { FormClosed(); });
    return modalResult_;
  }
  // Disable the other top-level windows of the program while this one is up.
  std::vector<HWND> disabled;
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow, reinterpret_cast<LPARAM>(&disabled));
  for (HWND hwnd : disabled) EnableWindow(hwnd, FALSE);
  modal_ = true;
  // A dialog that opens starts at the first control of its tab order; a form shown again without being
  // modal gets back the control it had.
  focus_ = nullptr;
  Show();
  MSG msg;
  while (modalResult_ == mrNone) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      modalResult_ = mrCancel;
      break;
    }
    Application::Dispatch(msg);
  }
  for (HWND hwnd : disabled) EnableWindow(hwnd, TRUE);
  modal_ = false;
  Hide();
  RunGuarded([&] { FormClosed(); });
  if (!disabled.empty()) SetActiveWindow(disabled.front());
  return modalResult_;
}

void Form::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, GetWindowLongA(hwnd_, GWL_STYLE), FALSE, GetWindowLongA(hwnd_, GWL_EXSTYLE));
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE Form::ClientSize() const {
  RECT r;
  GetClientRect(hwnd_, &r);
  return {r.right, r.bottom};
}

LRESULT Form::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SIZE:
      RunGuarded([&] { FormResize(); });
      break;
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE) {
        Application::FormActivated(*this);
        PostMessageA(hwnd_, kActivated, 0, 0);
      } else if (HWND focus = GetFocus(); focus && IsChild(hwnd_, focus)) {
        focus_ = focus;
      }
      break;
    case WM_SETFOCUS:
      // The form itself never keeps the focus: it goes on to a control, as in a dialog.
      RestoreFocus();
      return 0;
    case WM_SYSCOMMAND:
      // Minimizing the main form minimizes the application: the task bar button stays the only trace.
      if ((wparam & 0xFFF0) == SC_MINIMIZE && Application::MainForm() == this) {
        Application::Minimize();
        return 0;
      }
      break;
    case kActivated:
      RunGuarded([&] { FormActivate(); });
      return 0;
    case WM_GETMINMAXINFO:
      if (minTrack_.cx > 0) {
        RECT r{0, 0, minTrack_.cx, minTrack_.cy};
        AdjustWindowRectEx(&r, GetWindowLongA(hwnd_, GWL_STYLE), FALSE, GetWindowLongA(hwnd_, GWL_EXSTYLE));
        auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
        info->ptMinTrackSize = {r.right - r.left, r.bottom - r.top};
        return 0;
      }
      break;
    default:
      break;
  }
  return Container::HandleMessage(message, wparam, lparam);
}

}  // namespace ui
