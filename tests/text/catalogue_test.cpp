#include "catalogue.h"

#include <gtest/gtest.h>

#include <utility>

namespace quennex {
namespace {

// A line with each text starting at its column (from 0), blanks between.
std::string At(std::initializer_list<std::pair<std::size_t, std::string>> parts) {
  std::string line;
  for (const auto& [column, text] : parts) {
    line.resize(column, ' ');
    line += text;
  }
  return line;
}

const ListItem kA{"A.ZIP", "45", "01-15-03", true};
const ListItem kLong{"LONGNAME.ZIP", "987", "12-01-02", true};

TEST(CatalogueNames, PathsReportsAndProgress) {
  EXPECT_EQ(OutputPath("D:\\Out", Catalogue::kFilesBbs), "D:\\Out\\Files.BBS");
  EXPECT_EQ(OutputPath("C:\\", Catalogue::kDescriptIon), "C:\\\\Descript.ION");
  EXPECT_EQ(OutputPath("D:\\Out", Catalogue::kFilesXls), "D:\\Out\\Files.xls");
  EXPECT_EQ(OutputPath("D:\\Out", Catalogue::kFilesCsv), "D:\\Out\\Files.csv");
  EXPECT_EQ(ReportLine(Catalogue::kFilesBbs, true), "Files.BBS generated.\r");
  EXPECT_EQ(ReportLine(Catalogue::kDescriptIon, false), "Could not create Descript.ION.\r");
  EXPECT_EQ(ReportLine(Catalogue::kFilesXls, true), "Excel file generated.\r");
  EXPECT_EQ(ReportLine(Catalogue::kFilesXls, false), "Could not create Excel file.\r");
  EXPECT_EQ(ReportLine(Catalogue::kFilesCsv, true), "CSV file generated.\r");
  EXPECT_EQ(ReportLine(Catalogue::kFilesCsv, false), "Could not create CSV file.\r");
  EXPECT_EQ(ProgressText(Catalogue::kFilesBbs, 3, 10, 2), "Generating Files.BBS part 3/10 pass 2/2");
  EXPECT_EQ(ProgressText(Catalogue::kDescriptIon, 1, 1, 1), "Generating Descript.ION part 1/1 pass 1/2");
  EXPECT_EQ(ProgressText(Catalogue::kFilesXls, 2, 7, 1), "Generating Excelfile 2/7");
  EXPECT_EQ(ProgressText(Catalogue::kFilesCsv, 7, 7, 1), "Generating CSV file 7/7");
  EXPECT_EQ(OverwriteQuestion("D:\\Out\\Files.BBS"), "Please confirm to allow overwriting\rD:\\Out\\Files.BBS");
}

TEST(FilesBbsLayout, ColumnsOfTheWorkedExample) {
  std::vector<ListItem> items{kA, kLong, {"RED-AND-VERY-LONG.ZIP", "123456", "01-01-01", false}};
  ColumnWidths widths = MeasureListColumns(items, Catalogue::kFilesBbs);
  EXPECT_EQ(widths.name, 12u);
  EXPECT_EQ(widths.size, 3u);
  widths.first_line = 10;
  EXPECT_EQ(ContinuationIndent(Catalogue::kFilesBbs, widths), 31u);
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, kA, "Tool 1.0", "CD1"),
            At({{0, "A.ZIP"}, {15, "45"}, {19, "01-15-03"}, {29, "Tool 1.0"}, {42, "CD1"}}));
  EXPECT_EQ(EntryContinuationLine(Catalogue::kFilesBbs, widths, "Does things"), std::string(31, ' ') + "Does things");
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, kLong, "Editor 2.5", "CD1"),
            At({{0, "LONGNAME.ZIP"}, {14, "987"}, {19, "12-01-02"}, {29, "Editor 2.5"}, {42, "CD1"}}));
}

TEST(FilesBbsLayout, CustomStringColumn) {
  ColumnWidths widths{5, 2, 4};
  const ListItem item{"A.ZIP", "45", "01-15-03", true};
  // No custom string: nothing after the description, not even a blank.
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, item, "ab", ""), "A.ZIP  45  01-15-03  ab");
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, item, "", ""), "A.ZIP  45  01-15-03  ");
  // A guessed line longer than the widest measured one gets only the two-blank gap.
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, item, "abcdefgh", "X"), "A.ZIP  45  01-15-03  abcdefgh  X");
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, item, "abcde", "X"), "A.ZIP  45  01-15-03  abcde  X");
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, item, "abcd", "X"), "A.ZIP  45  01-15-03  abcd   X");
  // An empty description still gets the fill of first-line width + 1.
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, item, "", "X"),
            "A.ZIP  45  01-15-03  " + std::string(7, ' ') + "X");
}

TEST(DescriptIonLayout, ColumnsOfTheWorkedExample) {
  ColumnWidths widths = MeasureListColumns({kA, kLong}, Catalogue::kDescriptIon);
  EXPECT_EQ(widths.name, 12u);
  EXPECT_EQ(widths.size, 0u);
  widths.first_line = 10;
  EXPECT_EQ(ContinuationIndent(Catalogue::kDescriptIon, widths), 12u);
  EXPECT_EQ(EntryFirstLine(Catalogue::kDescriptIon, widths, kA, "Tool 1.0", "CD1"),
            At({{0, "A.ZIP"}, {13, "Tool 1.0"}, {26, "CD1"}}));
  EXPECT_EQ(EntryContinuationLine(Catalogue::kDescriptIon, widths, "Does things"), At({{12, "Does things"}}));
  EXPECT_EQ(EntryFirstLine(Catalogue::kDescriptIon, widths, kLong, "Editor 2.5", "CD1"),
            At({{0, "LONGNAME.ZIP"}, {13, "Editor 2.5"}, {26, "CD1"}}));
  EXPECT_EQ(EntryFirstLine(Catalogue::kDescriptIon, widths, kA, "", ""), "A.ZIP" + std::string(8, ' '));
}

TEST(DescriptIonLayout, NamesWithBlanksAreQuotedAndTheQuotesCount) {
  EXPECT_EQ(DescriptIonName("MY TOOL.ZIP"), "\"MY TOOL.ZIP\"");
  EXPECT_EQ(DescriptIonName("TOOL.ZIP"), "TOOL.ZIP");
  const ListItem spaced{"MY TOOL.ZIP", "1", "01-01-01", true};
  const ListItem plain{"TOOLS.ZIP", "1", "01-01-01", true};
  ColumnWidths widths = MeasureListColumns({spaced, plain}, Catalogue::kDescriptIon);
  EXPECT_EQ(widths.name, 13u);
  EXPECT_EQ(EntryFirstLine(Catalogue::kDescriptIon, widths, spaced, "x", ""), "\"MY TOOL.ZIP\" x");
  EXPECT_EQ(EntryFirstLine(Catalogue::kDescriptIon, widths, plain, "x", ""), At({{0, "TOOLS.ZIP"}, {14, "x"}}));
  // Files.BBS keeps the name as it is.
  EXPECT_EQ(MeasureListColumns({spaced, plain}, Catalogue::kFilesBbs).name, 11u);
}

TEST(DescriptIonLayout, EqualNamesGetNoFill) {
  const ListItem a{"A1.ZIP", "1", "01-01-01", true};
  const ListItem b{"B2.ZIP", "1", "01-01-01", true};
  const ColumnWidths widths = MeasureListColumns({a, b}, Catalogue::kDescriptIon);
  EXPECT_EQ(EntryFirstLine(Catalogue::kDescriptIon, widths, b, "desc", ""), "B2.ZIP desc");
}

TEST(FilesCsvLayout, FieldsAndSemicolons) {
  EXPECT_EQ(CsvLine(kA, "Tool 1.0", "CD1"), "A.ZIP;45;01-15-03;Tool 1.0 CD1");
  EXPECT_EQ(CsvLine(kA, "Tool 1.0", ""), "A.ZIP;45;01-15-03;Tool 1.0 ");
  EXPECT_EQ(CsvLine(kA, "a;b;;c;", "x;y"), "A.ZIP;45;01-15-03;abc x;y");
  EXPECT_EQ(CsvLine({"A;B.ZIP", "1", "01-01-01", true}, "", "CD"), "A;B.ZIP;1;01-01-01; CD");
  EXPECT_EQ(RemoveSemicolons(";;;"), "");
  EXPECT_EQ(RemoveSemicolons(""), "");
}

TEST(CatalogueText, EveryLineEndsInCrLf) {
  CatalogueText text;
  EXPECT_EQ(text.bytes(), "");
  text.AddLine("a");
  text.AddLine("");
  EXPECT_EQ(text.bytes(), "a\r\n\r\n");
}

TEST(FilesXlsRows, HeaderAndArchiveRows) {
  const auto header = SheetHeaderCells();
  ASSERT_EQ(header.size(), 5u);
  const char* heads[] = {"Filename", "Size", "Date", "Description", "Comment"};
  for (std::size_t c = 0; c < 5; ++c) {
    EXPECT_EQ(header[c].row, 1);
    EXPECT_EQ(header[c].column, c + 1);
    EXPECT_EQ(header[c].kind, CellKind::kLabel);
    EXPECT_EQ(header[c].text, heads[c]);
  }

  const ListItem item{"TOOL.ZIP", "1234", "01-15-03", true};
  auto row = SheetRowCells(2, item, "Tool 1.0", "");
  ASSERT_EQ(row.size(), 4u);
  EXPECT_EQ(row[0].kind, CellKind::kString);
  EXPECT_EQ(row[0].text, "TOOL.ZIP");
  EXPECT_EQ(row[1].kind, CellKind::kNumber);
  EXPECT_EQ(row[1].number, 1234.0);
  EXPECT_EQ(row[2].text, "01-15-03");
  EXPECT_EQ(row[3].text, "Tool 1.0");
  for (std::size_t c = 0; c < row.size(); ++c) {
    EXPECT_EQ(row[c].row, 2);
    EXPECT_EQ(row[c].column, c + 1);
  }

  row = SheetRowCells(3, item, "", "CD1");
  ASSERT_EQ(row.size(), 5u);
  EXPECT_EQ(row[3].text, "");
  EXPECT_EQ(row[4].kind, CellKind::kString);
  EXPECT_EQ(row[4].text, "CD1");
  EXPECT_EQ(row[4].column, 5);
}

TEST(FilesXlsRows, SizeValue) {
  EXPECT_EQ(SizeValue("0"), 0.0);
  EXPECT_EQ(SizeValue("2147483647"), 2147483647.0);
  EXPECT_EQ(SizeValue("4294967296"), 4294967296.0);
  EXPECT_EQ(SizeValue("-1"), -1.0);
  EXPECT_EQ(SizeValue(""), 0.0);
  EXPECT_EQ(SizeValue("12a"), 0.0);
  EXPECT_EQ(SizeValue("99999999999999999999999"), 0.0);
}

}  // namespace
}  // namespace quennex
