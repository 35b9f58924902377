#pragma once
// Pictures of windows for the README, taken while the program runs as a user would see it.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

// Lets the windows catch up for about this long.
void Settle(int milliseconds = 400);

// Saves the window's picture as folder\name.bmp; false (with a line on stderr) when it cannot.
bool Picture(HWND window, const std::string& folder, const std::string& name);

// Watches on a thread of its own for the message box of the given title, which the program's own
// thread is about to show, saves its picture and presses OK.
class BoxPicture {
 public:
  BoxPicture(std::string title, std::string folder, std::string name);
  ~BoxPicture();
  BoxPicture(const BoxPicture&) = delete;
  BoxPicture& operator=(const BoxPicture&) = delete;
  bool Taken() const { return taken_; }

 private:
  std::atomic<bool> taken_{false};
  std::atomic<bool> done_{false};
  std::thread thread_;
};
