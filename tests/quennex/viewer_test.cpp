// Double-click on an archive: its description in the viewer, uncleaned; the viewer's layout rules.
#include "quennex_fixture.h"

#include "../ace/ace_writer.h"
#include "../outside/archive_makers.h"

namespace {

using testing_support::TempFolder;
using testing_support::WriteBytes;

class Viewer : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMainWindow();
    f.Edit1.SetText(source.path());
    f.Edit3.SetText(source.path());
  }
  // Lists and probes the source folder as Go does, without writers or a report.
  void ListAndProbe() {
    f.Run.StopRequested = false;  // as Go leaves it before the probe pass
    ASSERT_TRUE(f.ReadSourceDir());
    f.ProbeArchives();
  }
  // Double-clicks item and returns the lines the viewer showed; no message box may come.
  std::vector<std::string> ShownOnDoubleClick(int item) {
    f.ListView1.Select(item);
    std::vector<std::string> shown;
    ScriptedMessages messages;
    ScriptedModals modal([&](ui::Form&) {
      shown = Form3->Memo1.Lines();
      return static_cast<int>(ui::mrCancel);
    });
    f.ListView1.DblClick();
    EXPECT_TRUE(messages.Texts().empty());
    return shown;
  }
  TempFolder source;
  TForm1& f = *Form1;
};

TEST_F(Viewer, ShowsTheDescriptionUncleanedWhateverTheOptions) {
  const std::string diz = "  ** Tool 2.0 **\r\n\r\n\xC9\xCD\xCD\xBB box\r\nA\tB\r\n";
  WriteBytes(source / "tool.zip", makers::MakeZip({{"FILE_ID.DIZ", diz}}));
  ListAndProbe();
  f.CheckBox5.SetChecked(true);  // guess mode and both filters: the viewer ignores them
  f.ListView1.Select(0);
  std::vector<std::string> shown;
  ScriptedMessages messages;
  ScriptedModals modal([&](ui::Form& form) {
    EXPECT_EQ(&form, Form3);
    EXPECT_TRUE(f.Run.ViewerMode);
    shown = Form3->Memo1.Lines();
    return static_cast<int>(ui::mrCancel);
  });
  f.ListView1.DblClick();
  EXPECT_EQ(shown, (std::vector<std::string>{"  ** Tool 2.0 **", "\xC9\xCD\xCD\xBB box", "AB"}));
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_FALSE(f.Run.ViewerMode);
}

TEST_F(Viewer, AceArchiveWithADescriptionTurnsGreenAndShowsIt) {
  WriteBytes(source / "tool.ace", ace_testing::MakeStoredArchive(
                                      {{"README.TXT", ace_testing::Bytes("read me")},
                                       {"DOCS\\FILE_ID.DIZ", ace_testing::Bytes("Ace Tool 3.1\r\nfor DOS\r\n")}}));
  WriteBytes(source / "nodiz.ace", ace_testing::MakeStoredArchive({{"README.TXT", ace_testing::Bytes("x")}}));
  ListAndProbe();
  ASSERT_EQ(f.ListView1.Count(), 2);
  EXPECT_EQ(f.ListView1.Item(0).caption, "nodiz.ace");
  EXPECT_EQ(f.ListView1.Item(0).imageIndex, 2);
  EXPECT_EQ(f.ListView1.Item(1).imageIndex, 1) << "UnAceV2.Dll found the description";
  EXPECT_EQ(ShownOnDoubleClick(1), (std::vector<std::string>{"Ace Tool 3.1", "for DOS"}));
}

// Real archives packed by RAR 1.5 and 2.0, their text member renamed FILE_ID.DIZ: its packed
// bytes are as RAR wrote them, behind members of the same method.
TEST_F(Viewer, RarArchivesPackedByRar15And20TurnGreenAndShowTheirDescription) {
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  auto renamed = [&](const char* archive, const char* member) {
    makers::Bytes bytes = testing_support::ReadBytes(fixtures + "\\legacy\\" + archive);
    EXPECT_TRUE(makers::RenameRar4Member(bytes, member, "FILE_ID.DIZ")) << archive;
    return bytes;
  };
  WriteBytes(source / "rar15.rar", renamed("sharpcompress__Rar15.rar", "TECT.TXT"));
  WriteBytes(source / "rar20.rar", renamed("sharpcompress__Rar2.rar", "????.txt"));
  ListAndProbe();
  ASSERT_EQ(f.ListView1.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(f.ListView1.Item(i).imageIndex, 1) << f.ListView1.Item(i).caption;
    const std::vector<std::string> shown = ShownOnDoubleClick(i);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[0], "using System;");
  }
}

TEST_F(Viewer, RedOrGreyItemsAndFailedExtractionsGiveTheirMessages) {
  WriteBytes(source / "a.zip", makers::MakeZip({{"file_id.diz", "A 1.0\r\n"}}));
  WriteBytes(source / "b.zip", makers::MakeZip({{"other.txt", "x"}}));
  ASSERT_TRUE(f.ReadSourceDir());
  ScriptedModals modal([](ui::Form&) {
    ADD_FAILURE() << "no viewer expected";
    return static_cast<int>(ui::mrCancel);
  });
  {
    ScriptedMessages messages;
    f.ListView1.Select(0);  // grey: not probed yet
    f.ListView1.DblClick();
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"The red LED indicates that there is\rno description available."});
  }
  f.ProbeArchives();
  {
    ScriptedMessages messages;
    f.ListView1.Select(1);  // red
    f.ListView1.DblClick();
    EXPECT_EQ(messages.Texts().size(), 1u);
  }
  {
    ScriptedMessages messages;
    f.ListView1.Select(-1);  // nothing selected: nothing happens
    f.ListView1.DblClick();
    EXPECT_TRUE(messages.Texts().empty());
  }
  {
    TempFolder elsewhere;  // the source changed after the run: the archive is not there
    f.Edit1.SetText(elsewhere.path());
    ScriptedMessages messages;
    f.ListView1.Select(0);
    f.ListView1.DblClick();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error with depacking archive.\rTry again."});
  }
  EXPECT_FALSE(f.Run.ViewerMode);
}

TEST(ViewerWindow, ResizeKeepsMarginsAndMinimumSize) {
  TForm3& v = *Form3;
  const RECT before = [&] {
    RECT r;
    GetWindowRect(v.hwnd(), &r);
    return r;
  }();
  SetWindowPos(v.hwnd(), nullptr, 0, 0, before.right - before.left + 100, before.bottom - before.top + 60,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const SIZE client = v.ClientSize();
  const ui::Rect memo = v.Memo1.Bounds(), close = v.Button1.Bounds(), arial = v.Button2.Bounds();
  EXPECT_EQ(memo.left, 8);
  EXPECT_EQ(memo.top, 8);
  EXPECT_EQ(memo.width, client.cx - 16);
  EXPECT_EQ(memo.height, client.cy - 46);
  EXPECT_EQ(close.top, client.cy - 31);
  EXPECT_EQ(close.left + close.width, client.cx - 8);
  EXPECT_EQ(arial.left, 8);
  EXPECT_EQ(v.Button4.Bounds().left, 105);
  EXPECT_EQ(v.Button3.Bounds().left, 202);
  // Smaller than designed is refused.
  MINMAXINFO limits{};
  SendMessageA(v.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  EXPECT_EQ(limits.ptMinTrackSize.x, before.right - before.left);
  EXPECT_EQ(limits.ptMinTrackSize.y, before.bottom - before.top);
  SetWindowPos(v.hwnd(), nullptr, 0, 0, before.right - before.left, before.bottom - before.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(v.Memo1.Bounds().width, 433);
  EXPECT_EQ(v.Memo1.Bounds().height, 337);
}

// Maximised, dragged larger in one move, or dragged slowly, the viewer shows its buttons at their new
// places and no piece of the memo's old scroll bars.
TEST(ViewerWindow, ControlsAreRedrawnAfterAResize) {
  TForm3& v = *Form3;
  RECT designed;
  GetWindowRect(v.hwnd(), &designed);
  const int width = designed.right - designed.left, height = designed.bottom - designed.top;
  v.Memo1.SetLines({"A line of a description"});
  v.Show();
  Pump(300);
  auto expectRedrawn = [&](const char* after) {
    Pump(300);
    for (ui::Button* button : {&v.Button1, &v.Button2, &v.Button3, &v.Button4}) {
      EXPECT_GT(testing_support::CountInClientArea(button->hwnd(), GetSysColor(COLOR_BTNTEXT)), 20)
          << button->Text() << " after " << after;
    }
    // The memo's face holds black text on grey; the white edges of a scroll bar's arrows do not belong there.
    EXPECT_EQ(testing_support::CountInClientArea(v.Memo1.hwnd(), GetSysColor(COLOR_3DHILIGHT)), 0)
        << "scroll bar pieces in the memo after " << after;
  };
  ShowWindow(v.hwnd(), SW_MAXIMIZE);
  expectRedrawn("maximise");
  ShowWindow(v.hwnd(), SW_RESTORE);
  expectRedrawn("restore");
  SetWindowPos(v.hwnd(), nullptr, 0, 0, width + 150, height + 100, SWP_NOMOVE | SWP_NOZORDER);
  expectRedrawn("one drag");
  for (int step = 1; step <= 10; ++step) {
    SetWindowPos(v.hwnd(), nullptr, 0, 0, width + 150 + step * 7, height + 100 + step * 5, SWP_NOMOVE | SWP_NOZORDER);
    Pump(20);
  }
  expectRedrawn("a slow drag");
  SetWindowPos(v.hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  v.Hide();
}

TEST(ViewerWindow, FontButtonsAndClose) {
  TForm3& v = *Form3;
  auto face = [&] {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(v.Memo1.hwnd(), WM_GETFONT, 0, 0));
    LOGFONTA info{};
    GetObjectA(font, sizeof info, &info);
    return std::string(info.lfFaceName) + "/" + std::to_string(info.lfPitchAndFamily & 3);
  };
  const std::string initial = face();
  v.Button2.Click();
  EXPECT_EQ(face(), "Arial/" + std::to_string(VARIABLE_PITCH));
  v.Button3.Click();
  EXPECT_EQ(face(), "Terminal/" + std::to_string(FIXED_PITCH));
  v.Button4.Click();
  EXPECT_EQ(face(), initial) << "Terminal 9 pt is the initial font";
}

}  // namespace
