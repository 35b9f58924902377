#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "biffsheet.h"
#include "test_support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace ts = testing_support;

const Bytes kBiff5Start = {0x09, 0x08, 0x06, 0x00, 0x00, 0x02, 0x10, 0x00, 0x00, 0x00, 0x00, 0x02,
                           0x0A, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00};
const Bytes kBiff2Start = {0x09, 0x00, 0x04, 0x00, 0x00, 0x02, 0x10, 0x00, 0x00, 0x00,
                           0x08, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x01};
const Bytes kEof = {0x0A, 0x00, 0x00, 0x00};

// Everything after BOF and DIMENSIONS of a BIFF5 sheet.
Bytes Cells(const TBiffSheet& sheet) {
  const Bytes& data = sheet.Data();
  EXPECT_GE(data.size(), kBiff5Start.size());
  EXPECT_TRUE(std::equal(kBiff5Start.begin(), kBiff5Start.end(), data.begin()));
  return Bytes(data.begin() + static_cast<std::ptrdiff_t>(kBiff5Start.size()), data.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Row and column (0-based) of every cell record after the header, in stream order.
std::vector<std::pair<int, int>> CellPositions(const TBiffSheet& sheet) {
  const Bytes cells = Cells(sheet);
  std::vector<std::pair<int, int>> positions;
  std::size_t at = 0;
  while (at + 8 <= cells.size()) {
    const int length = cells[at + 2] | cells[at + 3] << 8;
    positions.emplace_back(cells[at + 4] | cells[at + 5] << 8, cells[at + 6] | cells[at + 7] << 8);
    at += 4 + static_cast<std::size_t>(length);
  }
  EXPECT_EQ(at, cells.size());
  return positions;
}

std::uint8_t StyleByte(const TBiffSheet& sheet) { return Cells(sheet).at(10); }

TEST(BiffSheetNew, HoldsBofAndDimensionsOnly) {
  TBiffSheet sheet;
  EXPECT_EQ(sheet.Data(), kBiff5Start);
  EXPECT_EQ(sheet.BIFF(), bvBIFF5);
  EXPECT_EQ(sheet.Row(), 1);
  EXPECT_EQ(sheet.Column(), 1);
  EXPECT_EQ(sheet.MoveAfterEnter(), maRight);
  EXPECT_TRUE(sheet.Locked());
  EXPECT_FALSE(sheet.Hidden());
  EXPECT_FALSE(sheet.Full());
  EXPECT_EQ(sheet.FileName(), "");
}

TEST(BiffSheetNew, VersionReadsFixedTextAndIgnoresWrites) {
  TBiffSheet sheet;
  EXPECT_EQ(sheet.Version(), "1.23");
  sheet.SetVersion("9.99");
  EXPECT_EQ(sheet.Version(), "1.23");
}

TEST(BiffSheetCells, LabelAndNumberRecordsAndCursorMove) {
  TBiffSheet sheet;
  sheet.WriteStringAt(1, 1, "abc");
  EXPECT_EQ(Cells(sheet),
            Bytes({0x04, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x03, 0x61, 0x62, 0x63}));
  EXPECT_EQ(sheet.Row(), 1);
  EXPECT_EQ(sheet.Column(), 2);

  TBiffSheet numbers;
  numbers.WriteNumberAt(2, 2, 1234);
  EXPECT_EQ(Cells(numbers), Bytes({0x03, 0x00, 0x0F, 0x00, 0x01, 0x00, 0x01, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00,
                                   0x00, 0x00, 0x48, 0x93, 0x40}));
  numbers.EndSheet();
  EXPECT_EQ(Bytes(numbers.Data().end() - 4, numbers.Data().end()), kEof);
}

TEST(BiffSheetCells, NumbersKeepTheirFullDoubleValue) {
  // 3 GiB and 2^31 must not pass through a 32-bit integer on the way.
  TBiffSheet sheet;
  sheet.WriteNumber(3221225472.0);
  sheet.WriteNumber(2147483648.0);
  sheet.WriteNumber(-0.5);
  const Bytes cells = Cells(sheet);
  ASSERT_EQ(cells.size(), 3u * 19u);
  EXPECT_EQ(Bytes(cells.begin() + 11, cells.begin() + 19), Bytes({0, 0, 0, 0, 0, 0, 0xE8, 0x41}));
  EXPECT_EQ(Bytes(cells.begin() + 30, cells.begin() + 38), Bytes({0, 0, 0, 0, 0, 0, 0xE0, 0x41}));
  EXPECT_EQ(Bytes(cells.begin() + 49, cells.begin() + 57), Bytes({0, 0, 0, 0, 0, 0, 0xE0, 0xBF}));
}

TEST(BiffSheetCells, TextLengthsAndBytes) {
  TBiffSheet empty;
  empty.WriteLabel("");
  EXPECT_EQ(Cells(empty), Bytes({0x04, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00}));

  TBiffSheet none;
  none.WriteLabel(nullptr);
  EXPECT_EQ(Cells(none), Cells(empty));

  TBiffSheet longer;
  const std::string text300(300, 'x');
  longer.WriteStringAt(1, 1, text300);
  const Bytes cells = Cells(longer);
  ASSERT_EQ(cells.size(), 12u + 255u);
  EXPECT_EQ(cells[2] | cells[3] << 8, 263);
  EXPECT_EQ(cells[11], 255);

  // A string ends at its first zero byte; high bytes pass as they are.
  TBiffSheet high;
  high.WriteStringAt(1, 1, std::string("\x80\xE9\xFF\0tail", 8));
  EXPECT_EQ(Cells(high),
            Bytes({0x04, 0x00, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x03, 0x80, 0xE9, 0xFF}));
}

TEST(BiffSheetCells, AttributeBytesFollowProperties) {
  TBiffSheet sheet;
  sheet.SetHidden(true);
  sheet.WriteLabel("a");
  const Bytes hidden = Cells(sheet);
  EXPECT_EQ(Bytes(hidden.begin() + 8, hidden.begin() + 11), Bytes({0xC0, 0x00, 0x00}));

  TBiffSheet unlocked;
  unlocked.SetLocked(false);
  unlocked.WriteNumber(1);
  EXPECT_EQ(Cells(unlocked).at(8), 0x00);

  const std::pair<TSheetAlignment, std::uint8_t> codes[] = {{eaGeneral, 0}, {eaLeft, 1}, {eaRight, 3},
                                                            {eaCenter, 2},  {eaFill, 4}, {eaMultiPlan, 7}};
  for (const auto& [alignment, code] : codes) {
    TBiffSheet aligned;
    aligned.SetAlignment(alignment);
    aligned.WriteLabel("a");
    EXPECT_EQ(StyleByte(aligned), code) << int{alignment};
  }

  TBiffSheet framed;
  framed.SetAlignment(eaRight);
  framed.SetBorders({ebTop, ebBottom, ebLeft, ebRight});
  framed.SetShading(true);
  framed.WriteLabel("a");
  EXPECT_EQ(StyleByte(framed), 0x03 | 0x08 | 0x10 | 0x20 | 0x40 | 0x80);

  TBiffSheet left_only;
  left_only.SetBorders({ebLeft});
  left_only.WriteLabel("a");
  EXPECT_EQ(StyleByte(left_only), 0x08);
}

TEST(BiffSheetProperties, OutOfRangeValuesAreIgnored) {
  TBiffSheet sheet;
  sheet.SetActiveFont(1);
  EXPECT_EQ(sheet.ActiveFont(), 0);
  sheet.SetAlignment(eaCenter);
  sheet.SetAlignment(static_cast<TSheetAlignment>(6));
  EXPECT_EQ(sheet.Alignment(), eaCenter);
  sheet.SetMoveAfterEnter(maDown);
  sheet.SetMoveAfterEnter(static_cast<TMoveAfterEnter>(5));
  EXPECT_EQ(sheet.MoveAfterEnter(), maDown);
  sheet.SetBIFF(static_cast<TBiffVersion>(4));
  EXPECT_EQ(sheet.BIFF(), bvBIFF5);
  EXPECT_EQ(sheet.Data(), kBiff5Start);

  sheet.SetRow(7);
  sheet.SetColumn(9);
  for (int bad : {0, -1, 65536}) sheet.SetRow(bad);
  for (int bad : {0, -1, 257}) sheet.SetColumn(bad);
  EXPECT_EQ(sheet.Row(), 7);
  EXPECT_EQ(sheet.Column(), 9);
  sheet.SetRow(65535);
  sheet.SetColumn(256);
  EXPECT_EQ(sheet.Row(), 65535);
  EXPECT_EQ(sheet.Column(), 256);
}

TEST(BiffSheetCursor, BadPositionsWriteWhereTheCursorStands) {
  TBiffSheet sheet;
  sheet.WriteStringAt(3, 4, "a");  // cursor now at 3,5
  sheet.WriteStringAt(0, 0, "b");
  sheet.WriteStringAt(5, 257, "c");  // row taken, column ignored
  EXPECT_EQ(CellPositions(sheet), (std::vector<std::pair<int, int>>{{2, 3}, {2, 4}, {4, 5}}));
}

TEST(BiffSheetCursor, MovesAndWrapsAtTheEdges) {
  struct Case {
    TMoveAfterEnter move;
    int row, column;
    int next_row, next_column;
  };
  const Case cases[] = {
      {maRight, 4, 10, 4, 11}, {maRight, 4, 256, 5, 1},    {maRight, 65535, 256, 65535, 256},
      {maLeft, 4, 10, 4, 9},   {maLeft, 4, 1, 3, 256},     {maLeft, 1, 1, 1, 1},
      {maDown, 4, 10, 5, 10},  {maDown, 65535, 10, 1, 11}, {maDown, 65535, 256, 65535, 256},
      {maUp, 4, 10, 3, 10},    {maUp, 1, 10, 65535, 9},    {maUp, 1, 1, 1, 1},
      {maNone, 4, 10, 4, 10},
  };
  for (const Case& c : cases) {
    TBiffSheet sheet;
    sheet.SetMoveAfterEnter(c.move);
    sheet.WriteNumberAt(c.row, c.column, 1);
    EXPECT_EQ(sheet.Row(), c.next_row) << int{c.move} << " from " << c.row << "," << c.column;
    EXPECT_EQ(sheet.Column(), c.next_column) << int{c.move} << " from " << c.row << "," << c.column;
  }
}

TEST(BiffSheetCursor, FarCornerRepeatsThePosition) {
  TBiffSheet sheet;
  sheet.WriteLabelAt(65535, 256, "a");
  sheet.WriteLabel("b");
  EXPECT_EQ(CellPositions(sheet), (std::vector<std::pair<int, int>>{{65534, 255}, {65534, 255}}));
}

TEST(BiffSheetCursor, RowPastTheSheetIsDroppedNotWrapped) {
  TBiffSheet sheet;
  sheet.WriteStringAt(1, 1, "header");
  sheet.WriteStringAt(65535, 1, "last");
  EXPECT_FALSE(sheet.Full());
  const Bytes before = sheet.Data();
  sheet.WriteStringAt(65536, 1, "too far");
  sheet.WriteNumberAt(65537, 2, 5);
  EXPECT_TRUE(sheet.Full());
  EXPECT_EQ(sheet.Data(), before);
  sheet.BeginSheet();
  EXPECT_FALSE(sheet.Full());
}

TEST(BiffSheetRestart, BiffVersionSwitchRewritesTheHeader) {
  TBiffSheet sheet;
  sheet.WriteStringAt(1, 1, "gone");
  sheet.SetBIFF(bvBIFF2);
  EXPECT_EQ(sheet.Data(), kBiff2Start);

  TBiffSheet same;
  same.WriteStringAt(1, 1, "kept");
  const Bytes before = same.Data();
  same.SetBIFF(bvBIFF5);
  EXPECT_EQ(same.Data(), before);

  TBiffSheet v3;
  v3.SetBIFF(bvBIFF3);
  EXPECT_EQ(v3.Data()[0], 0x09);
  EXPECT_EQ(v3.Data()[1], 0x02);
  v3.SetBIFF(bvBIFF4);
  Bytes expected4 = kBiff5Start;
  expected4[1] = 0x04;
  EXPECT_EQ(v3.Data(), expected4);
}

TEST(BiffSheetRestart, CellAfterEndSheetStartsANewSheet) {
  TBiffSheet sheet;
  sheet.WriteStringAt(1, 1, "old");
  sheet.EndSheet();
  sheet.WriteStringAt(2, 1, "abc");
  EXPECT_EQ(sheet.Data(),
            Concat({kBiff5Start,
                    {0x04, 0x00, 0x0B, 0x00, 0x01, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x03, 0x61, 0x62, 0x63}}));

  TBiffSheet twice;
  twice.WriteStringAt(1, 1, "old");
  twice.EndSheet();
  twice.EndSheet();
  EXPECT_EQ(twice.Data(), Concat({kBiff5Start, kEof}));

  TBiffSheet biff2;
  biff2.SetBIFF(bvBIFF2);
  biff2.EndSheet();
  biff2.EndSheet();
  EXPECT_EQ(biff2.Data(), Concat({kBiff2Start, kEof}));
}

TEST(BiffSheetRestart, BeginSheetKeepsCursorNameAndAttributes) {
  TBiffSheet sheet;
  sheet.SetFileName("C:\\out\\Files.xls");
  sheet.SetHidden(true);
  sheet.WriteStringAt(4, 7, "x");
  sheet.BeginSheet();
  EXPECT_EQ(sheet.Data(), kBiff5Start);
  EXPECT_EQ(sheet.Row(), 4);
  EXPECT_EQ(sheet.Column(), 8);
  EXPECT_EQ(sheet.FileName(), "C:\\out\\Files.xls");
  EXPECT_TRUE(sheet.Hidden());
}

TEST(BiffSheetFileName, ExtensionBecomesXls) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\out\\Files.xls", "C:\\out\\Files.xls"},
      {"C:\\out\\Files.XlS", "C:\\out\\Files.XlS"},
      {"C:\\out.dir\\Files", "C:\\out.dir\\Files.XLS"},
      {"a.txt", "a.XLS"},
      {"a.xls.bak", "a.xls.XLS"},
      {"C:a", "C:a.XLS"},
      {"C:\\dir.x\\", "C:\\dir.x\\.XLS"},
  };
  for (const auto& [given, stored] : cases) {
    TBiffSheet sheet;
    sheet.SetFileName(given);
    EXPECT_EQ(sheet.FileName(), stored);
  }

  TBiffSheet sheet;
  sheet.SetFileName("Files.xls");
  sheet.SetFileName("");
  EXPECT_EQ(sheet.FileName(), ".XLS");
}

TEST(BiffSheetSave, WritesTheStreamAndReplacesAnOldFile) {
  ts::TempFolder folder;
  const std::string target = folder / "Files.xls";
  ts::WriteText(target, std::string(5000, 'o'));
  TBiffSheet sheet;
  sheet.SetFileName(target);
  sheet.WriteStringAt(1, 1, "abc");
  sheet.EndSheet();
  const Bytes before = sheet.Data();
  sheet.SaveToFile();
  EXPECT_EQ(ts::ReadBytes(target), before);
  EXPECT_EQ(sheet.Data(), before);
  sheet.SaveToFile();  // the stream is kept, a second save writes it again
  EXPECT_EQ(ts::ReadBytes(target), before);
  EXPECT_EQ(ts::ListFilesRecursively(folder.path()), std::vector<std::string>{"Files.xls"});
}

TEST(BiffSheetSave, FailuresRaiseAndLeaveTheOldFile) {
  TBiffSheet unnamed;
  EXPECT_THROW(unnamed.SaveToFile(), EBiffSheetError);

  ts::TempFolder folder;
  TBiffSheet missing;
  missing.SetFileName(folder / "no such folder\\Files.xls");
  EXPECT_THROW(missing.SaveToFile(), EBiffSheetError);

  const std::string target = folder / "Files.xls";
  ts::WriteText(target, "previous catalogue");
  // Held open by another program: the save fails and the old file keeps its bytes.
  HANDLE in_use = CreateFileA(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(in_use, INVALID_HANDLE_VALUE);
  TBiffSheet sheet;
  sheet.SetFileName(target);
  EXPECT_THROW(sheet.SaveToFile(), EBiffSheetError);
  CloseHandle(in_use);
  EXPECT_EQ(ts::ReadText(target), "previous catalogue");
  EXPECT_EQ(ts::ListFilesRecursively(folder.path()), std::vector<std::string>{"Files.xls"});

  ts::MakeFolder(folder / "Folder.xls");
  TBiffSheet onto_folder;
  onto_folder.SetFileName(folder / "Folder.xls");
  EXPECT_THROW(onto_folder.SaveToFile(), EBiffSheetError);
  EXPECT_TRUE(ts::FolderExists(folder / "Folder.xls"));
}

}  // namespace
