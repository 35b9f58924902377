// UnAceV2.Dll through its exports, loaded the way the program loads it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>

#include "ace_decoder.h"
#include "ace_writer.h"
#include "blocked_writer.h"
#include "test_support.h"
#include "unacev2.h"

namespace {

using ace_testing::Bytes;
using ace_testing::MakeStoredArchive;
using ace_testing::StoredMember;
using testing_support::TempFolder;

using InitProc = int(__stdcall*)(AceInitRecord*);
using ReadDataProc = int(__stdcall*)(const char*, AceArchiveData*);
using ListProc = int(__stdcall*)(const char*, AceListRecord*);
using TestProc = int(__stdcall*)(const char*);
using ExtractProc = int(__stdcall*)(const char*, AceExtractRecord*);

template <typename Proc>
Proc Find(HMODULE library, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

class UnAceDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder = exe;
    folder.resize(folder.find_last_of('\\') + 1);
    library_ = LoadLibraryA((folder + "UnAceV2.Dll").c_str());
    ASSERT_NE(library_, nullptr);
    init_ = Find<InitProc>(library_, "ACEInitDll");
    read_data_ = Find<ReadDataProc>(library_, "ACEReadArchiveData");
    list_ = Find<ListProc>(library_, "ACEList");
    test_ = Find<TestProc>(library_, "ACETest");
    extract_ = Find<ExtractProc>(library_, "ACEExtract");
  }
  static void TearDownTestSuite() {
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
  }

  // Extracts "file_id.diz" the way the program asks for it: destination with a trailing backslash.
  int ExtractDiz(const std::string& archive, const std::string& destination) {
    AceExtractRecord record;
    std::memset(&record, 0, sizeof record);
    record.base_folder = "";
    record.names = "file_id.diz";
    record.excluded_names = "";
    const std::string folder = destination + "\\";
    record.destination = folder.c_str();
    record.without_paths = 0xFFFFFFFFu;
    char password[256] = "";
    record.password = password;
    return extract_(archive.c_str(), &record);
  }

  // Writes the archive into temp\in, extracts into temp\out\dest and returns the result.
  int Run(const std::vector<StoredMember>& members) { return RunBytes(MakeStoredArchive(members)); }
  int RunBytes(const std::vector<std::uint8_t>& archive) {
    testing_support::MakeFolder(temp_ / "in");
    testing_support::MakeFolder(temp_ / "out");
    testing_support::MakeFolder(temp_ / "out\\dest");
    testing_support::WriteBytes(temp_ / "in\\test.ace", archive);
    return ExtractDiz(temp_ / "in\\test.ace", temp_ / "out\\dest");
  }
  // Every file in the temp folder besides the archive.
  std::vector<std::string> Written() {
    auto files = testing_support::ListFilesRecursively(temp_.path());
    files.erase(std::remove(files.begin(), files.end(), "in\\test.ace"), files.end());
    return files;
  }
  std::string Diz() { return testing_support::ReadText(temp_ / "out\\dest\\file_id.diz"); }

  static HMODULE library_;
  static InitProc init_;
  static ReadDataProc read_data_;
  static ListProc list_;
  static TestProc test_;
  static ExtractProc extract_;
  TempFolder temp_;
};

HMODULE UnAceDll::library_ = nullptr;
InitProc UnAceDll::init_ = nullptr;
ReadDataProc UnAceDll::read_data_ = nullptr;
ListProc UnAceDll::list_ = nullptr;
TestProc UnAceDll::test_ = nullptr;
ExtractProc UnAceDll::extract_ = nullptr;

const std::vector<std::string> kOnlyDiz = {"out\\dest\\file_id.diz"};

TEST_F(UnAceDll, ExportsAllFiveAndInitialises) {
  ASSERT_TRUE(init_ && read_data_ && list_ && test_ && extract_);
  static char comments[8192];
  char temp_path[256];
  GetTempPathA(255, temp_path);
  AceInitRecord record;
  std::memset(&record, 0, sizeof record);
  record.test_limit = 0x1FFFF;
  record.buffer_limit = 0x2FFFF;
  record.comment_buffer = comments;
  record.comment_capacity = 8191;
  record.temp_folder = temp_path;
  EXPECT_EQ(init_(&record), 0);
  EXPECT_NE(init_(nullptr), 0);
}

// Every ACE archive of the fixtures, as full paths.
std::vector<std::string> FixtureAceArchives() {
  return testing_support::FixtureFiles({"ace", "ace-solid", "legacy"}, ".ace");
}

TEST_F(UnAceDll, TestsEveryFixtureArchive) {
  const auto archives = FixtureAceArchives();
  if (archives.empty()) GTEST_SKIP() << "no fixtures";
  for (const std::string& archive : archives) EXPECT_EQ(test_(archive.c_str()), 0) << archive;
  EXPECT_GE(archives.size(), 9u);
}

// Each member asked for alone by its file part, as the program asks for file_id.diz; of members
// sharing a file part, the last one is written.
TEST_F(UnAceDll, ExtractsEveryFixtureMemberByItsFilePart) {
  const auto archives = FixtureAceArchives();
  if (archives.empty()) GTEST_SKIP() << "no fixtures";
  const auto lower = [](std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
  };
  int right = 0;
  int asked = 0;
  for (const std::string& archive : archives) {
    const auto bytes = testing_support::ReadBytes(archive);
    ace::MemorySource source(bytes.data(), bytes.size());
    const ace::Directory dir = ace::ReadDirectory(source);
    std::map<std::string, const ace::Member*> last_by_part;
    for (const ace::Member& m : dir.members) {
      if (!m.is_folder()) last_by_part[lower(m.file_part())] = &m;
    }
    for (const auto& [part, member] : last_by_part) {
      ++asked;
      const std::string name = member->file_part();
      AceExtractRecord record;
      std::memset(&record, 0, sizeof record);
      record.names = name.c_str();
      const std::string dest = temp_.path() + "\\";
      record.destination = dest.c_str();
      const int result = extract_(archive.c_str(), &record);
      const std::string written = temp_ / name;
      const auto data = testing_support::ReadBytes(written);
      DeleteFileA(written.c_str());
      const bool crc_right = ace::Crc32(ace::kCrcStart, data.data(), data.size()) == member->crc32;
      EXPECT_TRUE(result == 0 && crc_right) << archive << ": " << member->name << " result " << result;
      if (result == 0 && crc_right) ++right;
    }
  }
  EXPECT_EQ(right, asked);
  EXPECT_GE(asked, 270);
}

TEST_F(UnAceDll, ExtractsFromCompressedFixturesByFilePart) {
  const std::string dir = testing_support::FixturesDir();
  if (dir.empty()) GTEST_SKIP() << "no fixtures";
  const auto store = testing_support::ReadText(dir + "\\ace\\sharpcompress__Ace.store.ace");
  const std::string expected = store.substr(store.size() - 15498);  // the last member, stored
  for (const char* name : {"ace\\sharpcompress__Ace.method1-solid.ace", "ace\\sharpcompress__Ace.method2.ace",
                           "legacy\\sharpcompress__Ace.method2-solid.ace"}) {
    AceExtractRecord record;
    std::memset(&record, 0, sizeof record);
    record.names = "TECT.TXT.TXT";
    const std::string dest = temp_.path() + "\\";
    record.destination = dest.c_str();
    EXPECT_EQ(extract_((dir + "\\" + name).c_str(), &record), 0) << name;
    EXPECT_EQ(testing_support::ReadText(temp_ / "Tect.txt.txt"), expected) << name;
  }
}

TEST_F(UnAceDll, DescribesAndListsAnArchive) {
  const std::vector<StoredMember> members = {{"DOCS", {}, 0, 0x10}, {"DOCS\\file_id.diz", Bytes("x")}};
  testing_support::WriteBytes(temp_ / "a.ace", MakeStoredArchive(members, true));
  AceArchiveData data;
  EXPECT_EQ(read_data_((temp_ / "a.ace").c_str(), &data), 0);
  EXPECT_EQ(data.member_count, 2u);
  EXPECT_EQ(data.solid, 1u);
  EXPECT_EQ(data.version_extract, 20u);

  AceListRecord list = {nullptr, 0, 0, 0};
  EXPECT_EQ(list_((temp_ / "a.ace").c_str(), &list), kAceBufferTooSmall);
  ASSERT_EQ(list.needed, sizeof "DOCS\r\nDOCS\\file_id.diz\r\n");
  char buffer[64];
  list.buffer = buffer;
  list.capacity = sizeof buffer;
  EXPECT_EQ(list_((temp_ / "a.ace").c_str(), &list), 0);
  EXPECT_STREQ(buffer, "DOCS\r\nDOCS\\file_id.diz\r\n");
  EXPECT_EQ(list.member_count, 2u);

  EXPECT_EQ(read_data_((temp_ / "missing.ace").c_str(), &data), kAceCannotOpen);
  EXPECT_EQ(test_((temp_ / "missing.ace").c_str()), kAceCannotOpen);
}

TEST_F(UnAceDll, ExtractsDizAtTheRoot) {
  EXPECT_EQ(Run({{"readme.txt", Bytes("r")}, {"file_id.diz", Bytes("My Tool 1.0\r\n")}}), 0);
  EXPECT_EQ(Diz(), "My Tool 1.0\r\n");
  EXPECT_EQ(Written(), kOnlyDiz);
}

TEST_F(UnAceDll, ExtractsUpperCaseDizFromAFolderWithoutTheFolder) {
  EXPECT_EQ(Run({{"DOCS", {}, 0, 0x10}, {"DOCS\\FILE_ID.DIZ", Bytes("In a folder")}}), 0);
  EXPECT_EQ(Diz(), "In a folder");
  EXPECT_FALSE(testing_support::FolderExists(temp_ / "out\\dest\\DOCS"));
  ASSERT_EQ(Written().size(), 1u);
}

TEST_F(UnAceDll, NearNamesDoNotMatch) {
  EXPECT_EQ(Run({{"file_id.diz.txt", Bytes("a")}, {"my_file_id.diz", Bytes("b")}, {"file_id.di", Bytes("c")}}),
            kAceNotFound);
  EXPECT_TRUE(Written().empty());
}

TEST_F(UnAceDll, LastOfTwoMatchesWinsAndAnOlderFileIsReplaced) {
  testing_support::MakeFolder(temp_ / "out");
  testing_support::MakeFolder(temp_ / "out\\dest");
  testing_support::WriteText(temp_ / "out\\dest\\file_id.diz", "from the archive before, longer than both");
  EXPECT_EQ(Run({{"file_id.diz", Bytes("first")}, {"sub\\File_Id.Diz", Bytes("second")}}), 0);
  EXPECT_EQ(Diz(), "second");
  EXPECT_EQ(Written().size(), 1u);
}

// What is kept of a settled archive is written again on every call and follows the archive's changes.
TEST_F(UnAceDll, KeptOutcomesAreWrittenAgainAndFollowTheArchive) {
  const std::string archive = temp_ / "in\\test.ace";
  const std::string diz = temp_ / "out\\dest\\file_id.diz";
  int age = 100;
  for (const char* text : {"first", "other", "x"}) {
    EXPECT_EQ(Run({{"DOCS\\FILE_ID.DIZ", Bytes(text)}}), 0);
    ASSERT_TRUE(testing_support::WrittenAgo(archive, age -= 10));
    for (int call = 0; call < 2; ++call) {
      if (call == 1) DeleteFileA(diz.c_str());
      EXPECT_EQ(ExtractDiz(archive, temp_ / "out\\dest"), 0) << text;
      EXPECT_EQ(Diz(), text);
    }
  }
  EXPECT_EQ(Run({{"readme.txt", Bytes("r")}}), kAceNotFound);
  ASSERT_TRUE(testing_support::WrittenAgo(archive, 10));
  DeleteFileA(diz.c_str());
  EXPECT_EQ(ExtractDiz(archive, temp_ / "out\\dest"), kAceNotFound);
  EXPECT_EQ(ExtractDiz(archive, temp_ / "out\\dest"), kAceNotFound);
  EXPECT_TRUE(Written().empty());
}

TEST_F(UnAceDll, ReplacesAReadOnlyOlderFile) {
  testing_support::MakeFolder(temp_ / "out");
  testing_support::MakeFolder(temp_ / "out\\dest");
  const std::string old = temp_ / "out\\dest\\file_id.diz";
  testing_support::WriteText(old, "old");
  SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Run({{"file_id.diz", Bytes("new")}}), 0);
  EXPECT_EQ(Diz(), "new");
  SetFileAttributesA(old.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(UnAceDll, AGoodMatchSurvivesABadOneAfterIt) {
  EXPECT_EQ(Run({{"file_id.diz", Bytes("good")}, {"x\\file_id.diz", Bytes("bad"), 0, 0x20, true}}), 0);
  EXPECT_EQ(Diz(), "good");
  EXPECT_EQ(Written(), kOnlyDiz);
}

TEST_F(UnAceDll, TruncatedArchiveWritesNothing) {
  const std::vector<StoredMember> members = {{"file_id.diz", Bytes(std::string(5000, 'd'))}};
  auto archive = MakeStoredArchive(members);
  archive.resize(ace_testing::DataOffset(members, 0) + 2500);
  EXPECT_NE(RunBytes(archive), 0);
  EXPECT_TRUE(Written().empty());
}

TEST_F(UnAceDll, HeaderCrcErrorWritesNothing) {
  const std::vector<StoredMember> members = {{"file_id.diz", Bytes("description")}};
  auto archive = MakeStoredArchive(members);
  archive[ace_testing::DataOffset(members, 0) - 3] ^= 0x01;  // inside the name
  EXPECT_EQ(RunBytes(archive), kAceBadArchive);
  EXPECT_TRUE(Written().empty());
}

TEST_F(UnAceDll, DataCrcErrorKeepsTheOlderFile) {
  testing_support::MakeFolder(temp_ / "out");
  testing_support::MakeFolder(temp_ / "out\\dest");
  testing_support::WriteText(temp_ / "out\\dest\\file_id.diz", "older");
  EXPECT_EQ(Run({{"file_id.diz", Bytes("newer but damaged"), 0, 0x20, true}}), kAceDataError);
  EXPECT_EQ(Diz(), "older");
  EXPECT_EQ(Written(), kOnlyDiz);
}

TEST_F(UnAceDll, DotDotPathLandsInTheDestinationOnly) {
  EXPECT_EQ(Run({{"..\\..\\file_id.diz", Bytes("climber")}}), 0);
  EXPECT_EQ(Diz(), "climber");
  EXPECT_EQ(Written(), kOnlyDiz);
}

TEST_F(UnAceDll, HostileFilePartsAreNeverWritten) {
  AceExtractRecord record;
  std::memset(&record, 0, sizeof record);
  record.names = "..;.;con";
  testing_support::MakeFolder(temp_ / "dest");
  const std::string dest = temp_ / "dest";
  record.destination = dest.c_str();
  testing_support::WriteBytes(temp_ / "a.ace",
                              MakeStoredArchive({{"a\\..", Bytes("1")}, {"b\\.", Bytes("2")}, {"c\\CON", Bytes("3")}}));
  EXPECT_EQ(extract_((temp_ / "a.ace").c_str(), &record), kAceNotFound);
  EXPECT_EQ(testing_support::ListFilesRecursively(temp_.path()), std::vector<std::string>{"a.ace"});
}

TEST_F(UnAceDll, MembersOverOneMebibyteAreRefused) {
  std::vector<std::uint8_t> big(kAceExtractLimit + 1, 'x');
  EXPECT_EQ(Run({{"file_id.diz", big}}), kAceTooLarge);
  EXPECT_TRUE(Written().empty());
  std::vector<std::uint8_t> fits(kAceExtractLimit, 'y');
  EXPECT_EQ(Run({{"file_id.diz", fits}}), 0);
  EXPECT_EQ(Written(), kOnlyDiz);
}

TEST_F(UnAceDll, ExtractsTheDescriptionBehindSoundAndPictureMembersOfASolidArchive) {
  using ace_testing::BlockedStream;
  BlockedStream media;
  media.Literals(Bytes("RIFF"));
  media.Switch(BlockedStream::kSound16);
  media.SoundCodes(std::vector<int>(400, 45));
  media.Switch(BlockedStream::kPicture, 64, 3);
  media.PictureRows(4, 3);
  BlockedStream diz;
  diz.Literals(Bytes("My Tool"));
  diz.Match(200, 20);  // back into the picture
  const auto archive = ace_testing::MakeBlockedArchive(
      {{"media.bin", media.Finish(), static_cast<std::uint32_t>(media.size())}, {"file_id.diz", diz.Finish(), 27}},
      true);
  EXPECT_EQ(RunBytes(archive), 0);
  EXPECT_EQ(Diz().substr(0, 7), "My Tool");
  EXPECT_EQ(Diz().size(), 27u);
}

// A solid archive's members in front of the description are decoded only to get past them, and only
// so far: one byte repeated takes a few bits per 257 bytes.
TEST_F(UnAceDll, SolidArchivesAskingTooMuchToGetToTheDescriptionFail) {
  const auto archive_with = [](std::uint32_t skipped) {
    ace_testing::BlockedStream big;
    big.Literals(Bytes("z"));
    while (big.size() + 257 <= skipped) big.Match(1, 257);
    ace_testing::BlockedStream diz;
    diz.Literals(Bytes("My Tool"));
    return ace_testing::MakeBlockedArchive(
        {{"big.bin", big.Finish(), static_cast<std::uint32_t>(big.size())}, {"file_id.diz", diz.Finish(), 7}}, true);
  };
  EXPECT_EQ(RunBytes(archive_with(kAceExtractLimit * 2)), 0);
  EXPECT_EQ(Diz(), "My Tool");
  DeleteFileA((temp_ / "out\\dest\\file_id.diz").c_str());
  EXPECT_EQ(RunBytes(archive_with(kAceSkipLimit + 257)), kAceDataError);
  EXPECT_TRUE(Written().empty());
}

TEST_F(UnAceDll, EncryptedAndSplitMembersFailWithoutOutput) {
  EXPECT_EQ(Run({{"file_id.diz", Bytes("secret"), 0x4000}}), kAceUnsupported);
  EXPECT_EQ(Run({{"file_id.diz", Bytes("half"), 0x2000}}), kAceUnsupported);
  EXPECT_TRUE(Written().empty());
}

TEST_F(UnAceDll, BadCallsFailCleanly) {
  AceExtractRecord record;
  std::memset(&record, 0, sizeof record);
  EXPECT_EQ(extract_("x.ace", &record), kAceBadArgument);
  EXPECT_EQ(extract_(nullptr, &record), kAceBadArgument);
  record.names = "file_id.diz";
  record.destination = "";
  EXPECT_EQ(extract_((temp_ / "missing.ace").c_str(), &record), kAceCannotOpen);
  testing_support::WriteText(temp_ / "not.ace", "this is no archive");
  EXPECT_EQ(extract_((temp_ / "not.ace").c_str(), &record), kAceBadArchive);
  // Destination folder that does not exist.
  testing_support::WriteBytes(temp_ / "a.ace", MakeStoredArchive({{"file_id.diz", Bytes("d")}}));
  const std::string nowhere = temp_ / "no\\such\\folder";
  record.destination = nowhere.c_str();
  EXPECT_EQ(extract_((temp_ / "a.ace").c_str(), &record), kAceWriteError);
  EXPECT_EQ(testing_support::ListFilesRecursively(temp_.path()), (std::vector<std::string>{"a.ace", "not.ace"}));
}

}  // namespace
