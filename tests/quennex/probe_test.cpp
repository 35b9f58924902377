// The probe pass: every listed archive gets a green or red LED from a real extraction.
#include "quennex_fixture.h"

#include "../outside/archive_makers.h"

namespace {

using makers::Entry;
using testing_support::TempFolder;
using testing_support::WriteBytes;

const std::string kDiz = "Demo Tool 1.0\r\nDoes things.\r\n";

std::string NumberedZip(char prefix, int i) {
  std::string name(1, prefix);
  name += std::to_string(100 + i);
  name += ".zip";
  return name;
}

class Probe : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMainWindow();
    f.Edit1.SetText(source.path());
    f.Edit3.SetText(target.path());
    f.TesteGo();
  }
  void TearDown() override { f.ListView1.onChange = nullptr; }
  std::vector<int> Leds() const {
    std::vector<int> leds;
    for (int i = 0; i < f.ListView1.Count(); ++i) leds.push_back(f.ListView1.Item(i).imageIndex);
    return leds;
  }
  void Put(const std::string& name, const makers::Bytes& bytes) { WriteBytes(source / name, bytes); }
  TempFolder source, target;
  TForm1& f = *Form1;
};

TEST_F(Probe, ArchivesWithADescriptionTurnGreenTheOthersRed) {
  Put("a.zip", makers::MakeZip({{"FILE_ID.DIZ", kDiz}}, makers::ZipMethod::kDeflate));
  Put("b.zip", makers::MakeZip({{"readme.txt", "no description"}}));
  Put("c.rar", makers::MakeRar4({{"DOCS\\file_id.diz", kDiz}}));
  Put("d.RAR", makers::MakeRar5({{"file_id.diz", kDiz}}));
  Put("e.rar", makers::MakeRar4({{"file_id.diz.txt", kDiz}}));
  testing_support::WriteText(source / "f.zip", "this is no archive");
  f.CheckBox1.SetChecked(false);
  f.CheckBox9.SetChecked(false);
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_EQ(Leds(), (std::vector<int>{1, 2, 1, 1, 2, 2}));
  EXPECT_NE(f.Run.ReportText.find("Scanned 6 archives and found 3 descriptions.\r"), std::string::npos)
      << f.Run.ReportText;
  EXPECT_FALSE(f.ProgressBar1.Visible());
  EXPECT_EQ(f.ProgressBar1.Position(), 5) << "the index of the last archive probed";
}

// Shrink, Reduce (factors 1, 2 and 4) and Implode: real members, each with a member of the same
// method behind it as file_id.diz.
TEST_F(Probe, LegacyZipMethodsWithADescriptionTurnGreen) {
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  struct Source {
    const char* name;
    std::size_t first, diz;  // members in the central directory
  };
  const Source sources[] = {
      {"commons-compress__SHRUNK.ZIP", 0, 1},   {"sharpcompress__Zip.reduce1.zip", 1, 2},
      {"sharpcompress__Zip.reduce2.zip", 1, 2}, {"sharpcompress__Zip.reduce4.zip", 1, 2},
      {"sharpcompress__Zip.implode.zip", 0, 2},
  };
  int i = 0;
  for (const Source& s : sources) {
    const auto zip = testing_support::ReadBytes(fixtures + "\\legacy\\" + s.name);
    Put(NumberedZip('l', i++), makers::CopyZipMembers({{&zip, s.first, "PROGRAM.EXE"}, {&zip, s.diz, "FILE_ID.DIZ"}}));
  }
  f.CheckBox8.SetChecked(false);
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_EQ(Leds(), std::vector<int>(5, 1));
  EXPECT_NE(f.Run.ReportText.find("Scanned 5 archives and found 5 descriptions.\r"), std::string::npos)
      << f.Run.ReportText;
}

TEST_F(Probe, StatusCountsTheArchivesProbed) {
  for (int i = 0; i < 12; ++i) {
    Put(NumberedZip('t', i), i < 5 ? makers::MakeZip({{"file_id.diz", kDiz}}) : makers::MakeZip({{"x.txt", "x"}}));
  }
  std::vector<std::string> statuses;
  f.ListView1.onChange = [&](int) { statuses.push_back(f.StatusBar1.SimpleText()); };
  f.CheckBox8.SetChecked(false);
  ScriptedMessages messages;
  f.BitBtn2Click();
  ASSERT_EQ(statuses.size(), 12u);
  EXPECT_EQ(statuses[3], "Scanning for file_id.diz 3/12") << "the status after the third archive";
  EXPECT_NE(f.Run.ReportText.find("Scanned 12 archives and found 5 descriptions.\r"), std::string::npos);
}

TEST_F(Probe, StopAfterTheFourthOfTenLeavesSixGrey) {
  for (int i = 0; i < 10; ++i) Put(NumberedZip('s', i), makers::MakeZip({{"file_id.diz", kDiz}}));
  f.ListView1.onChange = [&](int index) {
    if (index == 3) f.BitBtn3.Click();
  };
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_EQ(Leds(), (std::vector<int>{1, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_NE(f.Run.ReportText.find("Scanned 4 archives and found 4 descriptions.\r"), std::string::npos);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Stopped by user."}) << "no report after a stop";
  EXPECT_EQ(f.StatusBar1.SimpleText(), "Ready");
}

TEST_F(Probe, CloseBoxDuringARunStopsAndClosesAfterIt) {
  for (int i = 0; i < 3; ++i) Put(NumberedZip('c', i), makers::MakeZip({{"file_id.diz", kDiz}}));
  f.Show();
  f.ListView1.onChange = [&](int index) {
    if (index == 0) {
      f.Close();  // as the close box
      EXPECT_TRUE(f.Visible()) << "the window stays while the run ends";
      f.Image1.onClick();  // ignored during a run
      EXPECT_FALSE(Form2->Visible());
    }
  };
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_EQ(Leds(), (std::vector<int>{1, 0, 0}));
  EXPECT_FALSE(f.Visible()) << "closed once the run ended";
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "closing the main window ends the program";
}

}  // namespace
