#pragma once
// Base of every window and control: owns an HWND, reflects parent notifications back to the
// child object that sent them, and runs event callbacks under the application's error guard.
#include <windows.h>

#include <functional>
#include <string>

namespace ui {

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
};

using Event = std::function<void()>;

// Runs an event handler; an exception that escapes it goes to the application's error box.
void RunGuarded(const std::function<void()>& handler);
// Fires an event if it is assigned.
inline void Fire(const Event& event) {
  if (event) RunGuarded(event);
}

class Window {
 public:
  Window() = default;
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }

  void SetText(const std::string& text);
  std::string Text() const;
  void SetEnabled(bool enabled);
  bool Enabled() const;
  void SetVisible(bool visible);
  bool Visible() const;  // the window's own visible flag, whatever its parents
  void SetBounds(const Rect& bounds);
  Rect Bounds() const;  // relative to the parent's client area
  void SetFocus();

  // The object attached to a handle, or null.
  static Window* FromHandle(HWND hwnd);

  // Notifications a parent received from this child; return true when handled.
  virtual bool OnCommand(WORD /*code*/) { return false; }
  virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
  virtual bool OnScroll(UINT /*message*/, WPARAM /*wparam*/) { return false; }
  // WM_CTLCOLOR* for this child: return a brush to use, or null for the default.
  virtual HBRUSH OnControlColor(HDC /*dc*/) { return nullptr; }
  virtual bool OnDrawItem(DRAWITEMSTRUCT* /*item*/) { return false; }
  // A key moved the focus to control, which lies somewhere inside this window.
  virtual void FocusMovedInside(HWND /*control*/) {}

 protected:
  // Creates a child control of a standard class inside parent and attaches it.
  void CreateControl(Window& parent, const char* className, const Rect& bounds, DWORD style, DWORD exStyle = 0,
                     const std::string& text = {});
  void Attach(HWND hwnd);
  // Replaces the window procedure so that this object sees every message first.
  void Subclass();
  virtual LRESULT HandleSubclassed(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT CallOriginal(UINT message, WPARAM wparam, LPARAM lparam);
  // Widens the control when its caption, in its font, does not fit, as far as its parent's client area
  // reaches; besideABox leaves room for the box of a check box or radio button.
  void WidenToCaption(bool besideABox);

  // Routes WM_COMMAND, WM_NOTIFY, WM_*SCROLL, WM_CTLCOLOR* and WM_DRAWITEM to the child that sent them.
  static bool ReflectToChild(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR id,
                                       DWORD_PTR data);
  bool subclassed_ = false;
};

// A window of our own class that can hold other controls: forms, pages, panels, scroll boxes.
class Container : public Window {
 public:
  // The background brush of containers (the dialog face colour).
  static HBRUSH FaceBrush();

 protected:
  // parent is the owner for a top-level window.
  void CreateContainer(HWND parent, const Rect& bounds, DWORD style, DWORD exStyle = 0, const std::string& text = {});
  virtual LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  static LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
};

// The program's standard font (MS Sans Serif 8 pt) and its bold cut.
HFONT DefaultFont();
HFONT BoldFont();

}  // namespace ui
