// Pictures of the windows as they are drawn, for a person to look at (written as BMP files).
#include "quennex_fixture.h"

#include "Application.h"

namespace {

void SaveWindowPicture(HWND hwnd, const std::string& path) {
  RECT r;
  GetWindowRect(hwnd, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
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
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + stride * height),
                        0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  FILE* out = std::fopen(path.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  std::fwrite(&file, sizeof file, 1, out);
  std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
  std::fwrite(bits, 1, stride * height, out);
  std::fclose(out);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

void Settle() {
  for (int i = 0; i < 20; ++i) {
    ui::Application::ProcessMessages();
    Sleep(10);
  }
}

TEST(Screenshots, MainWindowPagesAndFolderPicker) {
  ResetMainWindow();
  CreateDirectoryA("screenshots", nullptr);
  TForm1& f = *Form1;
  f.Edit1.SetText("C:\\archives");
  f.Edit3.SetText("C:\\archives");
  f.Show();
  Settle();
  SaveWindowPicture(f.hwnd(), "screenshots\\main-files.bmp");
  f.PageControl1.SetActivePage(1);
  Settle();
  SaveWindowPicture(f.hwnd(), "screenshots\\main-options.bmp");
  f.PageControl1.SetActivePage(0);
  Form4->SetCaption("Where are the archives in?");
  Form4->Button1.SetText("Set as Source");
  Form4->Show();
  Settle();
  SaveWindowPicture(Form4->hwnd(), "screenshots\\folder-picker.bmp");
  Form4->Hide();
  f.Hide();
  EXPECT_TRUE(testing_support::FileExists("screenshots\\main-options.bmp"));
}

TEST(Screenshots, ViewerWithADosDescription) {
  CreateDirectoryA("screenshots", nullptr);
  Form3->Memo1.SetLines({"\xC9\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBB",
                         "\xBA  BBS Toolkit v2.31 \xBA", "\xC8\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBC",
                         "  Door kit, user editor and", "  \xB0\xB1\xB2 nodelist compiler \xB2\xB1\xB0"});
  Form3->Show();
  Settle();
  SaveWindowPicture(Form3->hwnd(), "screenshots\\viewer.bmp");
  Form3->Hide();
  EXPECT_TRUE(testing_support::FileExists("screenshots\\viewer.bmp"));
}

}  // namespace
