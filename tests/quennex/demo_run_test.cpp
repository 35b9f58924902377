// Go over copies of the demo archives with fixed dates: Files.BBS with the default options equals the
// reference kept beside this test; a run with every catalogue ticked writes the reference Files.xls and leaves
// its files in demo-run\ for the reader on the Linux side. The reference Files.xls came from such a run; its
// records were read one by one against the sheet's layout (BOF, DIMENSIONS, the header, rows whose cells carry
// the attributes C0 00 00, EOF) before it was kept.
#include "quennex_fixture.h"

namespace {

using testing_support::ReadText;
using testing_support::TempFolder;

// The demo archives copied into folder, each dated 07-14-03 noon local time.
void CopyDemo(const std::string& folder) {
  const std::string demo = testing_support::SourceDir() + "\\demo";
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((demo + "\\*.*").c_str(), &entry);
  ASSERT_NE(find, INVALID_HANDLE_VALUE) << demo;
  SYSTEMTIME noon{2003, 7, 0, 14, 12, 0, 0, 0};
  FILETIME local, utc;
  SystemTimeToFileTime(&noon, &local);
  LocalFileTimeToFileTime(&local, &utc);
  do {
    const std::string name = entry.cFileName;
    if (name.size() < 4 || name.substr(name.size() - 3) == ".py" ||
        (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      continue;
    }
    const std::string copy = folder + "\\" + name;
    ASSERT_TRUE(CopyFileA((demo + "\\" + name).c_str(), copy.c_str(), FALSE));
    HANDLE file = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &utc);
    CloseHandle(file);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
}

class DemoRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMainWindow();
    CopyDemo(source.path());
    f.Edit1.SetText(source.path());
    f.CheckBox8.SetChecked(false);
  }
  TempFolder source;
  TForm1& f = *Form1;
};

TEST_F(DemoRun, DefaultOptionsGiveTheReferenceFilesBbs) {
  TempFolder target;
  f.Edit3.SetText(target.path());
  ScriptedMessages messages;
  f.BitBtn2Click();
  const std::string expected = ReadText(testing_support::SourceDir() + "\\tests\\quennex\\demo-Files.BBS");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(ReadText(target / "Files.BBS"), expected);
}

TEST_F(DemoRun, EveryCatalogueIsWrittenForTheReaderOnTheLinuxSide) {
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  const std::string kept = std::string(current) + "\\demo-run";
  testing_support::RemoveRecursively(kept);
  testing_support::MakeFolder(kept);
  f.Edit3.SetText(kept);
  f.CheckBox2.SetChecked(true);
  f.CheckBox3.SetChecked(true);
  f.CheckBox9.SetChecked(true);
  f.Edit2.SetText("CD 7");
  ScriptedMessages messages;
  f.BitBtn2Click();
  EXPECT_EQ(testing_support::ListFilesRecursively(kept),
            (std::vector<std::string>{"Descript.ION", "Files.BBS", "Files.csv", "Files.xls"}));
  EXPECT_NE(f.Run.ReportText.find("Excel file generated.\r"), std::string::npos);
  const auto expected = testing_support::ReadBytes(testing_support::SourceDir() + "\\tests\\quennex\\demo-Files.xls");
  ASSERT_EQ(expected.size(), 697u);
  EXPECT_EQ(testing_support::ReadBytes(kept + "\\Files.xls"), expected);
}

}  // namespace
