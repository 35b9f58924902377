#pragma once
// Pictures of windows as the screen shows them, saved as 24-bit BMP files for a person to look at.
#include <windows.h>

#include <string>

namespace testing_support {

// Saves what the screen shows of the window (frame included); false when the file cannot be written.
bool SaveWindowPicture(HWND hwnd, const std::string& path);

}  // namespace testing_support
