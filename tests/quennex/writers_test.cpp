// Go with the catalogue writers: the files written into the target folder, the overwrite question,
// the best-match window and the remembered choices, a stop while writing.
#include "quennex_fixture.h"

#include <psapi.h>

#include <atomic>
#include <functional>
#include <thread>

#include "../outside/archive_makers.h"

namespace {

using testing_support::ReadText;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using testing_support::WriteText;

std::string SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return std::to_string(data.nFileSizeLow);
}

std::string Pad(const std::string& text, size_t width, bool right = false) {
  const std::string fill(width > text.size() ? width - text.size() : 0, ' ');
  return right ? fill + text : text + fill;
}

class Writers : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMainWindow();
    f.Edit1.SetText(source.path());
    f.Edit3.SetText(target.path());
    f.CheckBox8.SetChecked(false);
  }
  void TearDown() override { f.ListView1.onChange = nullptr; }
  void Put(const std::string& name, const std::string& diz) {
    WriteBytes(source / name, makers::MakeZip({{"readme.txt", "read me"}, {"FILE_ID.DIZ", diz}}));
  }
  std::string Date(int index) const { return f.ListView1.Item(index).subItems.at(1); }
  TempFolder source, target;
  TForm1& f = *Form1;
};

TEST_F(Writers, AllFourCataloguesOfARun) {
  Put("A.ZIP", "Tool 1.0\r\nDoes things\r\n");
  Put("LONGNAME.ZIP", "Editor 2.5\r\n");
  WriteBytes(source / "RED.ZIP", makers::MakeZip({{"readme.txt", "no description"}}));
  f.CheckBox2.SetChecked(true);
  f.CheckBox3.SetChecked(true);
  f.CheckBox9.SetChecked(true);
  f.RadioGroup1.SetItemIndex(0);  // all lines
  f.Edit2.SetText("CD1");
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_TRUE(messages.Texts().empty());

  const std::string a = SizeOf(source / "A.ZIP"), l = SizeOf(source / "LONGNAME.ZIP");
  const size_t sizeWidth = std::max(a.size(), l.size());
  const std::string bbs = Pad("A.ZIP", 12) + "  " + Pad(a, sizeWidth, true) + "  " + Date(0) + "  " + "Tool 1.0" +
                          "   " + "  CD1\r\n" + std::string(12 + sizeWidth + 16, ' ') + "Does things\r\n" +
                          "LONGNAME.ZIP  " + Pad(l, sizeWidth, true) + "  " + Date(1) + "  Editor 2.5" + " " +
                          "  CD1\r\n";
  EXPECT_EQ(ReadText(target / "Files.BBS"), bbs);
  const std::string ion =
      "A.ZIP        Tool 1.0     CD1\r\n            Does things\r\nLONGNAME.ZIP Editor 2.5   CD1\r\n";
  EXPECT_EQ(ReadText(target / "Descript.ION"), ion);
  const std::string csv =
      "A.ZIP;" + a + ";" + Date(0) + ";Tool 1.0 CD1\r\nLONGNAME.ZIP;" + l + ";" + Date(1) + ";Editor 2.5 CD1\r\n";
  EXPECT_EQ(ReadText(target / "Files.csv"), csv);
  EXPECT_EQ(f.Run.ReportText.find(
                "Files.BBS generated.\rDescript.ION generated.\rExcel file generated.\rCSV file generated.\r"),
            f.Run.ReportText.find("Files.BBS generated."));
  EXPECT_NE(f.Run.ReportText.find("Scanned 3 archives and found 2 descriptions.\r"), std::string::npos);
  EXPECT_FALSE(f.Run.WriteFailed);
}

// Every real archive of the fixtures, hostile ones included, and two RARs whose blocks declare 2 GiB,
// between a first and a last archive with a description: the run reaches the last one and writes all
// four catalogues.
TEST_F(Writers, HostileArchivesLightRedAndTheRunGoesOn) {
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  size_t copied = 0;
  for (const std::string& file : testing_support::ListFilesRecursively(fixtures)) {
    const std::string name = file.substr(file.find_last_of('\\') + 1);
    if (name == "README.md") continue;
    ASSERT_TRUE(CopyFileA((fixtures + "\\" + file).c_str(), (source / name).c_str(), TRUE)) << file;
    ++copied;
  }
  for (bool link : {false, true}) {
    makers::Bytes rar = makers::MakeRar4({{"file_id.diz", "Hidden 1.0\r\n"}});
    const makers::Bytes block = makers::MakeRar4Block(0x7FFF0000, "", link);
    rar.insert(rar.begin() + 20, block.begin(), block.end());  // ahead of the entry
    WriteBytes(source / (link ? "hostile_link.rar" : "hostile_block.rar"), rar);
  }
  Put("0FIRST.ZIP", "First Tool 1.0\r\n");
  Put("ZZZLAST.ZIP", "Last Tool 2.0\r\n");
  f.CheckBox2.SetChecked(true);
  f.CheckBox3.SetChecked(true);
  f.CheckBox9.SetChecked(true);
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_TRUE(messages.Texts().empty());

  ASSERT_EQ(f.ListView1.Count(), static_cast<int>(copied + 4));
  for (int i = 0; i < f.ListView1.Count(); ++i) {
    const auto& item = f.ListView1.Item(i);
    const bool described = item.caption == "0FIRST.ZIP" || item.caption == "ZZZLAST.ZIP";
    EXPECT_EQ(item.imageIndex, described ? 1 : 2) << item.caption;
  }
  EXPECT_NE(f.Run.ReportText.find("Scanned " + std::to_string(copied + 4) + " archives and found 2 descriptions.\r"),
            std::string::npos)
      << f.Run.ReportText;
  for (const char* name : {"Files.BBS", "Descript.ION", "Files.csv", "Files.xls"}) {
    const std::string catalogue = ReadText(target / name);
    EXPECT_NE(catalogue.find("First Tool 1.0"), std::string::npos) << name;
    EXPECT_NE(catalogue.find("Last Tool 2.0"), std::string::npos) << name;
  }
  EXPECT_FALSE(f.Run.WriteFailed);
}

TEST_F(Writers, OverwriteQuestionNoKeepsTheOldFileAndReportsTheFailure) {
  Put("A.ZIP", "Tool 1.0\r\n");
  WriteText(target / "Files.BBS", "old catalogue");
  f.CheckBox8.SetChecked(true);
  ScriptedMessages messages;
  messages.Answer(IDNO);
  f.BitBtn2Click();
  ASSERT_EQ(messages.Shown().size(), 2u);
  EXPECT_EQ(messages.Shown()[0].text, "Please confirm to allow overwriting\r" + (target / "Files.BBS"));
  EXPECT_EQ(messages.Shown()[0].caption, "Confirm");
  EXPECT_EQ(messages.Shown()[0].flags & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(ReadText(target / "Files.BBS"), "old catalogue");
  const std::string report = messages.Shown()[1].text;
  EXPECT_NE(report.find("Could not create Files.BBS.\r"), std::string::npos);
  EXPECT_NE(report.find("Check target directory for available diskspace or other errors.\r"), std::string::npos);
}

TEST_F(Writers, OverwriteWithoutQuestionWhenTheOptionIsOff) {
  Put("A.ZIP", "Tool 1.0\r\n");
  WriteText(target / "Files.BBS", "old catalogue");
  f.CheckBox7.SetChecked(false);
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_TRUE(messages.Texts().empty());
  EXPECT_NE(ReadText(target / "Files.BBS").find("Tool 1.0"), std::string::npos);
  EXPECT_EQ(testing_support::ListFilesRecursively(target.path()), std::vector<std::string>{"Files.BBS"});
}

TEST_F(Writers, UnwritableTargetGivesTwoFailuresAndOneHint) {
  Put("A.ZIP", "Tool 1.0\r\n");
  f.Edit3.SetText(target / "missing");
  f.CheckBox9.SetChecked(true);
  f.CheckBox8.SetChecked(true);
  ScriptedMessages messages;
  f.BitBtn2Click();
  ASSERT_EQ(messages.Texts().size(), 1u);
  const std::string report = messages.Texts()[0];
  EXPECT_NE(report.find("Could not create Files.BBS.\rCould not create CSV file.\r"
                        "Check target directory for available diskspace or other errors.\r"),
            std::string::npos)
      << report;
}

TEST_F(Writers, GuessPicksTheVersionLineForEveryCatalogue) {
  Put("A.ZIP", "*** Great Stuff ***\r\nSuperTool v1.23\r\nby somebody\r\n");
  f.CheckBox9.SetChecked(true);
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_NE(ReadText(target / "Files.BBS").find("  SuperTool v1.23\r\n"), std::string::npos);
  EXPECT_NE(ReadText(target / "Files.csv").find(";SuperTool v1.23 \r\n"), std::string::npos);
}

TEST_F(Writers, AskModeShowsTheBestMatchWindowOnceAndReplaysTheChoice) {
  Put("A.ZIP", "Tool 1.0 beta\r\nTool 1.0 final\r\nplain words\r\n");
  f.CheckBox2.SetChecked(true);
  f.CheckBox9.SetChecked(true);
  f.CheckBox6.SetChecked(true);
  f.CheckBox8.SetChecked(true);
  int shown = 0;
  ScriptedModals modals([&](ui::Form& form) {
    EXPECT_EQ(&form, Form5);
    ++shown;
    EXPECT_EQ(Form5->Label2.Caption(), "A.ZIP");
    EXPECT_EQ(Form5->ListBox1.Count(), 2);
    EXPECT_EQ(Form5->Edit1.Text(), "Tool 1.0 beta") << "the first line is selected and in the edit box";
    Form5->ListBox1.SetItemIndex(1);
    Form5->ListBox1Click();
    Form5->ShortCut(VK_RETURN);  // Enter takes the selected line
    return static_cast<int>(ui::mrCancel);
  });
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_EQ(shown, 1) << "later writers replay the choice";
  EXPECT_NE(ReadText(target / "Files.BBS").find("Tool 1.0 final\r\n"), std::string::npos);
  EXPECT_NE(ReadText(target / "Descript.ION").find("A.ZIP Tool 1.0 final\r\n"), std::string::npos);
  EXPECT_NE(ReadText(target / "Files.csv").find(";Tool 1.0 final \r\n"), std::string::npos);
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_NE(messages.Texts()[0].find("\rUser helped 1 times.\r"), std::string::npos);
  EXPECT_TRUE(f.Run.Guess.Choices.empty()) << "a run ends with its choices forgotten";
}

TEST_F(Writers, AddedLineAndStopAsking) {
  Put("A.ZIP", "Alpha 1.0 beta\r\nBeta 2.0 final\r\n");
  Put("B.ZIP", "Gamma 3.0 beta\r\nDelta 4.0 final\r\n");
  f.CheckBox6.SetChecked(true);
  int shown = 0;
  ScriptedModals modals([&](ui::Form&) {
    ++shown;
    Form5->Edit1.SetText("My own line 9.9");
    Form5->Button4Click();  // Add: appended and selected
    EXPECT_EQ(Form5->ListBox1.ItemIndex(), 2);
    Form5->Button2Click();  // Stop asking, then Select
    return static_cast<int>(ui::mrCancel);
  });
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(f.CheckBox6.Checked()) << "Stop asking unticks the ask option";
  const std::string bbs = ReadText(target / "Files.BBS");
  EXPECT_NE(bbs.find("My own line 9.9\r\n"), std::string::npos) << bbs;
  EXPECT_NE(bbs.find("Gamma 3.0 beta\r\n"), std::string::npos) << "not asked again: the first match is taken";
}

// The real window, keys as a user presses them: it opens on "Select", and Enter or Escape clicks "Select"
// whichever control has the focus, a button included.
TEST(BestMatchWindow, EnterAndEscapeSelectWhateverHasTheFocus) {
  struct Press {
    ui::Window* focused;
    WORD key;
  };
  TForm5& w = *Form5;
  for (const Press& press : {Press{&w.Button4, VK_RETURN}, Press{&w.Button2, VK_RETURN}, Press{&w.Button3, VK_ESCAPE},
                             Press{&w.Edit1, VK_RETURN}}) {
    SCOPED_TRACE(press.focused->Text());
    RealModals real;
    HWND focusAtOpen = nullptr;
    bool leftOpen = false;
    testing_support::TimedSteps steps({[&] {
                                         focusAtOpen = GetFocus();
                                         w.ListBox1.SetItemIndex(1);
                                         w.ListBox1Click();
                                         press.focused->SetFocus();
                                         testing_support::PressKey(press.key);
                                       },
                                       [&] {
                                         leftOpen = true;
                                         w.Button1Click();
                                       }},
                                      500);
    const quennex::BestMatch answer = w.Ask("A.ZIP", {"Tool 1.0 beta", "Tool 1.0 final"});
    EXPECT_EQ(focusAtOpen, w.Button1.hwnd());
    EXPECT_FALSE(leftOpen) << "the key did not close the window";
    EXPECT_EQ(w.ListBox1.Count(), 2) << "nothing added";
    EXPECT_EQ(answer.line, "Tool 1.0 final");
    EXPECT_FALSE(answer.stop_asking);
  }
}

TEST_F(Writers, StopWhileWritingKeepsTheRowsSoFarAndStartsNoFurtherWriter) {
  for (int i = 0; i < 6; ++i) Put(std::string(1, static_cast<char>('A' + i)) + ".ZIP", "Tool 1.0\r\n");
  f.CheckBox1.SetChecked(false);
  f.CheckBox3.SetChecked(true);
  f.CheckBox9.SetChecked(true);
  WriteText(target / "Files.xls", "old sheet");
  WriteText(target / "Files.csv", "good old csv");
  // The Files.xls question comes before its loop: Stop is clicked while it is up, then Yes.
  std::vector<std::string> texts;
  ui::MessageResponder previous = ui::SetMessageResponder([&](const ui::MessageRequest& request) {
    texts.push_back(request.text);
    if (request.caption == "Confirm") f.BitBtn3.Click();
    return static_cast<int>(IDYES);
  });
  f.BitBtn2Click();
  ui::SetMessageResponder(previous);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], "Stopped by user.");
  const std::string xls = ReadText(target / "Files.xls");
  EXPECT_NE(xls.find("A.ZIP"), std::string::npos) << "the row of the archive in hand";
  EXPECT_EQ(xls.find("B.ZIP"), std::string::npos);
  EXPECT_EQ(xls.substr(xls.size() - 4), std::string("\x0A\x00\x00\x00", 4)) << "a valid sheet ends with EOF";
  EXPECT_EQ(ReadText(target / "Files.csv"), "good old csv") << "no writer starts after Stop";
  EXPECT_NE(f.Run.ReportText.find("Excel file generated.\r"), std::string::npos);
  EXPECT_EQ(f.Run.ReportText.find("CSV file"), std::string::npos);
}

}  // namespace

namespace {

TEST(DemoFolder, GoOverTheDemoArchivesWritesFilesBbs) {
  const std::string demo = testing_support::SourceDir() + "\\demo";
  ASSERT_TRUE(testing_support::FolderExists(demo)) << demo;
  ResetMainWindow();
  TempFolder target;
  Form1->Edit1.SetText(demo);
  Form1->Edit3.SetText(target.path());
  Form1->CheckBox8.SetChecked(false);
  ScriptedMessages messages;
  Form1->BitBtn2Click();
  std::vector<int> leds;
  for (int i = 0; i < Form1->ListView1.Count(); ++i) leds.push_back(Form1->ListView1.Item(i).imageIndex);
  EXPECT_EQ(leds, (std::vector<int>{1, 1, 1, 2, 1, 1})) << "NODIZ.ZIP is the only red one";
  const std::string bbs = ReadText(target / "Files.BBS");
  for (const char* line : {"BBS Toolkit v2.31", "DIZ-View 1.0b", "FastMail Tosser 3.10 - Fido tosser",
                           "QWK Reader Deluxe", "TETRIX - falling blocks for VGA"}) {
    EXPECT_NE(bbs.find(line), std::string::npos) << line << "\n" << bbs;
  }
}

}  // namespace

namespace {

class WriterFailures : public Writers {};

TEST_F(WriterFailures, StopDuringTheProbePassLeavesExistingCataloguesAlone) {
  for (int i = 0; i < 4; ++i) Put(std::string(1, static_cast<char>('A' + i)) + ".ZIP", "Tool 1.0\r\n");
  for (ui::CheckBox* box : {&f.CheckBox2, &f.CheckBox3, &f.CheckBox9}) box->SetChecked(true);
  for (const char* name : {"Files.BBS", "Descript.ION", "Files.xls", "Files.csv"}) WriteText(target / name, name);
  f.ListView1.onChange = [&](int index) {
    if (index == 1) f.BitBtn3.Click();
  };
  ScriptedMessages messages;
  f.BitBtn2Click();
  for (const char* name : {"Files.BBS", "Descript.ION", "Files.xls", "Files.csv"}) {
    EXPECT_EQ(ReadText(target / name), name) << "no writer starts after Stop";
  }
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Stopped by user."});
}

TEST_F(WriterFailures, AFolderInThePlaceOfTheFileFailsAndTheOtherFilesAreWritten) {
  Put("A.ZIP", "Tool 1.0\r\n");
  testing_support::MakeFolder(target / "Files.BBS");
  f.CheckBox7.SetChecked(false);
  f.CheckBox9.SetChecked(true);
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_TRUE(testing_support::FolderExists(target / "Files.BBS"));
  EXPECT_NE(f.Run.ReportText.find("Could not create Files.BBS.\rCSV file generated.\r"), std::string::npos)
      << f.Run.ReportText;
  EXPECT_TRUE(f.Run.WriteFailed);
  EXPECT_NE(ReadText(target / "Files.csv").find("Tool 1.0"), std::string::npos);
}

// The largest working set of this process while fn runs, sampled every few milliseconds.
size_t PeakWorkingSetDuring(const std::function<void()>& fn) {
  auto workingSet = [] {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<size_t>(counters.WorkingSetSize);
  };
  std::atomic<bool> done{false};
  std::atomic<size_t> peak{workingSet()};
  std::thread sampler([&] {
    while (!done) {
      const size_t now = workingSet();
      if (now > peak) peak = now;
      Sleep(5);
    }
  });
  fn();
  done = true;
  sampler.join();
  return std::max<size_t>(peak, workingSet());
}

// Eight archives with long names, each holding a file_id.diz of 1,000,000 bytes, "a" and LF: with
// "all lines" Files.BBS and Descript.ION each grow to about 800 MB, which the writers hand to the disk
// as they go.
TEST_F(WriterFailures, HugeDescriptionsStillGiveAllFourCataloguesWithinBoundedMemory) {
  std::string diz;
  for (int i = 0; i < 500000; ++i) diz += "a\n";
  const makers::Bytes zip = makers::MakeZip({{"FILE_ID.DIZ", diz}});
  // Three are enough: built in memory, their catalogues would take well over the bound.
  constexpr int kArchives = 3;
  for (char c = 'A'; c < 'A' + kArchives; ++c) WriteBytes(source / (std::string(178, c) + ".ZIP"), zip);
  for (ui::CheckBox* box : {&f.CheckBox2, &f.CheckBox3, &f.CheckBox9}) box->SetChecked(true);
  f.RadioGroup1.SetItemIndex(0);  // all lines
  f.CheckBox8.SetChecked(true);
  ScriptedMessages messages;
  const size_t before = PeakWorkingSetDuring([] {});
  const size_t peak = PeakWorkingSetDuring([&] { f.BitBtn2Click(); });
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_NE(messages.Texts()[0].find("Files.BBS generated.\rDescript.ION generated.\rExcel file generated.\r"
                                     "CSV file generated.\r"),
            std::string::npos)
      << messages.Texts()[0];
  EXPECT_FALSE(f.Run.WriteFailed);
  EXPECT_LT(peak - before, size_t{128} << 20)
      << "working set " << (before >> 20) << " MB before, peak " << (peak >> 20) << " MB";

  const size_t sizeWidth = SizeOf(source / (std::string(178, 'A') + ".ZIP")).size();
  const auto fileSize = [&](const char* name) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    EXPECT_TRUE(GetFileAttributesExA((target / name).c_str(), GetFileExInfoStandard, &data)) << name;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  };
  const uint64_t bbsEntry = (182 + 2 + sizeWidth + 2 + 8 + 2 + 1 + 2) + 499999 * uint64_t{182 + sizeWidth + 16 + 1 + 2};
  EXPECT_EQ(fileSize("Files.BBS"), kArchives * bbsEntry);
  const uint64_t ionEntry = (182 + 1 + 1 + 2) + 499999 * uint64_t{182 + 1 + 2};
  EXPECT_EQ(fileSize("Descript.ION"), kArchives * ionEntry);
  EXPECT_EQ(ReadText(target / "Files.csv").size(), kArchives * (182 + 1 + sizeWidth + 1 + 8 + 1 + 2 + 2));
  EXPECT_NE(ReadText(target / "Files.xls").find(std::string(178, static_cast<char>('A' + kArchives - 1)) + ".ZIP"),
            std::string::npos);
}

TEST_F(WriterFailures, ATargetThatIsAFileFailsAndLeavesItAlone) {
  Put("A.ZIP", "Tool 1.0\r\n");
  WriteText(target / "not-a-folder", "a file");
  f.Edit3.SetText(target / "not-a-folder");
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_EQ(ReadText(target / "not-a-folder"), "a file");
  EXPECT_NE(f.Run.ReportText.find("Could not create Files.BBS.\r"), std::string::npos);
}

TEST_F(WriterFailures, AFailedSaveKeepsTheOldFile) {
  Put("A.ZIP", "Tool 1.0\r\n");
  WriteText(target / "Files.BBS", "old catalogue");
  f.CheckBox7.SetChecked(false);
  // The old file is held open without sharing: the new one cannot take its place.
  HANDLE held = CreateFileA((target / "Files.BBS").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ScriptedMessages messages;
  f.BitBtn2Click();
  CloseHandle(held);
  EXPECT_EQ(ReadText(target / "Files.BBS"), "old catalogue");
  EXPECT_EQ(testing_support::ListFilesRecursively(target.path()), std::vector<std::string>{"Files.BBS"})
      << "no temporary file left behind";
  EXPECT_NE(f.Run.ReportText.find("Could not create Files.BBS.\r"), std::string::npos);
}

}  // namespace

namespace {

TEST(BestMatchWindow, AnEmptyListGivesAnEmptyLine) {
  ScriptedModals modal([](ui::Form&) {
    EXPECT_EQ(Form5->Label2.Caption(), "");
    EXPECT_EQ(Form5->Edit1.Text(), "");
    return static_cast<int>(ui::mrCancel);
  });
  const quennex::BestMatch answer = Form5->Ask("", {});
  EXPECT_EQ(answer.line, "");
  EXPECT_FALSE(answer.stop_asking);
}

TEST(BestMatchWindow, TypingALetterNeitherMovesTheSelectionNorRewritesTheEditBox) {
  ScriptedModals modal([](ui::Form&) {
    Form5->Edit1.SetText("my own text");
    for (char typed : {'t', 'T'}) SendMessageA(Form5->ListBox1.hwnd(), WM_CHAR, typed, 0);
    EXPECT_EQ(Form5->ListBox1.ItemIndex(), 0);
    EXPECT_EQ(Form5->Edit1.Text(), "my own text");
    return static_cast<int>(ui::mrCancel);
  });
  Form5->Ask("A.ZIP", {"Alpha 1.0", "Tool 2.0", "tool 3.0"});
}

TEST(BestMatchWindow, TheCloseBoxTakesTheSelectedLineLikeSelect) {
  ScriptedModals modal([](ui::Form& form) {
    Form5->ListBox1.SetItemIndex(1);
    form.Close();  // as the close box
    return static_cast<int>(ui::mrCancel);
  });
  const quennex::BestMatch answer = Form5->Ask("A.ZIP", {"one 1.0 a", "two 2.0 b"});
  EXPECT_EQ(answer.line, "two 2.0 b");
  EXPECT_FALSE(answer.stop_asking);
}

}  // namespace
