// Hostile archives through unrar.dll and Unzipw32.dll: whatever one archive does to the library, the
// next archive is still answered.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "archive_makers.h"
#include "sandbox.h"
#include "test_support.h"
#include "unrar.h"
#include "unzipw32.h"

namespace {

class Hostile : public Sandboxed {
 protected:
  RarHandle Open(const std::string& path) {
    RarOpenRecord record{};
    record.archive_name = path.c_str();
    record.open_mode = 1;
    return RAROpenArchive(&record);
  }
  // Reads every header, processing each entry with op; returns the names read and the final status.
  std::vector<std::string> Walk(const std::string& path, int op, int* status) {
    std::vector<std::string> names;
    *status = -1;
    RarHandle handle = Open(path);
    if (!handle) return names;
    const std::string out = Folder("walk");
    RarHeaderRecord header{};
    for (int i = 0; i < 1000 && (*status = RARReadHeader(handle, &header)) == kRarOk; ++i) {
      names.push_back(header.file_name);
      RARProcessFile(handle, op, const_cast<char*>(out.c_str()), nullptr);
    }
    RARCloseArchive(handle);
    testing_support::RemoveRecursively(out);
    return names;
  }
};

// A failed allocation leaves errno at ENOMEM, and libarchive 3.6.2 takes that for its own when a name
// conversion fails next, ending the process. A 47-byte RAR whose service block declares 2^63 bytes
// left it so for the next ZIP with a name the code page cannot spell.
TEST_F(Hostile, AnOutOfMemoryErrnoLeftFromBeforeEndsNothing) {
  const std::string cyrillic = "\xD1\x82\xD0\xB5\xD1\x81\xD1\x82.txt";  // UTF-8, as RAR 5 stores names
  const std::string rar = Put("names.rar", makers::MakeRar5({{cyrillic, "text"}, {"file_id.diz", "diz"}}));
  for (int op : {kRarSkip, kRarTest, kRarExtract}) {
    errno = ENOMEM;
    int status = 0;
    EXPECT_EQ(Walk(rar, op, &status), (std::vector<std::string>{"????.txt", "file_id.diz"}));
    EXPECT_EQ(status, kRarEndOfArchive);
  }
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  const std::string out = Folder("out");
  const std::string zip = fixtures + "\\malformed\\sharpcompress__Zip.deflate.WinzipAES.zip";
  for (const char* wanted : {"file_id.diz", "test.exe"}) {
    errno = ENOMEM;
    EXPECT_EQ(FileUnzipEx(zip.c_str(), out.c_str(), wanted), 0) << "encrypted, or not there";
  }
}

// libarchive reads a RAR 4 service block or stored link whole, at the size its header declares. One
// that declares more than the file holds stops the walk before libarchive asks for the memory (errno
// stays clear), also behind a self-extractor's stub; the entries before it are read as ever.
TEST_F(Hostile, ABlockDeclaringMoreThanTheFileHoldsStopsTheWalkAtIt) {
  const makers::Bytes rar = makers::MakeRar4({{"a.txt", "a"}, {"file_id.diz", "diz"}});
  const auto end_block = rar.end() - 7;
  makers::Bytes stub(64u << 10, 0);
  stub[0] = 'M';
  stub[1] = 'Z';
  const std::string out = Folder("out");
  for (const makers::Bytes& before : {makers::Bytes{}, stub}) {
    for (bool link : {false, true}) {
      for (std::uint64_t declared : {std::uint64_t{0x7FFF0000}, std::uint64_t{0x7FFFFFFF} << 32}) {
        SCOPED_TRACE(testing::Message() << "stub " << before.size() << ", link " << link << ", " << declared);
        makers::Bytes archive = before;
        archive.insert(archive.end(), rar.begin(), end_block);
        const makers::Bytes block = makers::MakeRar4Block(declared, "", link);
        archive.insert(archive.end(), block.begin(), block.end());
        archive.insert(archive.end(), end_block, rar.end());
        RarHandle handle = Open(Put("declares.rar", archive));
        ASSERT_NE(handle, nullptr);
        RarHeaderRecord header{};
        ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
        ASSERT_EQ(RARReadHeader(handle, &header), kRarOk);
        EXPECT_EQ(RARProcessFile(handle, kRarExtract, const_cast<char*>(out.c_str()), nullptr), kRarOk);
        errno = 0;
        EXPECT_EQ(RARReadHeader(handle, &header), kRarBadData);
        EXPECT_EQ(errno, 0) << "an allocation was tried for the block";
        EXPECT_EQ(RARReadHeader(handle, &header), kRarBadData);
        RARCloseArchive(handle);
      }
    }
  }
  EXPECT_EQ(testing_support::ReadText(out + "\\file_id.diz"), "diz");

  // A comment block the file holds hides nothing.
  makers::Bytes commented = rar;
  const makers::Bytes comment = makers::MakeRar4Block(20, std::string(20, 'c'));
  commented.insert(commented.begin() + 20, comment.begin(), comment.end());  // after the main header
  int status = 0;
  EXPECT_EQ(Walk(Put("commented.rar", commented), kRarTest, &status),
            (std::vector<std::string>{"a.txt", "file_id.diz"}));
  EXPECT_EQ(status, kRarEndOfArchive);
}

}  // namespace
