// Listing the source folder into the archive list, and the column sort.
#include "quennex_fixture.h"

#include "listing.h"

namespace {

using testing_support::MakeFolder;
using testing_support::TempFolder;
using testing_support::WriteText;

class Listing : public ::testing::Test {
 protected:
  void SetUp() override { ResetMainWindow(); }
  std::vector<std::string> Captions() const {
    std::vector<std::string> names;
    for (int i = 0; i < f.ListView1.Count(); ++i) names.push_back(f.ListView1.Item(i).caption);
    return names;
  }
  void SetDate(const std::string& path, WORD year, WORD month, WORD day) {
    SYSTEMTIME time{year, month, 0, day, 12, 0, 0, 0};
    FILETIME local, utc;
    SystemTimeToFileTime(&time, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
  }
  TForm1& f = *Form1;
};

TEST_F(Listing, ArchivesOfEachKindAreListedAndCounted) {
  TempFolder folder;
  WriteText(folder / "a.zip", "1");
  WriteText(folder / "B.RAR", "22");
  WriteText(folder / "c.ace", "333");
  WriteText(folder / "notes.txt", "4444");
  MakeFolder(folder / "old.zip");
  f.Edit1.SetText(folder.path());
  EXPECT_TRUE(f.ReadSourceDir());
  EXPECT_EQ(Captions(), (std::vector<std::string>{"a.zip", "B.RAR", "c.ace", "old.zip"}));
  EXPECT_EQ(f.Label5.Caption(), "1");
  EXPECT_EQ(f.Label7.Caption(), "1");
  EXPECT_EQ(f.Label9.Caption(), "2");
  EXPECT_EQ(f.Run.ZipCount, 2);
  EXPECT_EQ(f.StatusBar1.SimpleText(), "") << "emptied when the listing ends";
  const ui::ListItem& rar = f.ListView1.Item(1);
  EXPECT_EQ(rar.subItems.at(0), "2");
  EXPECT_EQ(rar.stateIndex, 1) << "type icon RAR";
  EXPECT_EQ(rar.imageIndex, 0) << "grey LED";
  EXPECT_EQ(f.ListView1.Item(2).stateIndex, 2);
  EXPECT_EQ(f.ListView1.Item(0).stateIndex, 0);
}

TEST_F(Listing, OnlyOneKindLeavesTheOtherCountersDashed) {
  TempFolder folder;
  for (const char* name : {"x.rar", "y.Rar", "z.rAR"}) WriteText(folder / name, "r");
  f.Edit1.SetText(folder.path());
  EXPECT_TRUE(f.ReadSourceDir());
  EXPECT_EQ(f.Label7.Caption(), "3");
  EXPECT_EQ(f.Label5.Caption(), "-");
  EXPECT_EQ(f.Label9.Caption(), "-");
}

TEST_F(Listing, DateIsMonthDayYear) {
  TempFolder folder;
  WriteText(folder / "d.zip", "d");
  SetDate(folder / "d.zip", 2004, 1, 15);
  f.Edit1.SetText(folder.path());
  ASSERT_TRUE(f.ReadSourceDir());
  EXPECT_EQ(f.ListView1.Item(0).subItems.at(1), "01-15-04");
}

TEST_F(Listing, SortsByNameSizeAndDateInAscendingOrder) {
  TempFolder folder;
  WriteText(folder / "_x.zip", std::string(1200, 'x'));
  WriteText(folder / "Z.ZIP", std::string(900, 'z'));
  WriteText(folder / "abc.zip", std::string(50, 'a'));
  SetDate(folder / "_x.zip", 1999, 12, 1);
  SetDate(folder / "Z.ZIP", 2004, 1, 15);
  SetDate(folder / "abc.zip", 2010, 6, 30);
  f.Edit1.SetText(folder.path());
  ASSERT_TRUE(f.ReadSourceDir());
  f.Run.ListReady = true;
  EXPECT_EQ(Captions(), (std::vector<std::string>{"abc.zip", "Z.ZIP", "_x.zip"})) << "underscore after capitals";
  f.ListView1.ClickColumn(1);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"abc.zip", "Z.ZIP", "_x.zip"})) << "50 < 900 < 1200 as numbers";
  f.ListView1.ClickColumn(2);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Z.ZIP", "abc.zip", "_x.zip"})) << "01-15-04 < 06-30-10 < 12-01-99";
  f.ListView1.ClickColumn(2);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Z.ZIP", "abc.zip", "_x.zip"})) << "a second click does not reverse";
  f.ListView1.ClickColumn(0);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"abc.zip", "Z.ZIP", "_x.zip"}));
}

TEST_F(Listing, ColumnClickBeforeAnyRunOnlyStoresTheColumn) {
  TempFolder folder;
  WriteText(folder / "big.zip", std::string(1200, 'b'));
  WriteText(folder / "small.zip", std::string(900, 's'));
  f.Edit1.SetText(folder.path());
  ASSERT_TRUE(f.ReadSourceDir());
  f.Run.ListReady = false;
  f.ListView1.ClickColumn(1);
  EXPECT_EQ(f.Run.SortColumn, 1);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"big.zip", "small.zip"})) << "nothing sorted yet";
  ASSERT_TRUE(f.ReadSourceDir());
  EXPECT_EQ(Captions(), (std::vector<std::string>{"small.zip", "big.zip"})) << "the next listing uses the column";
}

TEST_F(Listing, ArchivesOfTwoGigabytesAndMoreKeepTheirFullSize) {
  TempFolder folder;
  const std::string path = folder / "huge.zip";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = 5000000000LL;
  ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file));
  CloseHandle(file);
  WriteText(folder / "tiny.zip", "t");
  f.Edit1.SetText(folder.path());
  ASSERT_TRUE(f.ReadSourceDir());
  f.Run.ListReady = true;
  f.ListView1.ClickColumn(1);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"tiny.zip", "huge.zip"}));
  EXPECT_EQ(f.ListView1.Item(1).subItems.at(0), "5000000000");
}

TEST(ListingRules, CaseBlindTextOrder) {
  EXPECT_EQ(listing::CompareTextCaseBlind("abc.zip", "ABC.ZIP"), 0);
  EXPECT_LT(listing::CompareTextCaseBlind("Z.ZIP", "_x.zip"), 0);
  EXPECT_LT(listing::CompareTextCaseBlind("ab", "abc"), 0);
  EXPECT_GT(listing::CompareTextCaseBlind("\xE4", "z"), 0) << "bytes above 127 compare unsigned";
  EXPECT_LT(listing::CompareSizes("900", "1200"), 0);
  EXPECT_EQ(listing::KindOfName("x.zip  "), listing::ArchiveKind::None);
  EXPECT_EQ(listing::KindOfName("TOOLS.ZIP"), listing::ArchiveKind::Zip);
  EXPECT_EQ(listing::KindOfName("noext"), listing::ArchiveKind::None);
}

}  // namespace
