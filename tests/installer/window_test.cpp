// The main window as shown: its first activation runs the installation.
#include "Application.h"
#include "setup_fixture.h"
#include "window_pictures.h"

namespace {

// Shows the window, whose first activation installs into folder; returns the messages it showed.
std::vector<ui::MessageRequest> ShowAndInstallInto(const std::string& folder) {
  std::vector<ui::MessageRequest> messages;
  const ui::MessageResponder previous = ui::SetMessageResponder([&](const ui::MessageRequest& request) {
    messages.push_back(request);
    return static_cast<int>(IDOK);
  });
  const ui::ModalResponder previousModal = ui::SetModalResponder([&](ui::Form&) {
    ChooseFolder(*Form2, folder);
    return Form2->ModalResult();
  });
  Form1->Show();
  for (int i = 0; i < 500 && !Form1->CloseAllowed; ++i) {
    ui::Application::ProcessMessages();
    Sleep(10);
  }
  ui::SetModalResponder(previousModal);
  ui::SetMessageResponder(previous);
  return messages;
}

// Showing the window activates it; the activation runs the whole installation.
TEST_F(Installer, FirstActivationRunsTheInstallation) {
  const std::vector<ui::MessageRequest> messages = ShowAndInstallInto(base.path());
  ASSERT_TRUE(Form1->CloseAllowed);
  EXPECT_EQ(testing_support::TaskBarTitles(), std::vector<std::string>{"VellmarkTools-Installer"});
  EXPECT_EQ(TaskStates(), std::vector<int>(13, 1));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, kSuccessText);
  Form1->Hide();
}

// A long install path is cut in the task list: the column keeps its width, and no horizontal scroll bar
// comes to hide the last task.
TEST_F(Installer, LongInstallPathKeepsTheTaskColumnAndTheLastRowInSight) {
  std::string folder = base.path();
  while (folder.size() < 200) {
    folder += "\\" + std::string(std::min<size_t>(40, 200 - folder.size() - 1), 'p');
    testing_support::MakeFolder(folder);
  }
  ShowAndInstallInto(folder);
  EXPECT_EQ(Form1->InstallPath, folder);
  EXPECT_EQ(TaskStates(), std::vector<int>(13, 1));
  HWND list = Form1->lvTask.hwnd();
  EXPECT_EQ(Form1->lvTask.ColumnWidth(0), 300);
  EXPECT_FALSE(GetWindowLongA(list, GWL_STYLE) & WS_HSCROLL);
  RECT client, last;
  GetClientRect(list, &client);
  ASSERT_TRUE(ListView_GetItemRect(list, 12, &last, LVIR_BOUNDS));
  EXPECT_LE(last.bottom, client.bottom) << "Create Shortcut is in sight";
  Form1->Hide();
}

// Every caption of both windows is read whole in the font it is drawn in.
TEST(SetupCaptions, EveryCaptionFitsItsControl) {
  for (ui::Form* form : std::initializer_list<ui::Form*>{Form1, Form2}) {
    EXPECT_EQ(testing_support::CutCaptions(form->hwnd()), std::vector<std::string>{}) << form->Caption();
  }
}

}  // namespace
