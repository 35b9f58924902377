// The main window as shown: its layout, the run started by its first activation, and a picture of it.
#include "window_pictures.h"
#include "Application.h"
#include "setup_fixture.h"

namespace {

void Settle() {
  for (int i = 0; i < 20; ++i) {
    ui::Application::ProcessMessages();
    Sleep(10);
  }
}

TEST(InstallerWindows, LayoutCaptionsAndTasks) {
  StartProgram();
  TForm1& f = *Form1;
  EXPECT_EQ(f.Caption(), "Vellmark Tools Installer");
  EXPECT_EQ(f.ClientSize().cx, 338);
  EXPECT_EQ(f.ClientSize().cy, 449);
  EXPECT_EQ(f.Image1.PictureWidth(), 302);
  EXPECT_EQ(f.Image1.PictureHeight(), 113);
  EXPECT_EQ(f.ProgressBar1.Max(), 13);
  EXPECT_EQ(f.ProgressBar1.Position(), 0);
  EXPECT_EQ(f.btClose.Text(), "Close Installer");
  EXPECT_TRUE(f.btClose.Enabled());
  const ui::Rect list = f.lvTask.Bounds();
  EXPECT_EQ(list.left, 8);
  EXPECT_EQ(list.top, 160);
  EXPECT_EQ(list.width, 305);
  EXPECT_EQ(f.GroupBox1.Caption(), "Installation");
  const std::vector<std::string> captions = {"Get Install Path",
                                             "Path is",
                                             "Create Directory VellmarkTools",
                                             "Create Directory QuennickEx",
                                             "Copy File Readme.txt",
                                             "Copy File Changes.txt",
                                             "Copy File npmod32.dll",
                                             "Copy File unacev2.dll",
                                             "Copy File unrar.dll",
                                             "Copy File unzipw32.dll",
                                             "Copy File credits.mod",
                                             "Copy File quennex.exe",
                                             "Create Shortcut"};
  ASSERT_EQ(f.lvTask.Count(), 13);
  for (int i = 0; i < 13; ++i) {
    EXPECT_EQ(f.lvTask.Item(i).caption, captions[static_cast<size_t>(i)]);
    EXPECT_EQ(f.lvTask.Item(i).stateIndex, 0);
  }
  EXPECT_FALSE(f.CloseAllowed);
  EXPECT_FALSE(f.InstallStarted);

  TForm2& d = *Form2;
  EXPECT_EQ(d.Caption(), "Select path to install");
  EXPECT_EQ(d.ClientSize().cx, 353);
  EXPECT_EQ(d.ClientSize().cy, 393);
  EXPECT_EQ(d.Button1.Text(), "Install");
  EXPECT_EQ(d.Button2.Text(), "Abort");
  EXPECT_EQ(d.Label1.Caption(), "The directory 'Vellmark Tools'");
  EXPECT_EQ(d.Label2.Caption(), "will be created.");
  EXPECT_EQ(d.GroupBox1.Caption(), "Install Path");
  EXPECT_EQ(d.GroupBox2.Caption(), "Confirm");
  EXPECT_EQ(d.Button2.Bounds().left, 256);
  EXPECT_FALSE(IsWindowVisible(d.hwnd()));
}

// Showing the window activates it; the activation runs the whole installation. The picture is taken at the end.
TEST_F(Installer, FirstActivationRunsTheInstallation) {
  std::vector<ui::MessageRequest> messages;
  bool pictureTaken = false;
  const ui::MessageResponder previous = ui::SetMessageResponder([&](const ui::MessageRequest& request) {
    messages.push_back(request);
    return static_cast<int>(IDOK);
  });
  const ui::ModalResponder previousModal = ui::SetModalResponder([&](ui::Form&) {
    ChooseFolder(*Form2, base.path());
    return Form2->ModalResult();
  });
  Form1->Show();
  for (int i = 0; i < 500 && !Form1->CloseAllowed; ++i) {
    ui::Application::ProcessMessages();
    Sleep(10);
  }
  ui::SetModalResponder(previousModal);
  ui::SetMessageResponder(previous);
  ASSERT_TRUE(Form1->CloseAllowed);
  EXPECT_EQ(TaskStates(), std::vector<int>(13, 1));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, kSuccessText);

  Settle();
  CreateDirectoryA("screenshots", nullptr);
  ASSERT_TRUE(testing_support::SaveWindowPicture(Form1->hwnd(), "screenshots\\setup-done.bmp"));
  pictureTaken = testing_support::FileExists("screenshots\\setup-done.bmp");
  EXPECT_TRUE(pictureTaken);

  Form2->Show();
  Form2->ShellTreeView1.SetPath(base.path());
  Settle();
  ASSERT_TRUE(testing_support::SaveWindowPicture(Form2->hwnd(), "screenshots\\setup-path.bmp"));
  EXPECT_TRUE(IsWindowVisible(Form2->Button1.hwnd()));
  Form2->Hide();
  Form1->Hide();
}

}  // namespace
