// The path dialog: the proposal from the registry, its buttons, its close box and a proposal it cannot show.
#include "Application.h"
#include "setup_fixture.h"
#include "window_pictures.h"

namespace {

const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
const char kMyComputer[] = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

class PathDialog : public Installer {
 protected:
  void SetUp() override {
    Installer::SetUp();
    proposal =
        std::make_unique<RegistryValueOverride>(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir", base.path());
  }
  void TearDown() override {
    proposal.reset();
    Installer::TearDown();
  }
  std::unique_ptr<RegistryValueOverride> proposal;
};

TEST_F(PathDialog, InstallWithoutTouchingTheTreeTakesTheProposal) {
  std::string shownAt;
  const InstallRun run = RunInstall([&](TForm2& dialog) {
    shownAt = dialog.ShellTreeView1.SelectedPath();
    dialog.Button1Click();
  });
  EXPECT_EQ(shownAt, base.path());
  EXPECT_EQ(Form1->InstallPath, base.path());
  EXPECT_EQ(TaskStates(), std::vector<int>(13, 1));
  EXPECT_TRUE(testing_support::FileExists(base.path() + kProgramSubfolder + "\\quennex.exe"));
}

// The real dialog opens with the tree focused; Tab then Space presses "Install", as a user would.
TEST_F(PathDialog, OpensWithTheTreeFocusedAndTheKeysReachInstall) {
  const ui::ModalResponder previous = ui::SetModalResponder({});
  HWND focusAtOpen = nullptr;
  std::string chosen;
  {
    testing_support::TimedSteps steps({[&] {
                                         focusAtOpen = GetFocus();
                                         testing_support::PressKey(VK_TAB);
                                       },
                                       [] { testing_support::PressKey(VK_SPACE); }, [] { Form2->Button2Click(); }},
                                      300);
    chosen = GetInstallPath();
  }
  ui::SetModalResponder(previous);
  EXPECT_EQ(focusAtOpen, Form2->ShellTreeView1.hwnd());
  EXPECT_EQ(chosen, base.path());
}

TEST_F(PathDialog, CloseBoxKeepsTheProposal) {
  const InstallRun run = RunInstall([](TForm2& dialog) {
    dialog.ShellTreeView1.SetPath(GetProgramsFolder());
    dialog.Close();
    EXPECT_EQ(dialog.ModalResult(), ui::mrCancel);
  });
  EXPECT_EQ(Form1->InstallPath, base.path());
  EXPECT_EQ(TaskStates().back(), 1);
}

TEST_F(PathDialog, MyComputerIsNoFolderToInstallInto) {
  const InstallRun run = RunInstall([](TForm2& dialog) { ChooseFolder(dialog, kMyComputer); });
  EXPECT_EQ(Form1->InstallPath.rfind("::{", 0), 0u) << Form1->InstallPath;
  EXPECT_EQ(TaskStates(), (std::vector<int>{1, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2}));
}

TEST_F(PathDialog, ProposalTheShellCannotParseIsReportedAndTheDialogOpens) {
  const std::string bad = base / "no\\such\\folder";
  proposal->Set(bad);
  bool dialogShown = false;
  const InstallRun run = RunInstall([&](TForm2& dialog) {
    dialogShown = true;
    PressAbort(dialog);
  });
  EXPECT_TRUE(dialogShown);
  ASSERT_EQ(run.messages.size(), 2u);
  EXPECT_EQ(run.messages[0].text, "Error setting path: \"" + bad + "\"");
  EXPECT_EQ(run.messages[0].caption, "VellmarkTools-Installer");
  EXPECT_EQ(run.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(run.messages[1].text, "Installation FAILED!!!");
}

}  // namespace
