#include "box_picture.h"

#include <cstdio>

#include "Application.h"
#include "window_pictures.h"

void Settle(int milliseconds) {
  const DWORD start = GetTickCount();
  do {
    ui::Application::ProcessMessages();
    Sleep(10);
  } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
}

bool Picture(HWND window, const std::string& folder, const std::string& name) {
  const bool saved = testing_support::SaveWindowPicture(window, folder + "\\" + name + ".bmp");
  std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "wrote" : "could not write", name.c_str());
  return saved;
}

BoxPicture::BoxPicture(std::string title, std::string folder, std::string name) {
  thread_ = std::thread([this, title = std::move(title), folder = std::move(folder), name = std::move(name)] {
    for (int waited = 0; !done_ && waited < 30000; waited += 50) {
      HWND box = FindWindowA("#32770", title.c_str());
      if (box && IsWindowVisible(box)) {
        Sleep(500);  // drawn by now
        taken_ = Picture(box, folder, name);
        SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        return;
      }
      Sleep(50);
    }
  });
}

BoxPicture::~BoxPicture() {
  done_ = true;
  thread_.join();
}
