// The main window as shown: its first activation runs the installation.
#include "Application.h"
#include "setup_fixture.h"

namespace {

// Showing the window activates it; the activation runs the whole installation.
TEST_F(Installer, FirstActivationRunsTheInstallation) {
  std::vector<ui::MessageRequest> messages;
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
  EXPECT_EQ(testing_support::TaskBarTitles(), std::vector<std::string>{"VellmarkTools-Installer"});
  EXPECT_EQ(TaskStates(), std::vector<int>(13, 1));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, kSuccessText);
  Form1->Hide();
}

}  // namespace
