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
  // Reads every header, processing each entry with op; returns the names read and the final status.
  std::vector<std::string> Walk(const std::string& path, int op, int* status) {
    std::vector<std::string> names;
    RarOpenRecord record{};
    record.archive_name = path.c_str();
    record.open_mode = 1;
    *status = -1;
    RarHandle handle = RAROpenArchive(&record);
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

}  // namespace
