#include "Window.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "Application.h"

namespace ui {

namespace {
const char kContainerClass[] = "QuennexContainer";

// The object each window of ours belongs to. Every message to a container and every notification
// looks it up, and under Wine a window property would cost a round trip to the server each time.
// Never destroyed, so a window that outlives the statics can still let go of its entry.
std::unordered_map<HWND, Window*>& Objects() {
  static auto* objects = new std::unordered_map<HWND, Window*>;
  return *objects;
}

// Drops hwnd's entry while it still names object: a handle may be given to a newer window.
void Forget(HWND hwnd, const Window* object) {
  auto& objects = Objects();
  const auto found = objects.find(hwnd);
  if (found != objects.end() && found->second == object) objects.erase(found);
}

HFONT MakeFont(int weight) {
  return CreateFontA(-11, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
}
}  // namespace

void RunGuarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    Application::ShowException(error);
  }
}

HFONT DefaultFont() {
  static HFONT font = MakeFont(FW_NORMAL);
  return font;
}

HFONT BoldFont() {
  static HFONT font = MakeFont(FW_BOLD);
  return font;
}

Window::~Window() {
  if (hwnd_) {
    Forget(hwnd_, this);
    if (subclassed_) RemoveWindowSubclass(hwnd_, SubclassProc, 0);
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
}

void Window::SetText(const std::string& text) { SetWindowTextA(hwnd_, text.c_str()); }

std::string Window::Text() const {
  const int length = GetWindowTextLengthA(hwnd_);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(hwnd_, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

void Window::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
bool Window::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }

void Window::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }
bool Window::Visible() const { return (GetWindowLongA(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }

// A moved control is drawn anew at its new place: bits copied from where it was may be gone, as when the
// parent has just grown.
void Window::SetBounds(const Rect& b) {
  SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
}

Rect Window::Bounds() const {
  RECT r;
  GetWindowRect(hwnd_, &r);
  HWND parent = GetParent(hwnd_);
  if (parent && (GetWindowLongA(hwnd_, GWL_STYLE) & WS_CHILD)) MapWindowPoints(HWND_DESKTOP, parent, (POINT*)&r, 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Window::SetFocus() { ::SetFocus(hwnd_); }

Window* Window::FromHandle(HWND hwnd) {
  const auto& objects = Objects();
  const auto found = objects.find(hwnd);
  return found == objects.end() ? nullptr : found->second;
}

void Window::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  Objects()[hwnd] = this;
}

void Window::CreateControl(Window& parent, const char* className, const Rect& b, DWORD style, DWORD exStyle,
                           const std::string& text) {
  HWND hwnd = CreateWindowExA(exStyle, className, text.c_str(), style | WS_CHILD, b.left, b.top, b.width, b.height,
                              parent.hwnd(), nullptr, Application::Instance(), nullptr);
  if (!hwnd) throw std::runtime_error(std::string("cannot create control ") + className);
  Attach(hwnd);
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
}

void Window::WidenToCaption(bool besideABox) {
  const std::string caption = Text();
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd_, WM_GETFONT, 0, 0)));
  SIZE text{0, 0};
  GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
  int needed = text.cx;
  if (besideABox) {
    // The box, the gap after it and the focus frame around the text.
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    needed += MulDiv(13, GetDeviceCaps(dc, LOGPIXELSX), 96) + metrics.tmAveCharWidth + 2;
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  Rect bounds = Bounds();
  if (needed <= bounds.width) return;
  RECT page;
  GetClientRect(GetParent(hwnd_), &page);
  bounds.width = std::max(bounds.width, std::min<int>(needed, page.right - bounds.left));
  SetBounds(bounds);
}

void Window::Subclass() {
  if (!subclassed_) subclassed_ = SetWindowSubclass(hwnd_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT Window::HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam) {
  return CallOriginal(message, wparam, lparam);
}

LRESULT Window::CallOriginal(UINT message, WPARAM wparam, LPARAM lparam) {
  return DefSubclassProc(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK Window::SubclassProc(HWND, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
  return reinterpret_cast<Window*>(data)->HandleSubclassed(message, wparam, lparam);
}

bool Window::ReflectToChild(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if (Window* child = FromHandle(reinterpret_cast<HWND>(lparam))) {
        result = 0;
        return child->OnCommand(HIWORD(wparam));
      }
      return false;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (Window* child = FromHandle(header->hwndFrom)) return child->OnNotify(header, result);
      return false;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (Window* child = FromHandle(reinterpret_cast<HWND>(lparam))) {
        result = 0;
        return child->OnScroll(message, wparam);
      }
      return false;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (Window* child = FromHandle(reinterpret_cast<HWND>(lparam))) {
        if (HBRUSH brush = child->OnControlColor(reinterpret_cast<HDC>(wparam))) {
          result = reinterpret_cast<LRESULT>(brush);
          return true;
        }
      }
      if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) {
        // Statics and buttons take the face colour of the container they sit on.
        SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_BTNFACE));
        result = reinterpret_cast<LRESULT>(Container::FaceBrush());
        return true;
      }
      return false;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
      if (Window* child = FromHandle(item->hwndItem)) {
        result = TRUE;
        return child->OnDrawItem(item);
      }
      return false;
    }
    default:
      return false;
  }
}

HBRUSH Container::FaceBrush() { return GetSysColorBrush(COLOR_BTNFACE); }

void Container::CreateContainer(HWND parent, const Rect& b, DWORD style, DWORD exStyle, const std::string& text) {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ContainerProc;
    wc.hInstance = Application::Instance();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hIcon = LoadIconA(Application::Instance(), MAKEINTRESOURCEA(1));
    wc.lpszClassName = kContainerClass;
    return RegisterClassA(&wc) != 0;
  }();
  (void)registered;
  HWND hwnd = CreateWindowExA(exStyle, kContainerClass, text.c_str(), style, b.left, b.top, b.width, b.height, parent,
                              nullptr, Application::Instance(), this);
  if (!hwnd) throw std::runtime_error("cannot create window");
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
}

LRESULT Container::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (ReflectToChild(message, wparam, lparam, result)) return result;
  return DefWindowProcA(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK Container::ContainerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Container*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    self->Attach(hwnd);
  }
  auto* self = static_cast<Container*>(FromHandle(hwnd));
  if (!self) return DefWindowProcA(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    Forget(hwnd, self);
    self->hwnd_ = nullptr;
    return DefWindowProcA(hwnd, message, wparam, lparam);
  }
  return self->HandleMessage(message, wparam, lparam);
}

}  // namespace ui
