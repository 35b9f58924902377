// The writer frame driven the way the main window drives it, with the window side faked.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

#include "catalogue.h"

namespace quennex {
namespace {

using Lines = std::vector<std::string>;

std::string At(std::initializer_list<std::pair<std::size_t, std::string>> parts) {
  std::string line;
  for (const auto& [column, text] : parts) {
    line.resize(column, ' ');
    line += text;
  }
  return line;
}

std::string CrLf(const Lines& lines) {
  std::string bytes;
  for (const auto& line : lines) bytes += line + "\r\n";
  return bytes;
}

// The main window as the writers see it: archives with their file_id.diz, a status bar, the target folder.
struct FakeWindow {
  // A text catalogue kept in memory; it lands in files when committed.
  class MemoryFile : public TextOutput {
   public:
    MemoryFile(FakeWindow& window, std::string path) : window_(window), path_(std::move(path)) {}
    bool Write(std::string_view bytes) override {
      if (window_.save_throws) throw std::runtime_error("disk full");
      window_.largest_piece = std::max(window_.largest_piece, bytes.size());
      bytes_ += bytes;
      return true;
    }
    bool Commit() override {
      if (window_.save_works) window_.files[path_] = std::move(bytes_);
      return window_.save_works;
    }

   private:
    FakeWindow& window_;
    std::string path_;
    std::string bytes_;
  };

  std::map<std::string, std::string> diz;  // archive path -> description bytes
  ReadOptions read{kGuessLine, true, false, false};
  int reads = 0;
  int stop_after_reads = -1;  // Stop is pressed once this many descriptions were read
  std::string throw_at;       // reading this archive throws, as when memory runs out
  bool allow_overwrite = true;
  bool save_works = true;
  bool save_throws = false;
  int questions = 0;
  std::map<std::string, std::string> files;
  std::size_t largest_piece = 0;  // of the bytes handed to a text catalogue at once
  std::vector<SheetCell> sheet;
  bool sheet_saved = false;
  Lines statuses;
  AskUser ask;

  WriterHooks Hooks() {
    WriterHooks hooks;
    hooks.read_description = [this](int, const std::string& path, DescriptionBuffer& buffer) {
      ++reads;
      if (path == throw_at) throw std::bad_alloc();
      buffer.clear();
      const auto it = diz.find(path);
      if (it == diz.end()) return false;
      buffer = SplitDescription(it->second, read);
      return !buffer.empty();
    };
    hooks.stop_requested = [this] { return stop_after_reads >= 0 && reads >= stop_after_reads; };
    hooks.progress = [this](int, const std::string& text) { statuses.push_back(text); };
    hooks.status = [this](const std::string& text) { statuses.push_back(text); };
    hooks.confirm_overwrite = [this](const std::string&) {
      ++questions;
      return allow_overwrite;
    };
    hooks.open_text = [this](const std::string& path) { return std::make_unique<MemoryFile>(*this, path); };
    hooks.save_sheet = [this](const std::string&, const std::vector<SheetCell>& cells) {
      sheet = cells;
      sheet_saved = true;
      return save_works;
    };
    hooks.ask_user = [this](std::int32_t item, Lines& candidates) {
      if (!ask) {
        ADD_FAILURE() << "asked about item " << item;
        return BestMatch{candidates.front(), false};
      }
      return ask(item, candidates);
    };
    return hooks;
  }
};

struct WriterRig {
  FakeWindow window;
  DescriptionBuffer buffer;
  GuessState state;
  WriterJob job;

  WriterRig() {
    job.source_folder = "S:\\In";
    job.target_folder = "T:\\Out";
  }
  void Add(const std::string& name, const std::string& size, const std::string& date, const char* diz) {
    job.items.push_back({name, size, date, diz != nullptr});
    if (diz) window.diz["S:\\In\\" + name] = diz;
  }
  void SetLinesToTake(int lines) {
    job.lines_to_take = lines;
    window.read.lines_to_take = lines;
  }
  WriterResult Write(Catalogue catalogue) {
    job.catalogue = catalogue;
    return RunCatalogueWriter(job, buffer, state, window.Hooks());
  }
  std::string File(Catalogue catalogue) { return window.files.at(OutputPath("T:\\Out", catalogue)); }
};

TEST(TextWriters, WorkedExampleByteForByte) {
  WriterRig run;
  run.Add("A.ZIP", "45", "01-15-03", "Tool 1.0\r\nDoes things\r\n");
  run.Add("LONGNAME.ZIP", "987", "12-01-02", "Editor 2.5\r\n");
  run.SetLinesToTake(kAllLines);
  run.job.custom = "CD1";

  WriterResult bbs = run.Write(Catalogue::kFilesBbs);
  EXPECT_EQ(bbs.outcome, WriterOutcome::kGenerated);
  EXPECT_EQ(bbs.report_line, "Files.BBS generated.\r");
  EXPECT_EQ(
      run.File(Catalogue::kFilesBbs),
      CrLf({At({{0, "A.ZIP"}, {15, "45"}, {19, "01-15-03"}, {29, "Tool 1.0"}, {42, "CD1"}}), At({{31, "Does things"}}),
            At({{0, "LONGNAME.ZIP"}, {14, "987"}, {19, "12-01-02"}, {29, "Editor 2.5"}, {42, "CD1"}})}));
  EXPECT_EQ(run.window.reads, 4);  // both archives, in both passes
  EXPECT_EQ(run.state.GuessPassDone, 12);
  EXPECT_EQ(run.window.statuses.back(), "Generating Files.BBS part 2/2 pass 2/2");

  WriterResult ion = run.Write(Catalogue::kDescriptIon);
  EXPECT_EQ(ion.report_line, "Descript.ION generated.\r");
  EXPECT_EQ(run.File(Catalogue::kDescriptIon),
            CrLf({At({{0, "A.ZIP"}, {13, "Tool 1.0"}, {26, "CD1"}}), At({{12, "Does things"}}),
                  At({{0, "LONGNAME.ZIP"}, {13, "Editor 2.5"}, {26, "CD1"}})}));
}

TEST(TextWriters, NoGreenItemGivesAnEmptyFileAndCountsEveryItem) {
  for (Catalogue catalogue : {Catalogue::kFilesBbs, Catalogue::kDescriptIon, Catalogue::kFilesCsv}) {
    WriterRig run;
    run.Add("RED1.ZIP", "1", "01-01-01", nullptr);
    run.Add("RED2.ZIP", "1", "01-01-01", nullptr);
    EXPECT_EQ(run.Write(catalogue).outcome, WriterOutcome::kGenerated);
    EXPECT_EQ(run.File(catalogue), "");
    EXPECT_EQ(run.window.reads, 0);
    EXPECT_EQ(run.state.GuessPassDone, 0);
    EXPECT_EQ(run.window.statuses.back(), ProgressText(catalogue, 2, 2, 2));
  }
}

TEST(TextWriters, SheetAndCsvTakeLineZeroWhateverLinesToTakeSays) {
  WriterRig run;
  run.Add("A.ZIP", "1", "01-01-01", "one\r\ntwo\r\n");
  run.SetLinesToTake(kAllLines);
  run.Write(Catalogue::kFilesCsv);
  EXPECT_EQ(run.File(Catalogue::kFilesCsv), "A.ZIP;1;01-01-01;one \r\n");
  run.Write(Catalogue::kFilesXls);
  ASSERT_EQ(run.window.sheet.size(), 9u);
  EXPECT_EQ(run.window.sheet[8].text, "one");
}

TEST(TextWriters, GuessedLineLongerThanMeasuredGetsTwoBlanks) {
  WriterRig run;
  run.Add("A.ZIP", "1", "01-01-01", "intro\r\nSuperTool 2.10 deluxe\r\n");
  run.Add("B.ZIP", "1", "01-01-01", "Beta Tool 1.00\r\n");
  run.job.custom = "CD";
  run.Write(Catalogue::kDescriptIon);
  // Measured first lines: "intro" (5) and "Beta Tool 1.00" (14).
  EXPECT_EQ(run.File(Catalogue::kDescriptIon),
            CrLf({"A.ZIP SuperTool 2.10 deluxe  CD", At({{0, "B.ZIP"}, {6, "Beta Tool 1.00"}, {6 + 14 + 3, "CD"}})}));
}

// Two archives with several version lines; the user is asked about the first only.
WriterRig AskingRun() {
  WriterRig run;
  run.Add("A.ZIP", "10", "01-01-01", "Alpha 1.00\r\nAlpha 2.00 beta\r\n");
  run.Add("B.ZIP", "20", "02-02-02", "Beta 1.00\r\nbeta 1.00\r\n");
  run.Add("C.ZIP", "30", "03-03-03", "Gamma ray\r\n");
  run.job.guess.ask = true;
  return run;
}

TEST(TextWriters, LaterWritersReplayTheChoiceAndTheGuess) {
  WriterRig run = AskingRun();
  int asked = 0;
  run.window.ask = [&](std::int32_t item, Lines& candidates) {
    ++asked;
    EXPECT_EQ(item, 0);
    return BestMatch{candidates.at(1), false};
  };
  run.Write(Catalogue::kFilesBbs);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(run.state.UserHelpCount, 1);
  EXPECT_EQ(run.File(Catalogue::kFilesBbs), CrLf({"A.ZIP  10  01-01-01  Alpha 2.00 beta",
                                                  "B.ZIP  20  02-02-02  Beta 1.00", "C.ZIP  30  03-03-03  Gamma ray"}));

  run.window.ask = nullptr;  // any further question fails the test
  run.Write(Catalogue::kDescriptIon);
  EXPECT_EQ(run.File(Catalogue::kDescriptIon), CrLf({"A.ZIP Alpha 2.00 beta", "B.ZIP Beta 1.00", "C.ZIP Gamma ray"}));
  run.Write(Catalogue::kFilesCsv);
  EXPECT_EQ(run.File(Catalogue::kFilesCsv), CrLf({"A.ZIP;10;01-01-01;Alpha 2.00 beta ", "B.ZIP;20;02-02-02;Beta 1.00 ",
                                                  "C.ZIP;30;03-03-03;Gamma ray "}));
  run.Write(Catalogue::kFilesXls);
  ASSERT_EQ(run.window.sheet.size(), 5u + 3 * 4);
  EXPECT_EQ(run.window.sheet[5 + 3].text, "Alpha 2.00 beta");
  EXPECT_EQ(run.window.sheet[5 + 7].text, "Beta 1.00");
  EXPECT_EQ(run.window.sheet[5 + 11].text, "Gamma ray");
  EXPECT_EQ(run.state.UserHelpCount, 1);
  EXPECT_EQ(run.state.Choices.size(), 1u);
}

TEST(TextWriters, WithoutATwoPassWriterEachWriterAsksOnItsOwn) {
  WriterRig run = AskingRun();
  int asked = 0;
  run.window.ask = [&](std::int32_t, Lines& candidates) {
    ++asked;
    return BestMatch{candidates.front(), false};
  };
  run.Write(Catalogue::kFilesXls);
  run.Write(Catalogue::kFilesCsv);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(run.state.UserHelpCount, 2);
  EXPECT_EQ(run.state.Choices.size(), 2u);
  EXPECT_EQ(run.state.GuessPassDone, 0);
}

TEST(TextWriters, SheetAndCsvRunNoGuessBeforeTheirLoop) {
  for (Catalogue catalogue : {Catalogue::kFilesXls, Catalogue::kFilesCsv}) {
    WriterRig run = AskingRun();
    run.job.items = {{"RED.ZIP", "1", "01-01-01", false}};
    run.buffer = {"Viewer 1.00", "Viewer 2.00"};  // left over from the viewer
    run.state.CurrentItemIndex = 7;
    run.Write(catalogue);  // the fake window fails the test if asked
    EXPECT_EQ(run.state.UserHelpCount, 0);
    EXPECT_EQ(run.buffer, (Lines{"Viewer 1.00", "Viewer 2.00"}));
  }
}

TEST(TextWriters, StopBeforeAWriterStartsDoesNothing) {
  WriterRig run = AskingRun();
  run.window.stop_after_reads = 0;
  for (Catalogue catalogue :
       {Catalogue::kFilesBbs, Catalogue::kDescriptIon, Catalogue::kFilesXls, Catalogue::kFilesCsv}) {
    WriterResult result = run.Write(catalogue);
    EXPECT_EQ(result.outcome, WriterOutcome::kNotStarted);
    EXPECT_EQ(result.report_line, "");
    EXPECT_FALSE(result.write_failed());
  }
  EXPECT_EQ(run.window.reads, 0);
  EXPECT_EQ(run.window.questions, 0);
  EXPECT_TRUE(run.window.files.empty());
  EXPECT_FALSE(run.window.sheet_saved);
}

TEST(TextWriters, StopInTheMeasuringPassSavesNothing) {
  WriterRig run = AskingRun();
  run.window.ask = [](std::int32_t, Lines& c) { return BestMatch{c.front(), false}; };
  run.window.stop_after_reads = 2;
  WriterResult result = run.Write(Catalogue::kFilesBbs);
  EXPECT_EQ(result.outcome, WriterOutcome::kStoppedUnsaved);
  EXPECT_EQ(result.report_line, "");
  EXPECT_FALSE(result.write_failed());
  EXPECT_EQ(run.window.reads, 2);
  EXPECT_EQ(run.window.questions, 0);
  EXPECT_TRUE(run.window.files.empty());
  EXPECT_EQ(run.window.statuses, (Lines{"Generating Files.BBS part 1/3 pass 1/2", "User Abort"}));
}

// The first archive has a green LED but no longer extracts; Stop is seen right after it.
TEST(TextWriters, StopBeforeTheFirstEntryOfAnyWriterSavesNothing) {
  for (Catalogue catalogue :
       {Catalogue::kFilesBbs, Catalogue::kDescriptIon, Catalogue::kFilesXls, Catalogue::kFilesCsv}) {
    WriterRig run;
    run.job.items.push_back({"GONE.ZIP", "1", "01-01-01", true});
    run.Add("A.ZIP", "1", "01-01-01", "Alpha\r\n");
    const bool two_pass = catalogue == Catalogue::kFilesBbs || catalogue == Catalogue::kDescriptIon;
    run.window.stop_after_reads = two_pass ? 3 : 1;  // in the writing pass
    const WriterResult result = run.Write(catalogue);
    EXPECT_EQ(result.outcome, WriterOutcome::kStoppedUnsaved) << OutputFileName(catalogue);
    EXPECT_EQ(result.report_line, "");
    EXPECT_TRUE(run.window.files.empty());
    EXPECT_FALSE(run.window.sheet_saved);
  }
}

TEST(TextWriters, StopInTheWritingPassSavesTheEntriesSoFar) {
  WriterRig run = AskingRun();
  run.window.ask = [](std::int32_t, Lines& c) { return BestMatch{c.front(), false}; };
  run.window.stop_after_reads = 3 + 1;
  WriterResult result = run.Write(Catalogue::kFilesBbs);
  EXPECT_EQ(result.outcome, WriterOutcome::kGenerated);
  EXPECT_EQ(result.report_line, "Files.BBS generated.\r");
  EXPECT_EQ(run.File(Catalogue::kFilesBbs), "A.ZIP  10  01-01-01  Alpha 1.00\r\n");
  EXPECT_EQ(run.window.statuses.back(), "User Abort");

  WriterRig csv = AskingRun();
  csv.job.guess.ask = false;
  csv.window.stop_after_reads = 2;
  EXPECT_EQ(csv.Write(Catalogue::kFilesCsv).outcome, WriterOutcome::kGenerated);
  EXPECT_EQ(csv.File(Catalogue::kFilesCsv), CrLf({"A.ZIP;10;01-01-01;Alpha 1.00 ", "B.ZIP;20;02-02-02;Beta 1.00 "}));

  WriterRig xls = AskingRun();
  xls.job.guess.ask = false;
  xls.window.stop_after_reads = 1;
  EXPECT_EQ(xls.Write(Catalogue::kFilesXls).outcome, WriterOutcome::kGenerated);
  EXPECT_EQ(xls.window.sheet.size(), 5u + 4);
}

TEST(TextWriters, OverwriteRefusedOrSaveFailedIsReported) {
  WriterRig run;
  run.Add("A.ZIP", "1", "01-01-01", "Alpha\r\n");
  run.window.allow_overwrite = false;
  WriterResult bbs = run.Write(Catalogue::kFilesBbs);
  EXPECT_EQ(bbs.outcome, WriterOutcome::kFailed);
  EXPECT_EQ(bbs.report_line, "Could not create Files.BBS.\r");
  EXPECT_TRUE(bbs.write_failed());
  EXPECT_EQ(run.window.reads, 2);  // Files.BBS asks just before saving
  EXPECT_TRUE(run.window.files.empty());
  EXPECT_EQ(run.state.GuessPassDone, 5);

  run.window.reads = 0;
  WriterResult xls = run.Write(Catalogue::kFilesXls);
  EXPECT_EQ(xls.report_line, "Could not create Excel file.\r");
  EXPECT_EQ(run.window.reads, 0);  // Files.xls asks before reading anything
  EXPECT_FALSE(run.window.sheet_saved);

  run.window.allow_overwrite = true;
  run.window.save_works = false;
  EXPECT_EQ(run.Write(Catalogue::kFilesCsv).report_line, "Could not create CSV file.\r");
  EXPECT_EQ(run.Write(Catalogue::kFilesXls).report_line, "Could not create Excel file.\r");
  run.window.save_throws = true;
  WriterResult ion = run.Write(Catalogue::kDescriptIon);
  EXPECT_EQ(ion.report_line, "Could not create Descript.ION.\r");
  EXPECT_TRUE(ion.write_failed());
}

TEST(TextWriters, SheetRowsFollowTheGreenItems) {
  WriterRig run;
  run.Add("A.ZIP", "1234", "01-15-03", "Alpha\r\n");
  run.Add("RED.ZIP", "1", "01-01-01", nullptr);
  run.Add("B.ZIP", "5", "02-02-02", "Beta\r\n");
  run.job.custom = "CD1";
  WriterResult result = run.Write(Catalogue::kFilesXls);
  EXPECT_EQ(result.report_line, "Excel file generated.\r");
  const auto& cells = run.window.sheet;
  ASSERT_EQ(cells.size(), 5u + 2 * 5);
  EXPECT_EQ(cells[5].row, 2);
  EXPECT_EQ(cells[5].text, "A.ZIP");
  EXPECT_EQ(cells[6].number, 1234.0);
  EXPECT_EQ(cells[9].text, "CD1");
  EXPECT_EQ(cells[10].row, 3);
  EXPECT_EQ(cells[10].text, "B.ZIP");
  EXPECT_EQ(run.window.statuses.back(), "Generating Excelfile 3/3");
}

TEST(TextWriters, SheetSaysHowManyArchivesFoundNoRow) {
  WriterRig run;
  const int green = kLastSheetRow - 1 + 2;  // the header takes row 1
  for (int i = 0; i < green; ++i) run.Add("A" + std::to_string(i) + ".ZIP", "1", "01-01-01", "Alpha\r\n");
  const WriterResult result = run.Write(Catalogue::kFilesXls);
  EXPECT_EQ(result.report_line,
            "Excel file generated.\r2 archives did not fit into the Excel file and were left out.\r");
  ASSERT_EQ(run.window.sheet.size(), 5u + 4u * (kLastSheetRow - 1));
  EXPECT_EQ(run.window.sheet.back().row, kLastSheetRow);
  EXPECT_EQ(run.window.reads, kLastSheetRow - 1);

  run.job.items.pop_back();
  EXPECT_EQ(run.Write(Catalogue::kFilesXls).report_line,
            "Excel file generated.\r1 archive did not fit into the Excel file and was left out.\r");
}

// A description of half a million lines under "all lines": the catalogue goes out in pieces, never whole.
TEST(TextWriters, LongCataloguesGoOutInPieces) {
  WriterRig run;
  std::string diz;
  for (int i = 0; i < 500000; ++i) diz += "a\n";
  const std::string name = std::string(178, 'N') + ".ZIP";
  run.Add(name, "1000000", "01-01-01", diz.c_str());
  run.SetLinesToTake(kAllLines);
  EXPECT_EQ(run.Write(Catalogue::kFilesBbs).outcome, WriterOutcome::kGenerated);
  const std::size_t first = 182 + 2 + 7 + 2 + 8 + 2 + 1 + 2, continuation = 182 + 7 + 16 + 1 + 2;
  EXPECT_EQ(run.File(Catalogue::kFilesBbs).size(), first + 499999 * continuation);
  EXPECT_LE(run.window.largest_piece, CatalogueText::kPieceBytes + continuation);
}

// Whatever goes wrong inside a writer, memory running out included, only that writer fails.
TEST(TextWriters, AnythingThrownFailsTheWriterAndIsReported) {
  for (Catalogue catalogue :
       {Catalogue::kFilesBbs, Catalogue::kDescriptIon, Catalogue::kFilesXls, Catalogue::kFilesCsv}) {
    WriterRig run;
    run.Add("A.ZIP", "1", "01-01-01", "Alpha 1.00\r\n");
    run.Add("B.ZIP", "1", "01-01-01", "Beta 1.00\r\n");
    run.window.throw_at = "S:\\In\\B.ZIP";
    const WriterResult result = run.Write(catalogue);
    EXPECT_EQ(result.report_line, ReportLine(catalogue, false)) << OutputFileName(catalogue);
    EXPECT_TRUE(result.write_failed());
    EXPECT_TRUE(run.window.files.empty());
    EXPECT_FALSE(run.window.sheet_saved);
    const bool two_pass = catalogue == Catalogue::kFilesBbs || catalogue == Catalogue::kDescriptIon;
    EXPECT_EQ(run.state.GuessPassDone, two_pass ? 5 : 0) << "later writers still replay";
  }
}

}  // namespace
}  // namespace quennex
