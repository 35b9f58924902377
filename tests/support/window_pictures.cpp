#include "window_pictures.h"

#include <cctype>
#include <cstdio>

namespace testing_support {

bool SaveWindowPicture(HWND hwnd, const std::string& path) {
  RECT r;
  GetWindowRect(hwnd, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  const BITMAPFILEHEADER file{0x4D42, headers + stride * static_cast<DWORD>(height), 0, 0, headers};
  bool saved = false;
  if (FILE* out = std::fopen(path.c_str(), "wb")) {
    saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
            std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
            std::fwrite(bits, 1, stride * height, out) == stride * height;
    saved = std::fclose(out) == 0 && saved;
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

namespace {
TimedSteps* runningSteps = nullptr;
}

TimedSteps::TimedSteps(std::vector<std::function<void()>> steps, int intervalMs) : steps_(std::move(steps)) {
  runningSteps = this;
  timer_ = SetTimer(nullptr, 0, static_cast<UINT>(intervalMs), Tick);
}

TimedSteps::~TimedSteps() {
  KillTimer(nullptr, timer_);
  runningSteps = nullptr;
}

void CALLBACK TimedSteps::Tick(HWND, UINT, UINT_PTR, DWORD) {
  TimedSteps* self = runningSteps;
  if (!self || self->next_ >= self->steps_.size()) return;
  self->steps_[self->next_++]();
}

void PressKey(WORD key) {
  INPUT inputs[2]{};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, inputs, sizeof(INPUT));
}

namespace {
std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  std::string lower(name);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// Room that a control needs beside its text, or -1 for a control without a caption to check.
int RoomBesideText(HWND hwnd) {
  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  const std::string name = ClassOf(hwnd);
  if (name == "button") {
    switch (style & BS_TYPEMASK) {
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        return 17;  // the 13-pixel box, the gap and the focus frame
      default:
        return -1;
    }
  }
  if (name == "static") {
    switch (style & SS_TYPEMASK) {
      case SS_LEFT:
      case SS_CENTER:
      case SS_RIGHT:
      case SS_SIMPLE:
      case SS_LEFTNOWORDWRAP:
        return 0;
      default:
        return -1;
    }
  }
  return -1;
}

BOOL CALLBACK CheckCaption(HWND hwnd, LPARAM data) {
  auto* cut = reinterpret_cast<std::vector<std::string>*>(data);
  const int beside = RoomBesideText(hwnd);
  if (beside < 0 || !(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE)) return TRUE;
  char caption[512] = {};
  const int length = GetWindowTextA(hwnd, caption, sizeof caption);
  if (length == 0) return TRUE;
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)));
  SIZE text{0, 0};
  GetTextExtentPoint32A(dc, caption, length, &text);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  RECT client, own, page;
  GetClientRect(hwnd, &client);
  GetWindowRect(hwnd, &own);
  HWND parent = GetParent(hwnd);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&own), 2);
  GetClientRect(parent, &page);
  if (text.cx + beside > client.right) {
    cut->push_back(std::string(caption) + ": needs " + std::to_string(text.cx + beside) + ", has " +
                   std::to_string(client.right));
  } else if (own.right > page.right) {
    cut->push_back(std::string(caption) + ": ends at " + std::to_string(own.right) + ", its page at " +
                   std::to_string(page.right));
  }
  return TRUE;
}
}  // namespace

std::vector<std::string> CutCaptions(HWND window) {
  std::vector<std::string> cut;
  EnumChildWindows(window, CheckCaption, reinterpret_cast<LPARAM>(&cut));
  return cut;
}

int CountOnScreen(const RECT& r, COLORREF colour) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return 0;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const DWORD wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  const auto* pixels = static_cast<const DWORD*>(bits);
  int count = 0;
  for (int i = 0; i < width * height; ++i) count += (pixels[i] & 0xFFFFFF) == wanted;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return count;
}

int CountInClientArea(HWND hwnd, COLORREF colour) {
  RECT client;
  GetClientRect(hwnd, &client);
  MapWindowPoints(hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
  return CountOnScreen(client, colour);
}

}  // namespace testing_support
