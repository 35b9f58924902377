// The main window after start, its options, the Go rule, the folder rows and the toggle.
#include "quennex_fixture.h"

#include <algorithm>

#include "Application.h"

namespace {

using testing_support::TempFolder;

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override { ResetMainWindow(); }
  TForm1& f = *Form1;
};

// What the main window's creation did: the caption gained "Beta 2", the status its hint, the temp folder was found.
TEST(MainWindowStart, CreationAddsTheBetaAndTheHintAndFindsTheTempFolder) {
  const StartState& start = MainWindowAtStart();
  EXPECT_EQ(start.caption, "Vellmark Quennick Extractor Beta 2");
  EXPECT_EQ(start.status, "Click logo for info!");
  ASSERT_FALSE(Form1->Run.TempDir.empty());
  EXPECT_EQ(Form1->Run.TempDir.back(), '\\');
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

// The picker opens with the tree focused, so the arrow keys move its selection at once.
TEST_F(MainWindow, FolderPickerOpensWithTheTreeFocused) {
  RealModals real;
  HWND focusAtOpen = nullptr;
  std::string atHome, afterDown;
  testing_support::TimedSteps steps({[&] {
                                       focusAtOpen = GetFocus();
                                       testing_support::PressKey(VK_HOME);
                                     },
                                     [&] {
                                       atHome = Form4->ShellTreeView1.SelectedPath();
                                       testing_support::PressKey(VK_DOWN);
                                     },
                                     [&] {
                                       afterDown = Form4->ShellTreeView1.SelectedPath();
                                       Form4->Button2Click();
                                     }},
                                    300);
  f.BitBtn1Click();
  EXPECT_EQ(focusAtOpen, Form4->ShellTreeView1.hwnd());
  EXPECT_EQ(lstrcmpiA(atHome.c_str(), "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"), 0) << "Home selects My Computer";
  EXPECT_NE(afterDown, atHome) << "Down selects the next folder";
}

// Tab onto an option scrolled out of sight brings it into view; Space then ticks what the user sees.
TEST_F(MainWindow, OptionThatGetsTheFocusIsScrolledIntoView) {
  f.Show();
  f.PageControl1.SetActivePage(1);
  f.ScrollBox1.ScrollTo(10000);
  f.CheckBox1.SetFocus();
  testing_support::PressKey(VK_TAB);
  Pump(200);
  EXPECT_EQ(GetFocus(), f.CheckBox2.hwnd());
  RECT box, option;
  GetClientRect(f.ScrollBox1.hwnd(), &box);
  GetWindowRect(f.CheckBox2.hwnd(), &option);
  MapWindowPoints(HWND_DESKTOP, f.ScrollBox1.hwnd(), reinterpret_cast<POINT*>(&option), 2);
  EXPECT_GE(option.top, 0);
  EXPECT_LE(option.bottom, box.bottom);
  testing_support::PressKey(VK_SPACE);
  Pump(200);
  EXPECT_TRUE(f.CheckBox2.Checked());
  f.ScrollBox1.ScrollTo(0);
  f.PageControl1.SetActivePage(0);
  f.Hide();
}

// Every caption of every window is read whole in the font it is drawn in.
TEST(Captions, EveryCaptionFitsItsControl) {
  for (ui::Form* form : std::initializer_list<ui::Form*>{Form1, Form2, Form3, Form4, Form5}) {
    EXPECT_EQ(testing_support::CutCaptions(form->hwnd()), std::vector<std::string>{}) << form->Caption();
  }
}

// What the screen shows of a control, pixel by pixel.
std::vector<COLORREF> OnScreen(const ui::Window& control) {
  const ui::Rect r = control.Bounds();
  HDC dc = GetDC(control.hwnd());
  std::vector<COLORREF> pixels;
  for (int y = 0; y < r.height; ++y) {
    for (int x = 0; x < r.width; ++x) pixels.push_back(GetPixel(dc, x, y));
  }
  ReleaseDC(control.hwnd(), dc);
  return pixels;
}

TEST_F(MainWindow, FolderButtonsAndTheToggleShowTheirPicturesWithoutTheTransparentColour) {
  f.Show();
  for (int i = 0; i < 20; ++i) {
    ui::Application::ProcessMessages();
    Sleep(10);
  }
  auto count = [](const std::vector<COLORREF>& pixels, auto test) {
    return std::count_if(pixels.begin(), pixels.end(), test);
  };
  // The key colour and its blends with a picture's edge: red and blue well above green.
  auto keyed = [](COLORREF c) { return GetRValue(c) > GetGValue(c) + 80 && GetBValue(c) > GetGValue(c) + 80; };
  for (const ui::Window* button : {static_cast<ui::Window*>(&f.BitBtn1), static_cast<ui::Window*>(&f.BitBtn5)}) {
    const std::vector<COLORREF> pixels = OnScreen(*button);
    EXPECT_GT(count(pixels, [](COLORREF c) { return c == RGB(0xF8, 0xD8, 0x70); }), 20) << "the folder shows";
    EXPECT_EQ(count(pixels, keyed), 0);
  }
  const std::vector<COLORREF> arrow = OnScreen(f.SpeedButton1);
  EXPECT_GT(count(arrow, [](COLORREF c) { return c == RGB(0x20, 0x50, 0xB0); }), 40) << "the arrow shows";
  EXPECT_EQ(count(arrow, keyed), 0);
  f.Hide();
}

// The task bar button carries the application title, also while the credits stand in for the main window,
// which comes back with the control it had.
TEST_F(MainWindow, LogoShowsCreditsAndClosingThemBringsTheMainWindowBack) {
  const std::vector<std::string> button{"Vellmark Quennick Extractor"};
  f.Show();
  Pump(50);
  SetFocus(f.Edit1.hwnd());
  EXPECT_EQ(testing_support::TaskBarTitles(), button);
  f.Image1.onClick();
  EXPECT_FALSE(f.Visible());
  EXPECT_TRUE(Form2->Visible());
  EXPECT_EQ(testing_support::TaskBarTitles(), button);
  Form2->Close();
  EXPECT_FALSE(Form2->Visible());
  EXPECT_TRUE(f.Visible());
  EXPECT_EQ(GetForegroundWindow(), f.hwnd());
  Pump(50);
  EXPECT_EQ(GetFocus(), f.Edit1.hwnd());
  SendMessageA(f.hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);  // the minimize box minimizes the program
  EXPECT_FALSE(f.Visible());
  EXPECT_EQ(testing_support::TaskBarTitles(), button);
  SendMessageA(ui::Application::Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);  // as a click on the button
  EXPECT_TRUE(f.Visible());
  Pump(300);
  EXPECT_GT(testing_support::CountInClientArea(f.Label2.hwnd(), GetSysColor(COLOR_WINDOWTEXT)), 10)
      << "the restored window is drawn";
  f.Hide();
}

}  // namespace
