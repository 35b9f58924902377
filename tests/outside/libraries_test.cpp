// unrar.dll and Unzipw32.dll called directly: records, operations, refusals and real archives.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "archive_makers.h"
#include "sandbox.h"
#include "test_support.h"
#include "unrar.h"
#include "unzipw32.h"

using makers::Bytes;
using makers::Entry;
using testing_support::FileExists;
using testing_support::ListFilesRecursively;
using testing_support::ReadText;
using testing_support::WriteText;

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
  for (auto make : {makers::MakeRar4, makers::MakeRar5}) {
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
      // RAR 2.0 compression, which the decoder lacks.
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

class Unzip : public Sandboxed {};

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
