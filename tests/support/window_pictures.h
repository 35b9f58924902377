#pragma once
// Pictures of windows as the screen shows them, saved as 24-bit BMP files for a person to look at.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Saves what the screen shows of the window (frame included); false when the file cannot be written.
bool SaveWindowPicture(HWND hwnd, const std::string& path);

// Runs steps from whatever message loop runs, one every intervalMs milliseconds: the way to drive a
// modal window, whose own loop is the only one running while it is up. Steps not yet run when the object
// goes are dropped.
class TimedSteps {
 public:
  TimedSteps(std::vector<std::function<void()>> steps, int intervalMs);
  ~TimedSteps();
  TimedSteps(const TimedSteps&) = delete;
  TimedSteps& operator=(const TimedSteps&) = delete;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
  UINT_PTR timer_ = 0;
};

// Presses and releases a key as a user does: through the system's input queue to the focused control.
void PressKey(WORD key);

// The check boxes, radio buttons and labels inside the window whose caption, in the control's own font,
// does not fit the control's width, or that reach past their parent's client area: "caption: why".
std::vector<std::string> CutCaptions(HWND window);

// How many pixels of a rectangle of the screen, or of a window's client area, the screen shows in colour.
int CountOnScreen(const RECT& area, COLORREF colour);
int CountInClientArea(HWND hwnd, COLORREF colour);

}  // namespace testing_support
