// Pictures of the windows as they are drawn, for a person to look at (written as BMP files).
#include "window_pictures.h"
#include "quennex_fixture.h"

#include "Application.h"

namespace {

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
  ASSERT_TRUE(testing_support::SaveWindowPicture(f.hwnd(), "screenshots\\main-files.bmp"));
  f.PageControl1.SetActivePage(1);
  Settle();
  ASSERT_TRUE(testing_support::SaveWindowPicture(f.hwnd(), "screenshots\\main-options.bmp"));
  f.PageControl1.SetActivePage(0);
  Form4->SetCaption("Where are the archives in?");
  Form4->Button1.SetText("Set as Source");
  Form4->Show();
  Settle();
  ASSERT_TRUE(testing_support::SaveWindowPicture(Form4->hwnd(), "screenshots\\folder-picker.bmp"));
  Form4->Hide();
  f.Hide();
  EXPECT_TRUE(testing_support::FileExists("screenshots\\main-options.bmp"));
}

TEST(Screenshots, ViewerWithADosDescription) {
  CreateDirectoryA("screenshots", nullptr);
  Form3->Memo1.SetLines({"\xC9\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBB",
                         "\xBA  BBS Toolkit v2.31 \xBA",
                         "\xC8\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xCD\xBC",
                         "  Door kit, user editor and", "  \xB0\xB1\xB2 nodelist compiler \xB2\xB1\xB0"});
  Form3->Show();
  Settle();
  ASSERT_TRUE(testing_support::SaveWindowPicture(Form3->hwnd(), "screenshots\\viewer.bmp"));
  Form3->Hide();
  EXPECT_TRUE(testing_support::FileExists("screenshots\\viewer.bmp"));
}

}  // namespace

namespace {

TEST(Screenshots, BestMatchWindow) {
  CreateDirectoryA("screenshots", nullptr);
  // The window on screen while it asks, as a user sees it.
  ScriptedModals modal([](ui::Form&) {
    Form5->Show();
    Settle();
    EXPECT_TRUE(testing_support::SaveWindowPicture(Form5->hwnd(), "screenshots\\best-match.bmp"));
    Form5->Hide();
    return static_cast<int>(ui::mrCancel);
  });
  Form5->Ask("TOOLKIT.ZIP", {"BBS Toolkit v2.31", "Toolkit 2.31 for DOS (c) 1996", "Door kit, user editor v1.0 beta"});
  EXPECT_TRUE(testing_support::FileExists("screenshots\\best-match.bmp"));
}

}  // namespace
