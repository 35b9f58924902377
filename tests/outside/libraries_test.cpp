// unrar.dll and Unzipw32.dll called directly: records, operations, refusals and real archives.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "archive_makers.h"
#include "failing_allocations.h"
#include "outcome_cache.h"
#include "sandbox.h"
#include "test_support.h"
#include "unrar.h"
#include "unzipw32.h"
#include "zip_legacy.h"

using makers::Bytes;
using makers::Entry;
using testing_support::FileExists;
using testing_support::ListFilesRecursively;
using testing_support::ReadText;
using testing_support::WriteText;
using testing_support::WrittenAgo;

namespace {

class Rar : public Sandboxed {
 protected:
  // Opens for extraction; the comment buffer is watched for writes it must not get.
  RarHandle Open(const std::string& path) {
    std::memset(comment_, 'c', sizeof comment_);
    RarOpenRecord record{};
    record.archive_name = path.c_str();
    record.open_mode = 1;
    record.comment_buffer = comment_;
    record.comment_buffer_size = sizeof comment_;
    record.open_result = 99;
    RarHandle handle = RAROpenArchive(&record);
    open_result_ = static_cast<int>(record.open_result);
    return handle;
  }
  bool CommentUntouched() const {
    for (char c : comment_) {
      if (c != 'c') return false;
    }
    return true;
  }
  // Extracts every file entry into out; returns the failures as "name:code".
  std::vector<std::string> ExtractAll(const std::string& archive, const std::string& out, int* status) {
    std::vector<std::string> failures;
    RarHandle handle = Open(archive);
    *status = -1;
    if (!handle) return failures;
    RarHeaderRecord header{};
    for (int i = 0; i < 1000 && (*status = RARReadHeader(handle, &header)) == kRarOk; ++i) {
      if (header.flags & kRarEntryFolder) continue;
      const int result = RARProcessFile(handle, kRarExtract, const_cast<char*>(out.c_str()), nullptr);
      if (result != kRarOk) failures.push_back(std::string(header.file_name) + ":" + std::to_string(result));
    }
    RARCloseArchive(handle);
    return failures;
  }
  int open_result_ = -1;

 private:
  char comment_[512];
};

TEST_F(Rar, HeadersCarryNamesWithBackslashesAndEndCleanly) {
  for (auto make : {makers::MakeRar4, makers::MakeRar5}) {
    const std::string path = Put("a.rar", make({{"DOCS", "", true}, {"DOCS/Sub/FILE_ID.DIZ", "12345"}}));
    RarHandle handle = Open(path);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(open_result_, kRarOk);
    RarHeaderRecord header;
    std::memset(&header, 'h', sizeof header);
    header.comment_buffer = nullptr;
    ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
    EXPECT_STREQ(header.archive_name, path.c_str());
    EXPECT_STREQ(header.file_name, "DOCS");
    EXPECT_EQ(header.flags, kRarEntryFolder);
    EXPECT_EQ(RARProcessFile(handle, kRarSkip, nullptr, nullptr), kRarOk);
    ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
    EXPECT_STREQ(header.file_name, "DOCS\\Sub\\FILE_ID.DIZ");
    EXPECT_EQ(header.flags, 0u);
    EXPECT_EQ(header.unpacked_size, 5u);
    EXPECT_EQ(header.comment_buffer, nullptr);
    // Reading on without processing skips the entry.
    EXPECT_EQ(RARReadHeader(handle, &header), kRarEndOfArchive);
    EXPECT_EQ(RARProcessFile(handle, kRarExtract, nullptr, nullptr), kRarBadArgument);
    EXPECT_EQ(RARCloseArchive(handle), kRarOk);
    EXPECT_TRUE(CommentUntouched());
  }
}

TEST_F(Rar, LongNamesAreCutAndNotWritten) {
  const std::string name = std::string(200, 'a') + "\\" + std::string(99, 'b');
  RarHandle handle = Open(Put("a.rar", makers::MakeRar4({{name, "x"}})));
  ASSERT_NE(handle, nullptr);
  RarHeaderRecord header{};
  ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
  EXPECT_EQ(std::string(header.file_name), name.substr(0, 259));
  const std::string out = Folder("out");
  EXPECT_EQ(RARProcessFile(handle, kRarExtract, const_cast<char*>(out.c_str()), nullptr), kRarOk);
  EXPECT_EQ(ListFilesRecursively(out), std::vector<std::string>{std::string(99, 'b')});
  RARCloseArchive(handle);

  handle = Open(Put("b.rar", makers::MakeRar5({{std::string(300, 'c'), "x"}})));
  ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
  EXPECT_EQ(std::strlen(header.file_name), 259u);
  EXPECT_EQ(RARProcessFile(handle, kRarExtract, const_cast<char*>(out.c_str()), nullptr), kRarUnsafeName);
  RARCloseArchive(handle);
}

TEST_F(Rar, ExtractionWritesTheFilePartIntoTheFolderOrExactlyTheGivenName) {
  const std::string path = Put("a.rar", makers::MakeRar5({{"a/b/c.txt", "abc"}, {"d.txt", "d"}}));
  const std::string out = Folder("out");
  RarHandle handle = Open(path);
  RarHeaderRecord header{};
  ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
  EXPECT_EQ(RARProcessFile(handle, kRarExtract, const_cast<char*>(out.c_str()), nullptr), kRarOk);
  ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
  std::string target = box / "chosen.name";
  EXPECT_EQ(RARProcessFile(handle, kRarExtract, const_cast<char*>(out.c_str()), target.data()), kRarOk);
  RARCloseArchive(handle);
  EXPECT_EQ(ListFilesRecursively(out), std::vector<std::string>{"c.txt"});
  EXPECT_EQ(ReadText(out + "\\c.txt"), "abc");
  EXPECT_EQ(ReadText(target), "d");
}

TEST_F(Rar, DangerousNamesNeverLeaveTheFolder) {
  const std::vector<std::string> names = {"..\\..\\up.txt", "C:\\drive.txt", "\\root.txt", "..",      "x\\..", "CON",
                                          "nul.txt",        "trail.",        "a:b",        "Lpt1.log"};
  std::vector<Entry> entries;
  for (const auto& name : names) entries.push_back({name, "n"});
  const std::string out = Folder("out");
  // The same names packed by RAR 2.0 go through our own reader rather than libarchive.
  auto packed = [](const std::vector<Entry>& given) {
    std::vector<Entry> entries = given;
    for (Entry& e : entries) {
      e.rar4_version = 20;
      e.rar4_method = 0x33;
      e.packed = makers::PackRar20({{e.data}});
    }
    return makers::MakeRar4(entries);
  };
  for (auto make : {makers::MakeRar4, makers::MakeRar5, +packed}) {
    RarHandle handle = Open(Put("a.rar", make(entries)));
    RarHeaderRecord header{};
    while (RARReadHeader(handle, &header) == kRarOk) {
      RARProcessFile(handle, kRarExtract, const_cast<char*>(out.c_str()), nullptr);
    }
    RARCloseArchive(handle);
  }
  // Only plain file names, directly in the folder.
  EXPECT_EQ(ListFilesRecursively(out), (std::vector<std::string>{"b", "drive.txt", "root.txt", "up.txt"}));
}

TEST_F(Rar, DamagedOrOversizedEntriesNeverReplaceAGoodFile) {
  const std::string out = Folder("out");
  WriteText(out + "\\file_id.diz", "good");
  Bytes corrupt = makers::MakeRar4({{"file_id.diz", "0123456789ABCDEF"}});
  ASSERT_TRUE(makers::CorruptFirst(corrupt, "89AB"));
  struct Case {
    Bytes archive;
    int test, extract;
  };
  const Case cases[] = {
      {makers::MakeRar4({{"file_id.diz", "bad", false, true}}), kRarBadData, kRarBadData},
      {makers::MakeRar5({{"file_id.diz", "bad", false, true}}), kRarBadData, kRarBadData},
      {corrupt, kRarBadData, kRarBadData},
      {makers::MakeRar5({{"file_id.diz", std::string((1u << 20) + 1, 'x')}}), kRarOk, kRarTooLarge},
      // Marked as RAR 2.0 compression, which these bytes are not.
      {makers::MakeRar4({{"file_id.diz", "not really packed", false, false, 20, 0x33}}), kRarBadData, kRarBadData},
  };
  for (const Case& c : cases) {
    for (int op : {kRarTest, kRarExtract}) {
      RarHandle handle = Open(Put("a.rar", c.archive));
      RarHeaderRecord header{};
      ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
      EXPECT_EQ(RARProcessFile(handle, op, const_cast<char*>(out.c_str()), nullptr),
                op == kRarTest ? c.test : c.extract);
      RARCloseArchive(handle);
    }
  }
  EXPECT_EQ(ListFilesRecursively(out), std::vector<std::string>{"file_id.diz"});
  EXPECT_EQ(ReadText(out + "\\file_id.diz"), "good");
}

TEST_F(Rar, OpenFailuresAndBadCalls) {
  EXPECT_EQ(Open(box / "missing.rar"), nullptr);
  EXPECT_EQ(open_result_, kRarOpenFailed);
  EXPECT_EQ(Open(Put("text.rar", Bytes(3000, 't'))), nullptr);
  EXPECT_EQ(open_result_, kRarNotArchive);
  EXPECT_EQ(Open(Put("zip.rar", makers::MakeZip({{"file_id.diz", "z"}}))), nullptr);
  EXPECT_EQ(open_result_, kRarNotArchive);
  EXPECT_EQ(RAROpenArchive(nullptr), nullptr);
  RarHeaderRecord header{};
  EXPECT_EQ(RARReadHeader(nullptr, &header), kRarBadArgument);
  EXPECT_EQ(RARProcessFile(nullptr, kRarSkip, nullptr, nullptr), kRarBadArgument);
  EXPECT_EQ(RARCloseArchive(nullptr), kRarBadArgument);
  RarHandle handle = Open(Put("a.rar", makers::MakeRar4({{"f", "x"}})));
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(RARProcessFile(handle, kRarSkip, nullptr, nullptr), kRarBadArgument);
  ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
  EXPECT_EQ(RARProcessFile(handle, 7, nullptr, nullptr), kRarBadArgument);
  EXPECT_EQ(RARCloseArchive(handle), kRarOk);
}

// Archives written by real RAR versions decode; damaged copies fail without harm and never yield
// bytes that differ from the undamaged archive's.
TEST_F(Rar, RealArchives) {
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  for (const char* name :
       {"libarchive__test_read_format_rar.rar", "libarchive__test_read_format_rar_windows.rar",
        "libarchive__test_read_format_rar5_compressed.rar", "libarchive__test_read_format_rar5_solid.rar",
        "rarfile__rar3-subdirs.rar", "rarfile__rar5-subdirs.rar"}) {
    SCOPED_TRACE(name);
    const std::string good = Folder("good");
    int status = 0;
    auto failures = ExtractAll(fixtures + "\\rar\\" + name, good, &status);
    EXPECT_EQ(status, kRarEndOfArchive);
    // Links are not written.
    const std::string link = std::string("testlink:").append(std::to_string(kRarBadData));
    if (!failures.empty() && failures[0] == link) failures.erase(failures.begin());
    EXPECT_EQ(failures, std::vector<std::string>{});
    const auto files = ListFilesRecursively(good);
    EXPECT_FALSE(files.empty());
    for (const auto& file : files) EXPECT_EQ(file.find('\\'), std::string::npos) << file;

    const Bytes original = testing_support::ReadBytes(fixtures + "\\rar\\" + name);
    for (size_t part = 1; part < 8; ++part) {
      Bytes damaged = original;
      damaged[damaged.size() * part / 8] ^= 0x5A;
      const std::string bad = Folder("bad");
      ExtractAll(Put("damaged.rar", damaged), bad, &status);
      for (const auto& file : ListFilesRecursively(bad)) {
        EXPECT_EQ(testing_support::ReadBytes(bad + "\\" + file), testing_support::ReadBytes(good + "\\" + file))
            << file << " from damage at " << part << "/8";
      }
      testing_support::RemoveRecursively(bad);
    }
    testing_support::RemoveRecursively(good);
  }
  for (const char* name :
       {"libarchive__test_read_format_rar5_distance_overflow.rar", "libarchive__test_read_format_rar_invalid1.rar",
        "sharpcompress__Rar.malformed_512byte.rar"}) {
    SCOPED_TRACE(name);
    const std::string out = Folder("out");
    int status = 0;
    ExtractAll(fixtures + "\\malformed\\" + name, out, &status);
    for (const auto& file : ListFilesRecursively(out)) EXPECT_EQ(file.find('\\'), std::string::npos) << file;
    testing_support::RemoveRecursively(out);
  }
}

// Every file member of a fixture through one operation; the result of each, named by its header.
struct Outcome {
  std::vector<std::string> results;  // "name:code"
  int end = -1;
};

class RarLegacy : public Rar {
 protected:
  // Tests every file member, or extracts each under its number into out.
  Outcome Run(const std::string& archive, int operation, const std::string& out = "") {
    Outcome outcome;
    RarHandle handle = Open(archive);
    if (!handle) return outcome;
    RarHeaderRecord header{};
    for (int i = 0; i < 1000 && (outcome.end = RARReadHeader(handle, &header)) == kRarOk; ++i) {
      if (header.flags & kRarEntryFolder) {
        RARProcessFile(handle, kRarSkip, nullptr, nullptr);
        continue;
      }
      std::string target = out + "\\" + std::to_string(outcome.results.size());
      const int result = RARProcessFile(handle, operation, nullptr, operation == kRarExtract ? target.data() : nullptr);
      outcome.results.push_back(std::string(header.file_name) + ":" + std::to_string(result));
      if (result == kRarOk && operation == kRarExtract) {
        EXPECT_EQ(testing_support::ReadBytes(target).size(), header.unpacked_size) << header.file_name;
      }
    }
    RARCloseArchive(handle);
    return outcome;
  }
  // Opens archive and extracts its member number index (counting every header) into target,
  // after the given operations on the members before it.
  int ExtractAfter(const std::string& archive, const std::vector<int>& before, std::string target) {
    RarHandle handle = Open(archive);
    RarHeaderRecord header{};
    for (int op : before) {
      if (RARReadHeader(handle, &header) != kRarOk) return -1;
      if (op >= 0) RARProcessFile(handle, op, const_cast<char*>(box.path().c_str()), nullptr);
    }
    if (RARReadHeader(handle, &header) != kRarOk) return -1;
    const int result = RARProcessFile(handle, kRarExtract, nullptr, target.data());
    RARCloseArchive(handle);
    return result;
  }
};

// Archives packed by RAR 1.5 and 2.0 decode to their CRCs, and damaged copies yield nothing else.
TEST_F(RarLegacy, RealArchivesOfRar15And20) {
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  const std::string rar15 = fixtures + "\\legacy\\sharpcompress__Rar15.rar";
  const std::string rar20 = fixtures + "\\legacy\\sharpcompress__Rar2.rar";
  const std::string comment = fixtures + "\\legacy\\rarfile__rar202-comment-nopsw.rar";
  const std::vector<std::string> ok15 = {"EXE\\TEST.EXE:0", "JPG\\TEST.JPG:0", "TECT.TXT:0"};
  const std::vector<std::string> ok20 = {"exe\\test.exe:0", "jpg\\test.jpg:0", "????.txt:0"};
  const std::vector<std::string> ok202 = {"FILE1.TXT:0", "FILE2.TXT:0"};
  RarHandle handle = Open(rar15);
  RarHeaderRecord header{};
  ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
  EXPECT_EQ(header.flags, kRarEntryFolder);
  EXPECT_EQ(header.file_attributes, 0x10u);
  ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
  EXPECT_EQ(header.flags, 0u);
  EXPECT_EQ(header.unpacked_size, 45056u);
  EXPECT_EQ(header.file_time, 0x55019AE2u);  // 2022-08-01 19:23:04 as stored
  EXPECT_EQ(header.file_attributes, 0x20u);
  RARCloseArchive(handle);
  for (int op : {kRarTest, kRarExtract}) {
    EXPECT_EQ(Run(rar15, op, Folder("15")).results, ok15);
    EXPECT_EQ(Run(rar20, op, Folder("20")).results, ok20);
    const Outcome outcome = Run(comment, op, Folder("202"));
    EXPECT_EQ(outcome.results, ok202);
    EXPECT_EQ(outcome.end, kRarEndOfArchive);
  }
  // Both archives hold the same three files.
  for (const char* n : {"0", "1", "2"}) {
    EXPECT_EQ(testing_support::ReadBytes(box / "15\\" + n), testing_support::ReadBytes(box / "20\\" + n)) << n;
  }
  EXPECT_EQ(ReadText(box / "202\\0"), "file1\r\n");

  for (const std::string& archive : {rar15, rar20}) {
    const Bytes original = testing_support::ReadBytes(archive);
    const std::string good = archive == rar15 ? box / "15" : box / "20";
    for (size_t part = 1; part < 16; ++part) {
      Bytes damaged = original;
      damaged[damaged.size() * part / 16] ^= 0x21;
      const std::string bad = Folder("bad");
      Run(Put("damaged.rar", damaged), kRarExtract, bad);
      for (const auto& file : ListFilesRecursively(bad)) {
        EXPECT_EQ(testing_support::ReadBytes(bad + "\\" + file), testing_support::ReadBytes(good + "\\" + file))
            << file << " from damage at " << part << "/16";
      }
      testing_support::RemoveRecursively(bad);
    }
  }
}

// A RAR 2.0 member packed as given, solid or not.
Entry RarMember(const std::string& name, const std::string& data, const std::string& packed, bool solid) {
  Entry e{name, data, false, false, 20, 0x33};
  e.packed = packed;
  e.solid = solid;
  return e;
}

// In a solid archive a member passed over, by a skip or by reading on, is still decoded when a
// later member needs its bytes; after a damaged one the chain fails until a member starts anew.
TEST_F(RarLegacy, SolidMembersPassedOverAreStillDecoded) {
  const std::string text = "Solid archives share one window.\r\n";
  const auto len = static_cast<std::uint32_t>(text.size());
  const Entry first = RarMember("readme.txt", text, makers::PackRar20({{text}}), false);
  const Entry diz =
      RarMember("FILE_ID.DIZ", text + text + "!", makers::PackRar20({{"", len, len, 1}, {"!"}}, false), true);
  const Entry fresh = RarMember("c.txt", "fresh", makers::PackRar20({{"fresh"}}), false);
  const std::string archive = Put("solid.rar", makers::MakeRar4({first, diz, fresh}));
  const std::string target = box / "out.diz";
  for (const std::vector<int>& before : std::vector<std::vector<int>>{{kRarSkip}, {-1}, {kRarTest}, {kRarExtract}}) {
    testing_support::WriteText(target, "");
    EXPECT_EQ(ExtractAfter(archive, before, target), kRarOk) << before[0];
    EXPECT_EQ(ReadText(target), text + text + "!") << before[0];
  }

  Entry broken = first;
  broken.bad_crc = true;
  const std::string damaged = Put("damaged.rar", makers::MakeRar4({broken, diz, fresh}));
  testing_support::WriteText(target, "kept");
  EXPECT_EQ(ExtractAfter(damaged, {kRarSkip}, target), kRarBadData);
  EXPECT_EQ(ExtractAfter(damaged, {kRarTest}, target), kRarBadData);
  EXPECT_EQ(ReadText(target), "kept");
  EXPECT_EQ(ExtractAfter(damaged, {kRarSkip, kRarSkip}, target), kRarOk);
  EXPECT_EQ(ReadText(target), "fresh");
}

// A settled archive is answered from the last session on it until the calls differ; then it is
// read again from where the caller stands, with the same results as a fresh copy.
TEST_F(RarLegacy, KeptSessionsAnswerLikeTheArchive) {
  const std::string text = "Solid archives share one window.\r\n";
  const auto len = static_cast<std::uint32_t>(text.size());
  Entry broken = RarMember("readme.txt", text, makers::PackRar20({{text}}), false);
  broken.bad_crc = true;
  const Entry diz =
      RarMember("FILE_ID.DIZ", text + text + "!", makers::PackRar20({{"", len, len, 1}, {"!"}}, false), true);
  const Entry fresh = RarMember("c.txt", "fresh", makers::PackRar20({{"fresh"}}), false);
  const Bytes bytes = makers::MakeRar4({broken, diz, fresh});
  const std::string settled = Put("settled.rar", bytes);
  ASSERT_TRUE(WrittenAgo(settled, 60));
  const std::string copy = Put("copy.rar", bytes);
  const std::string target = box / "out.diz";
  for (const std::vector<int>& before : std::vector<std::vector<int>>{
           {kRarSkip}, {kRarSkip}, {kRarTest}, {kRarSkip, kRarSkip}, {kRarExtract, kRarSkip}, {kRarSkip, kRarSkip}}) {
    testing_support::WriteText(target, "kept");
    const int expected = ExtractAfter(copy, before, target);
    const std::string expected_text = ReadText(target);
    testing_support::WriteText(target, "kept");
    EXPECT_EQ(ExtractAfter(settled, before, target), expected) << before[0] << " of " << before.size();
    EXPECT_EQ(ReadText(target), expected_text) << before[0] << " of " << before.size();
  }
}

// Memory that ran out while a RAR 2.0 archive was opened left it to libarchive, which does not
// decode that method: those answers are not kept for the archive.
TEST_F(RarLegacy, AnswersAfterMemoryRanOutAreNotKept) {
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  const std::string archive =
      Put("rar20.rar", testing_support::ReadBytes(fixtures + "\\legacy\\sharpcompress__Rar2.rar"));
  ASSERT_TRUE(WrittenAgo(archive, 60));
  FailingAllocations allocations(GetModuleHandleA("unrar.dll"));
  ASSERT_TRUE(allocations.hooked());
  // Above the 4 KiB header window, below libarchive's buffers: the state of our own reader.
  allocations.Fail(4097, 16000);
  RarHandle handle = Open(archive);
  allocations.Stop();
  ASSERT_NE(handle, nullptr);
  ASSERT_GT(allocations.failures(), 0);
  std::vector<int> starved;
  RarHeaderRecord header{};
  while (RARReadHeader(handle, &header) == kRarOk) {  // the calls Run makes
    const bool folder = header.flags & kRarEntryFolder;
    const int result = RARProcessFile(handle, folder ? kRarSkip : kRarTest, nullptr, nullptr);
    if (!folder) starved.push_back(result);
  }
  RARCloseArchive(handle);
  ASSERT_NE(starved, std::vector<int>(starved.size(), kRarOk));
  EXPECT_EQ(Run(archive, kRarTest, Folder("fed")).results,
            (std::vector<std::string>{"exe\\test.exe:0", "jpg\\test.jpg:0", "????.txt:0"}));
}

// A member declaring gigabytes that a solid member after it needs: decoding stops at a budget.
TEST_F(RarLegacy, HostileSolidArchiveFailsWithinTheDecodingBudget) {
  Entry big{"big.bin", "", false, false, 20, 0x33};
  big.declared_size = 0xFFFFFFF0u;
  big.packed = makers::PackRar20({{"x", 1, 258, 400000}});  // 100 MB from 450 KB
  Entry diz{"file_id.diz", "tiny", false, false, 20, 0x33};
  diz.packed = makers::PackRar20({{"tiny"}}, false);
  diz.solid = true;
  const std::string archive = Put("hostile.rar", makers::MakeRar4({big, diz}));
  const std::string target = box / "file_id.diz";
  EXPECT_EQ(ExtractAfter(archive, {kRarSkip}, target), kRarBadData);
  EXPECT_FALSE(FileExists(target));
  RarHandle handle = Open(archive);
  RarHeaderRecord header{};
  ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
  EXPECT_EQ(header.unpacked_size, 0xFFFFFFF0u);
  EXPECT_EQ(RARProcessFile(handle, kRarTest, nullptr, nullptr), kRarBadData);
  RARCloseArchive(handle);
}

// Whether a session on archive is kept: it is answered although the archive cannot be opened.
bool SessionKept(const std::string& archive) {
  const HANDLE hold = CreateFileA(archive.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(hold, INVALID_HANDLE_VALUE);
  RarOpenRecord record{};
  record.archive_name = archive.c_str();
  record.open_mode = 1;
  RarHandle handle = RAROpenArchive(&record);
  if (handle) RARCloseArchive(handle);
  CloseHandle(hold);
  return handle != nullptr;
}

// Memory that ran out inside a call (here while a member was read) leaves the session where no
// answer of the archive put it: nothing of that session is kept. One without it is.
TEST_F(Rar, ASessionWithAnExceptionIsNotKept) {
  const Bytes bytes = makers::MakeRar4({{"big.txt", std::string(300000, 'b')}, {"file_id.diz", "diz"}});
  FailingAllocations allocations(GetModuleHandleA("unrar.dll"));
  ASSERT_TRUE(allocations.hooked());
  const std::string out = Folder("out");
  for (const bool starved : {false, true}) {
    SCOPED_TRACE(starved ? "starved" : "fed");
    const std::string archive = Put(starved ? "starved.rar" : "fed.rar", bytes);
    ASSERT_TRUE(WrittenAgo(archive, 60));
    RarHandle handle = Open(archive);
    ASSERT_NE(handle, nullptr);
    RarHeaderRecord header{};
    EXPECT_EQ(RARReadHeader(handle, &header), kRarOk);
    if (starved) allocations.Fail(200000);
    const int big = RARProcessFile(handle, kRarExtract, const_cast<char*>(out.c_str()), nullptr);
    allocations.Stop();
    EXPECT_EQ(big, starved ? kRarNoMemory : kRarOk);
    EXPECT_EQ(RARReadHeader(handle, &header), kRarOk);
    EXPECT_EQ(RARProcessFile(handle, kRarExtract, const_cast<char*>(out.c_str()), nullptr), kRarOk);
    EXPECT_EQ(RARReadHeader(handle, &header), kRarEndOfArchive);
    RARCloseArchive(handle);
    EXPECT_EQ(SessionKept(archive), !starved);
  }
}

class Unzip : public Sandboxed {};

// Memory that ran out while the description was decoded says nothing about the archive.
TEST_F(Unzip, AnOutOfMemoryIsNotKeptAsTheAnswer) {
  const std::string out = Folder("out");
  const std::string zip = Put("a.zip", makers::MakeZip({{"file_id.diz", "text"}}, makers::ZipMethod::kDeflate));
  ASSERT_TRUE(WrittenAgo(zip, 60));
  FailingAllocations allocations(GetModuleHandleA("unzipw32.dll"));
  ASSERT_TRUE(allocations.hooked());
  allocations.Fail(200000);
  EXPECT_EQ(FileUnzipEx(zip.c_str(), out.c_str(), "file_id.diz"), 0);
  allocations.Stop();
  ASSERT_GT(allocations.failures(), 0);
  EXPECT_EQ(FileUnzipEx(zip.c_str(), out.c_str(), "file_id.diz"), 1);
  EXPECT_EQ(ReadText(out + "\\file_id.diz"), "text");
}

TEST_F(Unzip, ExtractsEveryMatchCaseBlindFromAnyFolder) {
  const std::string out = Folder("out");
  const std::vector<Entry> entries = {
      {"FILE_ID.DIZ", "root"}, {"docs/", "", true}, {"docs/file_id.diz", "docs"}, {"file_id.diz.txt", "near"}};
  EXPECT_EQ(FileUnzipEx(Put("a.zip", makers::MakeZip(entries)).c_str(), out.c_str(), "file_id.diz"), 2);
  EXPECT_EQ(ListFilesRecursively(out).size(), 1u);
  EXPECT_EQ(ReadText(out + "\\file_id.diz"), "docs");
  EXPECT_EQ(FileUnzipEx(Put("b.zip", makers::MakeZip(entries)).c_str(), (out + "\\").c_str(), "File_Id.Diz"), 2);
  EXPECT_EQ(FileUnzipEx(Put("c.zip", makers::MakeZip(entries)).c_str(), out.c_str(), "nothing.txt"), 0);
}

TEST_F(Unzip, DeflateAndZip64) {
  const std::string out = Folder("out");
  const std::string text = "Compressible description line.\r\n";
  std::string big;
  for (int i = 0; i < 200; ++i) big += text;
  const std::vector<Entry> entries = {{"other.bin", std::string(100000, 'o')}, {"x/file_id.diz", big}};
  EXPECT_EQ(FileUnzipEx(Put("d.zip", makers::MakeZip(entries, makers::ZipMethod::kDeflate)).c_str(), out.c_str(),
                        "file_id.diz"),
            1);
  EXPECT_EQ(ReadText(out + "\\file_id.diz"), big);
  WriteText(out + "\\file_id.diz", "");
  EXPECT_EQ(FileUnzipEx(Put("e.zip", makers::MakeZip(entries, makers::ZipMethod::kDeflate, true)).c_str(), out.c_str(),
                        "file_id.diz"),
            1);
  EXPECT_EQ(ReadText(out + "\\file_id.diz"), big);
}

TEST_F(Unzip, DamagedOrOversizedEntriesNeverReplaceAGoodFile) {
  const std::string out = Folder("out");
  WriteText(out + "\\file_id.diz", "good");
  Bytes stored = makers::MakeZip({{"file_id.diz", "0123456789ABCDEF"}});
  ASSERT_TRUE(makers::CorruptFirst(stored, "89AB"));
  std::string text;
  for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + "\r\n";
  Bytes deflated = makers::MakeZip({{"file_id.diz", text}}, makers::ZipMethod::kDeflate);
  deflated[deflated.size() / 2] ^= 0xFF;  // inside the compressed data
  for (const Bytes& archive : {stored, deflated, makers::MakeZip({{"file_id.diz", std::string(3u << 20, 'b')}})}) {
    EXPECT_LE(FileUnzipEx(Put("a.zip", archive).c_str(), out.c_str(), "file_id.diz"), 0);
  }
  EXPECT_EQ(ListFilesRecursively(out), std::vector<std::string>{"file_id.diz"});
  EXPECT_EQ(ReadText(out + "\\file_id.diz"), "good");
}

// What is kept of a settled archive is written again on every call and follows the archive's changes.
TEST_F(Unzip, KeptOutcomesFollowTheArchive) {
  const std::string out = Folder("out");
  const std::string diz = out + "\\file_id.diz";
  const std::string zip = box / "a.zip";
  int age = 100;
  for (const std::string text : {"first", "other", "x"}) {
    Put("a.zip", makers::MakeZip({{"file_id.diz", text}}));
    ASSERT_TRUE(WrittenAgo(zip, age -= 10));
    // Over the last one (a shorter description leaves nothing of a longer one), then into no file.
    for (int call = 0; call < 2; ++call) {
      if (call == 1) DeleteFileA(diz.c_str());
      EXPECT_EQ(FileUnzipEx(zip.c_str(), out.c_str(), "file_id.diz"), 1) << text;
      EXPECT_EQ(ReadText(diz), text);
    }
  }
  Put("a.zip", makers::MakeZip({{"readme.txt", "r"}}));
  ASSERT_TRUE(WrittenAgo(zip, 10));
  DeleteFileA(diz.c_str());
  EXPECT_EQ(FileUnzipEx(zip.c_str(), out.c_str(), "file_id.diz"), 0);
  EXPECT_EQ(FileUnzipEx(zip.c_str(), out.c_str(), "file_id.diz"), 0);
  EXPECT_FALSE(FileExists(diz));
}

// Passes over more archives than the cache holds still find the part kept: the least recently used
// entry gives way only once it is a while unused.
TEST(StampedCache, CyclicPassesOverMoreArchivesThanItHoldsKeepHitting) {
  struct Kept {
    std::size_t Bytes() const { return 100; }
  };
  outside::StampedCache<Kept> cache(4, 1 << 20);
  const outside::FileStamp stamp{1, 1};
  const auto value = std::make_shared<const Kept>();
  std::uint64_t now = 1000;
  int found = 0;
  for (int pass = 0; pass < 3; ++pass) {
    for (int i = 0; i < 10; ++i, ++now) {
      const std::string key = "a" + std::to_string(i);
      if (cache.Find(key, stamp, now)) {
        ++found;
      } else {
        cache.Store(key, stamp, value, now);
      }
    }
  }
  EXPECT_EQ(found, 8) << "the first four archives, in the second and third pass";
  now += outside::StampedCache<Kept>::kKeptUnusedMs;
  cache.Store("b", stamp, value, now);
  EXPECT_NE(cache.Find("b", stamp, now), nullptr) << "entries unused for a while give way";
  EXPECT_EQ(cache.entries(), 4u);
}

TEST_F(Unzip, FailuresAreNotPositive) {
  const std::string out = Folder("out");
  const std::string zip = Put("a.zip", makers::MakeZip({{"file_id.diz", "z"}}));
  EXPECT_EQ(FileUnzipEx(nullptr, out.c_str(), "file_id.diz"), kUnzipBadArgument);
  EXPECT_EQ(FileUnzipEx(zip.c_str(), nullptr, "file_id.diz"), kUnzipBadArgument);
  EXPECT_EQ(FileUnzipEx(zip.c_str(), out.c_str(), ""), kUnzipBadArgument);
  EXPECT_EQ(FileUnzipEx((box / "missing.zip").c_str(), out.c_str(), "file_id.diz"), kUnzipOpenFailed);
  EXPECT_EQ(FileUnzipEx(Put("t.zip", Bytes(3000, 't')).c_str(), out.c_str(), "file_id.diz"), kUnzipOpenFailed);
  EXPECT_EQ(FileUnzipEx(Put("r.zip", makers::MakeRar4({{"file_id.diz", "r"}})).c_str(), out.c_str(), "file_id.diz"),
            kUnzipOpenFailed);
  EXPECT_EQ(FileUnzipEx(zip.c_str(), (box / "no\\such\\folder").c_str(), "file_id.diz"), 0);
  EXPECT_TRUE(ListFilesRecursively(out).empty());
  // A folder in the way is not replaced, and no temporary file is left behind.
  testing_support::MakeFolder(out + "\\file_id.diz");
  EXPECT_EQ(FileUnzipEx(zip.c_str(), out.c_str(), "file_id.diz"), 0);
  EXPECT_TRUE(ListFilesRecursively(out).empty());
  EXPECT_TRUE(testing_support::FolderExists(out + "\\file_id.diz"));
}

// Members of the PKZIP 0.9x and 1.x methods, copied from real archives, with a member of the same
// method behind them renamed to file_id.diz. A damaged copy writes nothing.
TEST_F(Unzip, LegacyMethodsWithADescriptionBehind) {
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  struct Case {
    const char* archive;
    std::size_t first, diz;
  };
  const Case cases[] = {
      {"commons-compress__SHRUNK.ZIP", 0, 1},    // Shrink
      {"sharpcompress__Zip.reduce1.zip", 1, 2},  // Reduce, factor 1
      {"sharpcompress__Zip.reduce2.zip", 1, 2},  // factor 2
      {"sharpcompress__Zip.reduce4.zip", 1, 2},  // factor 4
      {"sharpcompress__Zip.implode.zip", 0, 2},  // Implode, 4 KB with 2 trees, then 8 KB with 3
  };
  const std::string out = Folder("out");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.archive);
    const Bytes source = testing_support::ReadBytes(fixtures + "\\legacy\\" + c.archive);
    Bytes archive = makers::CopyZipMembers({{&source, c.first, "DOCS\\PROGRAM.EXE"}, {&source, c.diz, "FILE_ID.DIZ"}});
    zip::MemorySource listing(archive.data(), archive.size());
    const std::vector<zip::Entry> entries = zip::LegacyDirectory(listing).List();
    ASSERT_EQ(entries.size(), 2u);
    const zip::Entry diz = entries[1];

    EXPECT_EQ(FileUnzipEx(Put("legacy.zip", archive).c_str(), out.c_str(), "file_id.diz"), 1);
    const Bytes extracted = testing_support::ReadBytes(out + "\\FILE_ID.DIZ");
    EXPECT_EQ(extracted.size(), diz.size);
    EXPECT_EQ(zip::Crc32(extracted.data(), extracted.size()), diz.crc);
    EXPECT_EQ(FileUnzipEx(Put("legacy.zip", archive).c_str(), out.c_str(), "program.exe"), 1);

    WriteText(out + "\\file_id.diz", "good");
    archive[diz.data_offset + diz.packed_size / 2] ^= 0x10;
    EXPECT_EQ(FileUnzipEx(Put("damaged.zip", archive).c_str(), out.c_str(), "file_id.diz"), 0);
    EXPECT_EQ(ReadText(out + "\\file_id.diz"), "good");
  }
  EXPECT_EQ(ListFilesRecursively(out), (std::vector<std::string>{"FILE_ID.DIZ", "PROGRAM.EXE"}));
}

TEST_F(Unzip, RealMalformedArchives) {
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  const std::string out = Folder("out");
  const std::string slip = fixtures + "\\malformed\\macpacker__zipslip.zip";
  for (const char* name : {"safe.txt", "escaped_rel.txt", "escaped_abs.txt"}) {
    EXPECT_EQ(FileUnzipEx(slip.c_str(), out.c_str(), name), 1) << name;
  }
  EXPECT_EQ(ListFilesRecursively(out), (std::vector<std::string>{"escaped_abs.txt", "escaped_rel.txt", "safe.txt"}));
  const std::string bad = fixtures + "\\malformed\\libarchive__test_read_format_zip_malformed1.zip";
  EXPECT_LE(FileUnzipEx(bad.c_str(), out.c_str(), "file_id.diz"), 0);
}

}  // namespace
