#pragma once
// A group box that holds controls: a panel that paints its face, with the framed caption drawn inside it.
// Controls placed in it take positions relative to the box, as designed.
#include <string>

#include "Containers.h"
#include "Controls.h"

namespace ui {

class FramedGroup : public Panel {
 public:
  FramedGroup(Window& parent, const Rect& bounds, const std::string& caption)
      : Panel(parent, {bounds}), frame_(*this, {{0, 0, bounds.width, bounds.height}, caption}) {}
  std::string Caption() const { return frame_.Text(); }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    // Each new control comes in beneath its older siblings; the frame goes back beneath it, so that a
    // nested panel is not clipped away by the frame.
    if (message == WM_PARENTNOTIFY && LOWORD(wparam) == WM_CREATE && frame_.hwnd()) {
      SetWindowPos(frame_.hwnd(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return Panel::HandleMessage(message, wparam, lparam);
  }

 private:
  GroupBox frame_;
};

}  // namespace ui
