// Go, Stop, the timer and the report; the temp folder at start.
#include "quennex_fixture.h"

#include "run_report.h"

namespace {

using testing_support::TempFolder;
using testing_support::WriteText;

class RunDriver : public ::testing::Test {
 protected:
  void SetUp() override { ResetMainWindow(); }
  TForm1& f = *Form1;
};

TEST(ReportLines, ElapsedTimeReadsMinutesAndSeconds) {
  auto tail = [](std::uint32_t minutes, std::uint32_t seconds) {
    return run_report::TailLines({false, 0, minutes, seconds});
  };
  EXPECT_EQ(tail(0, 59), "\rThat took 00:59 minutes.\r");
  EXPECT_EQ(tail(1, 0), "\rThat took 01:00 minutes.\r");
  EXPECT_EQ(tail(100, 0), "\rThat took 100:00 minutes.\r");
  EXPECT_EQ(tail(4, 7), "\rThat took 04:07 minutes.\r");
}

TEST(ReportLines, HeadAndTail) {
  EXPECT_EQ(run_report::HeadLines({false, false, ""}), "\r");
  EXPECT_EQ(run_report::HeadLines({true, true, "CD 7"}),
            "Initial unused spaces were removed.\rAll unusal characters were removed.\r"
            "The string \"CD 7\" was added at the end of the description line.\r\r");
  EXPECT_EQ(run_report::TailLines({true, 1, 0, 5}),
            "Check target directory for available diskspace or other errors.\r\rUser helped 1 times.\r"
            "\rThat took 00:05 minutes.\r");
  EXPECT_EQ(run_report::ProbeLine(12, 5), "Scanned 12 archives and found 5 descriptions.\r");
}

// No message gets through while the question is up, so no tick does either: the time comes from the clock.
TEST_F(RunDriver, ReportTimeIsTheRunsTimeWhateverTheTicks) {
  TempFolder empty;
  ChooseSource(empty.path());
  std::vector<std::string> texts;
  const ui::MessageResponder previous = ui::SetMessageResponder([&](const ui::MessageRequest& request) {
    texts.push_back(request.text);
    if (texts.size() == 1) Sleep(2300);
    return static_cast<int>(IDCANCEL);
  });
  f.BitBtn2Click();
  ui::SetMessageResponder(previous);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_GE(f.Run.ElapsedSeconds, 2);
  EXPECT_EQ(f.Run.ElapsedMinutes, 0u);
  EXPECT_EQ(texts[1], run_report::TailLines({false, 0, f.Run.ElapsedMinutes, f.Run.ElapsedSeconds}));
}

TEST_F(RunDriver, NoArchivesAsksAndOkOpensTheSourcePicker) {
  TempFolder empty, other;
  WriteText(empty / "notes.txt", "x");
  ChooseSource(empty.path());
  ScriptedMessages messages;
  ScriptedModals picker([&](ui::Form& form) { return PickFolder(form, other.path()); });
  f.BitBtn2Click();
  ASSERT_EQ(messages.Shown().size(), 2u);
  const ui::MessageRequest& question = messages.Shown()[0];
  EXPECT_EQ(question.text, "In the source directory are no archive files.\rPlease select another source.");
  EXPECT_EQ(question.caption, "Confirm");
  EXPECT_EQ(question.flags & MB_TYPEMASK, static_cast<UINT>(MB_OKCANCEL));
  EXPECT_EQ(question.flags & MB_ICONMASK, static_cast<UINT>(MB_ICONQUESTION));
  EXPECT_EQ(picker.Captions(), std::vector<std::string>{"Where are the archives in?"});
  EXPECT_EQ(f.Edit1.Text(), other.path());
  // The report holds the time alone, whatever the run took.
  const std::string timeAlone = run_report::TailLines({false, 0, f.Run.ElapsedMinutes, f.Run.ElapsedSeconds});
  EXPECT_EQ(messages.Shown()[1].text, timeAlone);
  EXPECT_EQ(messages.Shown()[1].caption, "Vellmark Quennick Extractor");
  EXPECT_EQ(f.Run.ReportText, timeAlone);
}

TEST_F(RunDriver, NoArchivesCancelOpensNothing) {
  TempFolder empty;
  ChooseSource(empty.path());
  ScriptedMessages messages;
  messages.Answer(IDCANCEL);
  ScriptedModals picker([](ui::Form&) { return static_cast<int>(ui::mrCancel); });
  f.BitBtn2Click();
  EXPECT_TRUE(picker.Captions().empty());
  EXPECT_EQ(messages.Texts().size(), 2u);
}

TEST_F(RunDriver, MissingSourceFolderLeavesReadingDirectoryUntilTheEnd) {
  TempFolder parent;
  f.Edit1.SetText(parent / "missing");
  f.Edit3.SetText(parent.path());
  EXPECT_FALSE(f.ReadSourceDir());
  EXPECT_EQ(f.StatusBar1.SimpleText(), "Reading Directory");
}

TEST_F(RunDriver, RunEndsWithControlsEnabledAndReady) {
  TempFolder folder;
  ChooseSource(folder.path());
  f.CheckBox8.SetChecked(false);
  ScriptedMessages messages;
  messages.Answer(IDCANCEL);
  f.BitBtn2Click();
  EXPECT_EQ(messages.Texts().size(), 1u) << "no report without the report option";
  EXPECT_TRUE(f.BitBtn2.Enabled());
  EXPECT_TRUE(f.Edit1.Enabled());
  EXPECT_TRUE(f.BitBtn1.Enabled());
  EXPECT_TRUE(f.Edit3.Enabled());
  EXPECT_TRUE(f.BitBtn5.Enabled());
  EXPECT_TRUE(f.PageControl1.Enabled());
  EXPECT_FALSE(f.BitBtn3.Visible());
  EXPECT_FALSE(f.Timer1.Enabled());
  EXPECT_EQ(f.PageControl1.ActivePage(), 0);
  EXPECT_EQ(f.StatusBar1.SimpleText(), "Ready");
  EXPECT_TRUE(f.Run.StopRequested) << "every run ends with Stop";
}

TEST_F(RunDriver, AnErrorInARunStillEndsItAndShowsTheErrorBox) {
  TempFolder folder;
  ChooseSource(folder.path());
  ScriptedMessages messages;
  messages.ThrowAtNext("disk on fire");  // escapes from the no-archive question
  f.BitBtn2Click();
  ASSERT_FALSE(messages.Shown().empty());
  const ui::MessageRequest& box = messages.Shown().back();
  EXPECT_EQ(box.text, "disk on fire");
  EXPECT_EQ(box.caption, "Vellmark Quennick Extractor");
  EXPECT_EQ(box.flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_FALSE(f.Timer1.Enabled());
  EXPECT_TRUE(f.BitBtn2.Enabled());
  EXPECT_TRUE(f.PageControl1.Enabled());
  EXPECT_FALSE(f.BitBtn3.Visible());
  EXPECT_EQ(f.StatusBar1.SimpleText(), "Ready");
  EXPECT_FALSE(f.Running());
}

TEST_F(RunDriver, ReportHeadFollowsTheOptionsAndTwoRunsDoNotMix) {
  TempFolder folder;
  WriteText(folder / "a.zip", "not really a zip");
  ChooseSource(folder.path());
  f.CheckBox4.SetChecked(false);
  f.Edit2.SetText("CD1");
  const auto first = RunGo();
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.back().rfind("The string \"CD1\" was added at the end of the description line.\r\r", 0), 0u)
      << first.back();
  f.Edit2.SetText("");
  const auto second = RunGo();
  ASSERT_FALSE(second.empty());
  EXPECT_EQ(second.back().rfind("\rScanned 1 archives", 0), 0u) << second.back();
  EXPECT_EQ(second.back().find("CD1"), std::string::npos);
  EXPECT_TRUE(f.Run.Guess.Choices.empty());
}

TEST_F(RunDriver, TempPathThatLeavesNoRoomForTheDescriptionIsRefused) {
  char saved[MAX_PATH * 2] = {};
  const DWORD had = GetEnvironmentVariableA("TMP", saved, sizeof saved);
  const std::string savedTempDir = f.Run.TempDir;
  auto tryTemp = [&](size_t length) {
    std::string path = "C:\\";
    path += std::string(length - 4, 'd');
    path += "\\";
    SetEnvironmentVariableA("TMP", path.c_str());
    ScriptedMessages messages;
    f.InitTempDir();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the refused start would end the program
    return messages.Texts();
  };
  EXPECT_TRUE(tryTemp(248).empty());
  EXPECT_EQ(f.Run.TempDir.size(), 248u);
  EXPECT_EQ(tryTemp(249), std::vector<std::string>{"Can not work in Temp dir"});
  EXPECT_TRUE(f.Run.TempDir.empty());
  EXPECT_EQ(tryTemp(300), std::vector<std::string>{"Can not work in Temp dir"});
  SetEnvironmentVariableA("TMP", had ? saved : nullptr);
  f.Run.TempDir = savedTempDir;
  f.Show();
  f.Hide();
}

}  // namespace
