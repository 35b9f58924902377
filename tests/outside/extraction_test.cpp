// The program's extraction routines over real unrar.dll and Unzipw32.dll and fake UnAceV2.Dll builds.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "UnAceV2.h"
#include "archive_makers.h"
#include "extraction.h"
#include "sandbox.h"
#include "test_support.h"

using makers::Bytes;
using makers::Entry;
using testing_support::FileExists;
using testing_support::ListFilesRecursively;
using testing_support::ReadText;
using testing_support::WriteText;

namespace {

struct Kind {
  const char* label;
  const char* extension;
  char separator;
  Bytes (*make)(const std::vector<Entry>&);
};

Bytes Zip(const std::vector<Entry>& entries) { return makers::MakeZip(entries); }

const Kind kKinds[] = {
    {"Zip", ".zip", '/', Zip},
    {"Rar4", ".rar", '\\', makers::MakeRar4},
    {"Rar5", ".rar", '/', makers::MakeRar5},
};

class EachKind : public Sandboxed, public ::testing::WithParamInterface<Kind> {
 protected:
  void SetUp() override {
    Sandboxed::SetUp();
    Folder("tmp");
  }
  std::string TempDir() const { return box / "tmp\\"; }
  std::string DescriptionPath() const { return box / "tmp\\file_id.diz"; }
  std::string Name(const std::string& folder, const std::string& file) const {
    return folder + GetParam().separator + file;
  }
  std::string Save(const Bytes& archive, const std::string& stem = "test") {
    return Put(stem + GetParam().extension, archive);
  }
  bool Extract(const std::vector<Entry>& entries) {
    return EntpackeBeschreibung(Save(GetParam().make(entries)), TempDir());
  }
  // Whatever happened, the temp folder holds at most file_id.diz, and only with the right bytes.
  void ExpectNothingOrExactly(bool extracted, const std::string& content) {
    auto files = ListFilesRecursively(box / "tmp");
    for (auto& file : files) CharLowerBuffA(file.data(), static_cast<DWORD>(file.size()));
    if (extracted) {
      EXPECT_EQ(files, std::vector<std::string>{"file_id.diz"});
      EXPECT_EQ(ReadText(DescriptionPath()), content);
    } else {
      EXPECT_TRUE(files.empty());
    }
  }
};

// The file part decides, case-blind, in any folder; near names do not count; the last match stays.
TEST_P(EachKind, WhichEntriesAreTheDescription) {
  struct Case {
    std::vector<Entry> entries;
    const char* description;  // null: none
  };
  const Case cases[] = {
      {{{"readme.txt", "read me"}, {"file_id.diz", "Tool 1.0\r\nLine 2\r\n"}, {"z.exe", "MZ"}},
       "Tool 1.0\r\nLine 2\r\n"},
      {{{"DOCS", "", true}, {Name("DOCS", "FILE_ID.DIZ"), "upper"}}, "upper"},
      {{{"file_id.diz.txt", "a"}, {"my_file_id.diz", "b"}, {"file_id.di", "c"}, {"file_id", "d"}}, nullptr},
      {{{"file_id.diz", "first"}, {"x.txt", "x"}, {Name("sub", "File_Id.Diz"), "second"}}, "second"},
      {{}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description ? c.description : "none");
    EXPECT_EQ(Extract(c.entries), c.description != nullptr);
    ExpectNothingOrExactly(c.description != nullptr, c.description ? c.description : "");
  }
}

class RarExtraction : public Sandboxed {};

// A damaged match ends the walk: a description extracted before it stays and counts, none after it
// is reached.
TEST_F(RarExtraction, ADamagedMatchEndsTheWalkAndKeepsTheOneBefore) {
  const std::string temp = box / "";
  for (auto make : {makers::MakeRar4, makers::MakeRar5}) {
    const std::vector<Entry> good_then_bad = {{"file_id.diz", "good"}, {"sub\\file_id.diz", "bad", false, true}};
    testing_support::WriteBytes(box / "a.rar", make(good_then_bad));
    EXPECT_TRUE(EntpackeRAR(box / "a.rar", temp));
    EXPECT_EQ(ReadText(box / "file_id.diz"), "good");

    const std::vector<Entry> bad_then_good = {{"file_id.diz", "bad", false, true}, {"sub\\file_id.diz", "good"}};
    testing_support::WriteBytes(box / "b.rar", make(bad_then_good));
    EXPECT_FALSE(EntpackeRAR(box / "b.rar", temp));
    EXPECT_FALSE(FileExists(box / "file_id.diz"));
  }
}

TEST_P(EachKind, ArchiveWithoutDescriptionLeavesNoStaleOne) {
  WriteText(DescriptionPath(), "from the archive before");
  EXPECT_FALSE(Extract({{"readme.txt", "no description here"}}));
  ExpectNothingOrExactly(false, "");
  EXPECT_TRUE(Extract({{"file_id.diz", "new"}}));
  ExpectNothingOrExactly(true, "new");
  // A folder of that name is no description either, and a read-only one from before gives way.
  EXPECT_FALSE(Extract({{"file_id.diz", "", true}}));
  ExpectNothingOrExactly(false, "");
  WriteText(DescriptionPath(), "read-only, from before");
  SetFileAttributesA(DescriptionPath().c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(Extract({{"file_id.diz", "newer"}}));
  ExpectNothingOrExactly(true, "newer");
}

TEST_P(EachKind, DamagedOrOversizedDescriptionIsRefused) {
  Bytes archive = GetParam().make({{"file_id.diz", "GOOD DESCRIPTION TEXT"}});
  ASSERT_TRUE(makers::CorruptFirst(archive, "DESCRIPTION"));
  EXPECT_FALSE(EntpackeBeschreibung(Save(archive), TempDir()));
  ExpectNothingOrExactly(false, "");
  EXPECT_FALSE(Extract({{"file_id.diz", std::string(2u << 20, 'x')}}));
  ExpectNothingOrExactly(false, "");
}

TEST_P(EachKind, TruncatedArchivesGiveTheWholeDescriptionOrNone) {
  const std::string content(3000, 'd');
  const Bytes whole = GetParam().make({{"a.txt", std::string(500, 'a')}, {"file_id.diz", content}});
  for (size_t size = 0; size < whole.size(); size += 1 + size / 8) {
    SCOPED_TRACE(size);
    const bool extracted =
        EntpackeBeschreibung(Save(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size))), TempDir());
    ExpectNothingOrExactly(extracted, content);
  }
}

TEST_P(EachKind, NamesReachingOutsideStayInTheTempFolder) {
  const std::vector<std::string> names = {"..\\..\\file_id.diz", "../../file_id.diz", "C:\\file_id.diz",
                                          "C:file_id.diz",       "\\file_id.diz",     "/file_id.diz"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ExpectNothingOrExactly(Extract({{name, "escaped?"}}), "escaped?");
  }
}

TEST_P(EachKind, LongEntryNamesAreHandledSafely) {
  const std::string deep = std::string(150, 'f') + GetParam().separator + std::string(138, 'g');
  ExpectNothingOrExactly(Extract({{Name(deep, "file_id.diz"), "deep"}}), "deep");
  ExpectNothingOrExactly(Extract({{std::string(289, 'n') + "file_id.diz", "long"}}), "long");
}

TEST_P(EachKind, ExtensionCaseDoesNotMatter) {
  const Bytes archive = GetParam().make({{"file_id.diz", "cased"}});
  std::string upper = GetParam().extension, mixed = upper;
  for (char& c : upper) c = static_cast<char>(toupper(c));
  mixed[1] = static_cast<char>(toupper(mixed[1]));
  EXPECT_TRUE(EntpackeBeschreibung(Put("UPPER" + upper, archive), TempDir()));
  EXPECT_TRUE(EntpackeBeschreibung(Put("Mixed" + mixed, archive), TempDir()));
  ExpectNothingOrExactly(true, "cased");
  // Blanks after the extension make it none of the three.
  EXPECT_FALSE(EntpackeBeschreibung(Put("blank" + std::string(GetParam().extension) + "  ", archive), TempDir()));
}

INSTANTIATE_TEST_SUITE_P(Archives, EachKind, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.label); });

class Dispatcher : public Sandboxed {};

TEST_F(Dispatcher, OtherExtensionsAndNonArchivesGiveFalse) {
  const std::string temp = Folder("tmp") + "\\";
  const Bytes zip = makers::MakeZip({{"file_id.diz", "x"}});
  EXPECT_FALSE(EntpackeBeschreibung(Put("a.arj", zip), temp));
  EXPECT_FALSE(EntpackeBeschreibung(Put("noextension", zip), temp));
  EXPECT_FALSE(EntpackeBeschreibung(Folder("dir.zip") + "\\file", temp));
  EXPECT_FALSE(EntpackeBeschreibung(Put("text.rar", Bytes(5000, 'r')), temp));
  EXPECT_FALSE(EntpackeBeschreibung(Put("text.zip", Bytes(5000, 'z')), temp));
  EXPECT_FALSE(EntpackeBeschreibung(box / "missing.rar", temp));
  EXPECT_FALSE(EntpackeBeschreibung(box / "missing.zip", temp));
  EXPECT_FALSE(EntpackeBeschreibung(Put("empty.rar", {}), temp));
  EXPECT_TRUE(ListFilesRecursively(box / "tmp").empty());
}

// UnAceV2.Dll: fake builds beside the test program, one complete and one without ACETest.
class AceLibrary : public Sandboxed {
 protected:
  void TearDown() override {
    UnloadUnAceDll();
    Sandboxed::TearDown();
  }
  static std::string Fake(const char* variant) { return ProgramFolder() + "\\" + variant; }
};

TEST_F(AceLibrary, MissingLibraryOrEntryPointLeavesAceArchivesUndescribed) {
  const std::string temp = Folder("tmp") + "\\";
  const std::string archive = Put("a.ace", Bytes{'F', 'A', 'K', 'E', 'A', 'C', 'E', ':', 'x'});
  EXPECT_FALSE(LoadUnAceDll(box.path()));
  EXPECT_EQ(InitUnAceDll(), -1);
  EXPECT_FALSE(EntpackeBeschreibung(archive, temp));
  // Without ACETest the library is freed again, although ACEExtract is there.
  ASSERT_TRUE(FileExists(Fake("ace_partial") + "\\UnAceV2.Dll"));
  EXPECT_FALSE(LoadUnAceDll(Fake("ace_partial")));
  EXPECT_EQ(ACEInitDllProc, nullptr);
  EXPECT_EQ(ACEExtractProc, nullptr);
  EXPECT_EQ(GetModuleHandleA((Fake("ace_partial") + "\\UnAceV2.Dll").c_str()), nullptr);
  EXPECT_FALSE(EntpackeBeschreibung(archive, temp));
  EXPECT_FALSE(FileExists(temp + "file_id.diz"));
}

TEST_F(AceLibrary, ExtractsOnlyAfterInitAndOnlyWhatItWrote) {
  ASSERT_TRUE(LoadUnAceDll(Fake("ace_full")));
  const std::string temp = Folder("tmp") + "\\";
  const std::string archive = Put("a.ace", Bytes{'F', 'A', 'K', 'E', 'A', 'C', 'E', ':', 'o', 'k'});
  EXPECT_FALSE(EntpackeACE(archive, temp));
  ASSERT_EQ(InitUnAceDll(), 0);
  EXPECT_TRUE(EntpackeBeschreibung(archive, temp));
  EXPECT_EQ(ReadText(temp + "file_id.diz"), "ok");
  // Success without the file is no success, and the old description is gone.
  EXPECT_FALSE(EntpackeACE(Put("b.ace", Bytes{'F', 'A', 'K', 'E', 'L', 'I', 'E', ':'}), temp));
  EXPECT_FALSE(FileExists(temp + "file_id.diz"));
  EXPECT_FALSE(EntpackeACE(Put("c.ace", Bytes{'?'}), temp));
}

}  // namespace
