#include "catalogue.h"

#include <gtest/gtest.h>

namespace quennex {
namespace {

const ListItem kItem{"A.ZIP", "45", "01-15-03", true};

TEST(TextLayouts, CustomStringLinesUpAfterTheWidestFirstLine) {
  const ColumnWidths widths{5, 2, 4};
  const std::string head = "A.ZIP  45  01-15-03  ";
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, kItem, "ab", ""), head + "ab");
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, kItem, "abcd", "X"), head + "abcd   X");
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, kItem, "abcde", "X"), head + "abcde  X");
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, kItem, "abcdefgh", "X"), head + "abcdefgh  X");
  EXPECT_EQ(EntryFirstLine(Catalogue::kFilesBbs, widths, kItem, "", "X"), head + std::string(7, ' ') + "X");
  EXPECT_EQ(EntryFirstLine(Catalogue::kDescriptIon, widths, kItem, "", ""), "A.ZIP ");
}

TEST(TextLayouts, DescriptIonQuotesNamesWithBlanks) {
  const ListItem spaced{"MY TOOL.ZIP", "1", "01-01-01", true};
  const ListItem plain{"TOOLS.ZIP", "1", "01-01-01", true};
  const ColumnWidths widths = MeasureListColumns({spaced, plain}, Catalogue::kDescriptIon);
  EXPECT_EQ(widths.name, 13u);
  EXPECT_EQ(EntryFirstLine(Catalogue::kDescriptIon, widths, spaced, "x", ""), "\"MY TOOL.ZIP\" x");
  EXPECT_EQ(EntryFirstLine(Catalogue::kDescriptIon, widths, plain, "x", ""), "TOOLS.ZIP     x");
  EXPECT_EQ(EntryContinuationLine(Catalogue::kDescriptIon, widths, "y"), std::string(13, ' ') + "y");
  // Files.BBS keeps names as they are.
  EXPECT_EQ(MeasureListColumns({spaced, plain}, Catalogue::kFilesBbs).name, 11u);
}

TEST(TextLayouts, CsvDropsSemicolonsFromTheDescriptionAndQuotesOnlyNamesThatNeedIt) {
  EXPECT_EQ(CsvLine(kItem, "Tool 1.0", "CD1"), "A.ZIP;45;01-15-03;Tool 1.0 CD1");
  EXPECT_EQ(CsvLine(kItem, "Tool 1.0", ""), "A.ZIP;45;01-15-03;Tool 1.0 ");
  EXPECT_EQ(CsvLine(kItem, ";a;b;;c;", "x;y"), "A.ZIP;45;01-15-03;abc x;y");
  EXPECT_EQ(CsvLine({"A;B.ZIP", "1", "01-01-01", true}, "", "CD"), "\"A;B.ZIP\";1;01-01-01; CD");
  EXPECT_EQ(CsvLine({"\"Q\".ZIP", "1", "01-01-01", true}, "", ""), "\"\"\"Q\"\".ZIP\";1;01-01-01; ");
  EXPECT_EQ(CsvLine({"A B,C.ZIP", "1", "01-01-01", true}, "", ""), "A B,C.ZIP;1;01-01-01; ");
}

// A field that starts with a quote would swallow the lines after it in any CSV reader.
TEST(TextLayouts, CsvQuotesEveryFieldHoldingAQuote) {
  EXPECT_EQ(CsvLine(kItem, "\"Tool 1.0 - the best", ""), "A.ZIP;45;01-15-03;\"\"\"Tool 1.0 - the best \"");
  EXPECT_EQ(CsvLine(kItem, "say \"hi\";", "CD1"), "A.ZIP;45;01-15-03;\"say \"\"hi\"\" CD1\"");
  // The custom string's semicolons still start fields, each quoted on its own when it needs it.
  EXPECT_EQ(CsvLine(kItem, "Tool", "CD1;box 2"), "A.ZIP;45;01-15-03;Tool CD1;box 2");
  EXPECT_EQ(CsvLine(kItem, "Tool", "\"CD1\";box;\"2"), "A.ZIP;45;01-15-03;\"Tool \"\"CD1\"\"\";box;\"\"\"2\"");
  EXPECT_EQ(CsvLine(kItem, "Tool", ";"), "A.ZIP;45;01-15-03;Tool ;");
}

TEST(SheetRows, HeaderThenFourOrFiveCells) {
  const auto header = SheetHeaderCells();
  ASSERT_EQ(header.size(), 5u);
  EXPECT_EQ(header[0].text, "Filename");
  EXPECT_EQ(header[4].text, "Comment");
  EXPECT_EQ(header[4].kind, CellKind::kLabel);
  EXPECT_EQ(header[4].column, 5);

  const ListItem item{"TOOL.ZIP", "1234", "01-15-03", true};
  auto row = SheetRowCells(2, item, "Tool 1.0", "");
  ASSERT_EQ(row.size(), 4u);
  EXPECT_EQ(row[0].text, "TOOL.ZIP");
  EXPECT_EQ(row[1].kind, CellKind::kNumber);
  EXPECT_EQ(row[1].number, 1234.0);
  EXPECT_EQ(row[2].text, "01-15-03");
  EXPECT_EQ(row[3].text, "Tool 1.0");
  EXPECT_EQ(row[3].row, 2);
  row = SheetRowCells(3, item, "", "CD1");
  ASSERT_EQ(row.size(), 5u);
  EXPECT_EQ(row[4].text, "CD1");

  // Cut as the sheet would cut them.
  row = SheetRowCells(4, item, std::string(300, 'd'), std::string(256, 'c'));
  EXPECT_EQ(row[3].text, std::string(255, 'd'));
  EXPECT_EQ(row[4].text, std::string(255, 'c'));

  EXPECT_EQ(SizeValue("4294967296"), 4294967296.0);
  EXPECT_EQ(SizeValue("12a"), 0.0);
  EXPECT_EQ(SizeValue("99999999999999999999999"), 0.0);
}

}  // namespace
}  // namespace quennex
