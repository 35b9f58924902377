// The main window after start, its options, the Go rule, the folder rows and the toggle.
#include "quennex_fixture.h"

namespace {

using testing_support::TempFolder;

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override { ResetMainWindow(); }
  TForm1& f = *Form1;
};

TEST(MainWindowStart, CaptionStatusAndDefaults) {
  TForm1& f = *Form1;
  const StartState& start = MainWindowAtStart();
  EXPECT_EQ(start.caption, "Vellmark Quennick Extractor Beta 2");
  EXPECT_EQ(start.status, "Click logo for info!");
  EXPECT_EQ(start.aceCounter, "-");
  EXPECT_EQ(start.rarCounter, "-");
  EXPECT_EQ(start.zipCounter, "-");
  EXPECT_EQ(f.ClientSize().cx, 320);
  EXPECT_EQ(f.ClientSize().cy, 508);
  EXPECT_TRUE(f.CheckBox1.Checked());
  EXPECT_FALSE(f.CheckBox2.Checked());
  EXPECT_FALSE(f.CheckBox3.Checked());
  EXPECT_FALSE(f.CheckBox9.Checked());
  EXPECT_TRUE(f.CheckBox7.Checked());
  EXPECT_TRUE(f.CheckBox4.Checked());
  EXPECT_FALSE(f.CheckBox5.Checked());
  EXPECT_FALSE(f.CheckBox6.Checked());
  EXPECT_TRUE(f.CheckBox8.Checked());
  EXPECT_EQ(f.RadioGroup1.ItemIndex(), 2);
  EXPECT_EQ(f.RadioGroup2.ItemIndex(), 0);
  EXPECT_EQ(f.Label12.Caption(), "6");
  EXPECT_TRUE(f.Edit2.Text().empty());
  EXPECT_FALSE(f.BitBtn2.Enabled());
  EXPECT_FALSE(f.BitBtn3.Visible());
  EXPECT_FALSE(f.ProgressBar1.Visible());
  EXPECT_TRUE(f.SpeedButton1.Down());
  EXPECT_EQ(f.PageControl1.ActivePage(), 0);
  EXPECT_EQ(f.TabControl1.TabIndex(), 0);
  EXPECT_EQ(f.ListView1.View(), ui::ListView::ViewStyle::List);
  EXPECT_EQ(f.Image1.PictureWidth(), 302);
  EXPECT_EQ(f.Image1.PictureHeight(), 113);
  ASSERT_FALSE(f.Run.TempDir.empty());
  EXPECT_EQ(f.Run.TempDir.back(), '\\');
  EXPECT_EQ(f.Run.TempDir.find('\0'), std::string::npos);
}

TEST(MainWindowStart, OtherWindowsAreCreatedHiddenWithTheirCaptions) {
  EXPECT_FALSE(Form2->Visible());
  EXPECT_FALSE(Form3->Visible());
  EXPECT_FALSE(Form4->Visible());
  EXPECT_FALSE(Form5->Visible());
  EXPECT_EQ(Form2->Caption(), "Vellmark Credits");
  EXPECT_EQ(Form3->Caption(), "File_Id.DIZ Viewer");
  EXPECT_EQ(Form5->Caption(), "Select the best match");
  EXPECT_EQ(Form4->ClientSize().cx, 316);
  EXPECT_EQ(Form4->ClientSize().cy, 368);
}

TEST_F(MainWindow, GoNeedsBothFoldersAndAnOutputFile) {
  TempFolder folder;
  ChooseSource(folder.path());
  EXPECT_TRUE(f.BitBtn2.Enabled());
  for (ui::CheckBox* box : {&f.CheckBox1, &f.CheckBox2, &f.CheckBox3, &f.CheckBox9}) box->SetChecked(false);
  f.CheckBox1.Click();  // unticks nothing: it ticks Files.BBS again
  EXPECT_TRUE(f.BitBtn2.Enabled());
  f.CheckBox1.Click();
  EXPECT_FALSE(f.BitBtn2.Enabled());
  f.CheckBox9.Click();  // Files.csv alone is enough
  EXPECT_TRUE(f.BitBtn2.Enabled());
  f.CheckBox9.Click();
  f.CheckBox3.Click();
  EXPECT_TRUE(f.BitBtn2.Enabled());
}

TEST_F(MainWindow, SourceFillsAnEmptyTargetAndTheToggleMakesTargetFollow) {
  TempFolder one, two, three;
  f.SpeedButton1.SetDown(false);
  ChooseSource(one.path());
  EXPECT_EQ(f.Edit1.Text(), one.path());
  EXPECT_EQ(f.Edit3.Text(), one.path()) << "an empty target takes the source even with the toggle up";
  ChooseSource(two.path());
  EXPECT_EQ(f.Edit3.Text(), one.path()) << "toggle up: the target stays";

  f.SpeedButton1.Click();  // down: copies the source at once
  EXPECT_TRUE(f.SpeedButton1.Down());
  EXPECT_EQ(f.Edit3.Text(), two.path());

  ChooseTarget(three.path());
  EXPECT_EQ(f.Edit3.Text(), three.path());
  EXPECT_TRUE(f.SpeedButton1.Down());
  ChooseSource(one.path());
  EXPECT_EQ(f.Edit3.Text(), one.path()) << "toggle down: every source choice replaces the target";

  f.SpeedButton1.Click();  // up: nothing changes
  EXPECT_FALSE(f.SpeedButton1.Down());
  EXPECT_EQ(f.Edit3.Text(), one.path());
}

TEST_F(MainWindow, PickerCaptionsAndCancel) {
  TempFolder one, two;
  ChooseSource(one.path());
  {
    ScriptedModals picker([&](ui::Form& form) {
      EXPECT_EQ(Form4->Button1.Text(), "Set as Target");
      return PickFolder(form, "");
    });
    f.BitBtn5Click();
    EXPECT_EQ(picker.Captions(), std::vector<std::string>{"Where to place the output files?"});
  }
  EXPECT_EQ(f.Edit3.Text(), one.path()) << "Cancel never changes the target";
  {
    ScriptedModals picker([&](ui::Form& form) {
      EXPECT_EQ(Form4->Button1.Text(), "Set as Source");
      return PickFolder(form, "");
    });
    f.Edit1.onClick();  // a click into the source box opens the picker too
    EXPECT_EQ(picker.Captions(), std::vector<std::string>{"Where are the archives in?"});
  }
  EXPECT_EQ(f.Edit1.Text(), one.path());
  ChooseTarget(two.path());
  EXPECT_EQ(f.Edit3.Text(), two.path());
}

TEST_F(MainWindow, WordLengthStepsBetweenThreeAndNine) {
  std::vector<std::string> seen;
  for (int i = 0; i < 5; ++i) {
    f.UpDown1.Click(ui::UpDown::Button::Next);
    seen.push_back(f.Label12.Caption());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"7", "8", "9", "9", "9"}));
  seen.clear();
  for (int i = 0; i < 8; ++i) {
    f.UpDown1.Click(ui::UpDown::Button::Previous);
    seen.push_back(f.Label12.Caption());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"8", "7", "6", "5", "4", "3", "3", "3"}));
}

TEST_F(MainWindow, ListAndDetailsViews) {
  f.TabControl1.SetTabIndex(1);
  EXPECT_EQ(f.ListView1.View(), ui::ListView::ViewStyle::Details);
  EXPECT_GE(f.ListView1.ColumnWidth(0), 120);
  EXPECT_GE(f.ListView1.ColumnWidth(1), 80);
  EXPECT_GE(f.ListView1.ColumnWidth(2), 80);
  f.TabControl1.SetTabIndex(0);
  EXPECT_EQ(f.ListView1.View(), ui::ListView::ViewStyle::List);
}

TEST_F(MainWindow, LogoShowsCreditsAndClosingThemBringsTheMainWindowBack) {
  f.Show();
  f.Image1.onClick();
  EXPECT_FALSE(f.Visible());
  EXPECT_TRUE(Form2->Visible());
  Form2->Close();
  EXPECT_FALSE(Form2->Visible());
  EXPECT_TRUE(f.Visible());
  f.Hide();
}

}  // namespace
