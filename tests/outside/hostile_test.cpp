// Hostile archives through the archive libraries: whatever one archive does to a library, the next
// archive is still answered, and memory ends where it began.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "archive_makers.h"
#include "extraction.h"
#include "sandbox.h"
#include "test_support.h"
#include "unacev2.h"
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

// A RAR 4 archive of two entries with the given block after them.
makers::Bytes Rar4With(const makers::Bytes& block) {
  makers::Bytes archive = makers::MakeRar4({{"a.txt", "a"}, {"file_id.diz", "diz"}});
  archive.insert(archive.end() - 7, block.begin(), block.end());  // before the end block
  return archive;
}

// A failed allocation leaves errno at ENOMEM, and libarchive 3.6.2 takes that for its own when a name
// conversion fails next, ending the process. A 47-byte RAR whose service block declares 2^63 bytes
// left it so for the next archive with a name the code page cannot spell.
TEST_F(Hostile, AnOutOfMemoryErrnoLeftFromBeforeEndsNothing) {
  const std::string cyrillic = "\xD1\x82\xD0\xB5\xD1\x81\xD1\x82.txt";  // UTF-8, as RAR 5 stores names
  const std::string rar = Put("names.rar", makers::MakeRar5({{cyrillic, "text"}, {"file_id.diz", "diz"}}));
  errno = ENOMEM;
  int status = 0;
  EXPECT_EQ(Walk(rar, kRarExtract, &status), (std::vector<std::string>{"????.txt", "file_id.diz"}));
  EXPECT_EQ(status, kRarEndOfArchive);
}

// Each entry is refused over 1 MiB, but a ZIP may hold thousands of 1 MiB entries of the wanted name,
// packed to a kilobyte each: what one archive may have decoded is bounded.
TEST_F(Hostile, ManyLargeDescriptionsInOneZipStopAtTheArchivesBudget) {
  std::vector<makers::Entry> entries(300);
  for (size_t i = 0; i < entries.size(); ++i) {
    entries[i].name = "file_id.diz";
    entries[i].data.assign(1u << 20, ' ');
    entries[i].data.back() = static_cast<char>('a' + i % 26);
  }
  const std::string zip = Put("many.zip", makers::MakeZip(entries, makers::ZipMethod::kDeflate));
  const std::string out = Folder("many");
  const std::int32_t written = FileUnzipEx(zip.c_str(), out.c_str(), "file_id.diz");
  EXPECT_GT(written, 0);
  EXPECT_LE(written, 256);
}

// libarchive reads a RAR 4 service block or stored link whole, at the size its header declares. One
// that declares more than the file holds stops the walk before libarchive asks for the memory (errno
// stays clear), also behind a self-extractor's stub; the entries before it are read as ever.
TEST_F(Hostile, ABlockDeclaringMoreThanTheFileHoldsStopsTheWalkAtIt) {
  makers::Bytes stub(64u << 10, 0);
  stub[0] = 'M';
  stub[1] = 'Z';
  const std::string out = Folder("out");
  for (const makers::Bytes& before : {makers::Bytes{}, stub}) {
    for (bool link : {false, true}) {
      for (std::uint64_t declared : {std::uint64_t{0x7FFF0000}, std::uint64_t{0x7FFFFFFF} << 32}) {
        SCOPED_TRACE(testing::Message() << "stub " << before.size() << ", link " << link << ", " << declared);
        makers::Bytes archive = before;
        const makers::Bytes rar = Rar4With(makers::MakeRar4Block(declared, "", link));
        archive.insert(archive.end(), rar.begin(), rar.end());
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
  makers::Bytes commented = makers::MakeRar4({{"a.txt", "a"}, {"file_id.diz", "diz"}});
  const makers::Bytes comment = makers::MakeRar4Block(20, std::string(20, 'c'));
  commented.insert(commented.begin() + 20, comment.begin(), comment.end());  // after the main header
  int status = 0;
  EXPECT_EQ(Walk(Put("commented.rar", commented), kRarTest, &status),
            (std::vector<std::string>{"a.txt", "file_id.diz"}));
  EXPECT_EQ(status, kRarEndOfArchive);

  // A file whose data is cut off, even by more than the file holds, still shows its header, and nothing
  // is read past the end.
  makers::Bytes cut = makers::MakeRar4({{"a.txt", std::string(300, 'a')}, {"file_id.diz", "diz"}});
  cut.resize(120);
  EXPECT_EQ(Walk(Put("cut.rar", cut), kRarSkip, &status), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(status, kRarBadData);
}

std::size_t WorkingSet() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters.WorkingSetSize;
}

// Private memory the process has committed, touched or not: a buffer reserved at a size a header
// declares shows here in full, in the working set only as far as it was written.
std::size_t CommittedMemory() {
  std::size_t total = 0;
  MEMORY_BASIC_INFORMATION region;
  std::uintptr_t at = 0;
  while (VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region) == sizeof region) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const std::uintptr_t next = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

// Each of 127 stored members declares 1,000,000 bytes and holds one. Forty settled copies, whose
// sessions are kept, go through the program's RAR extraction, then every real RAR archive, each
// member extracted as the program extracts a description. What is kept stays within the 16 MiB
// that sessions may take, so the process grows by less than 24 MiB and the real archives extract.
TEST_F(Hostile, KeptSessionsOfMembersDeclaringMoreThanTheyHoldStayWithinTheirBound) {
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  const std::string repro = fixtures + "\\..\\repro\\rar-stored-members-declare-1mb.rar";
  ASSERT_TRUE(testing_support::FileExists(repro));
  const makers::Bytes bytes = testing_support::ReadBytes(repro);
  std::vector<std::string> copies;
  for (int i = 0; i < 40; ++i) {
    copies.push_back(Put("declares" + std::to_string(i) + ".rar", bytes));
    ASSERT_TRUE(testing_support::WrittenAgo(copies.back(), 60));
  }
  const std::string temp = Folder("tmp") + "\\";
  const std::string out = Folder("out");
  constexpr std::size_t kBound = std::size_t{24} << 20;
  const std::size_t committed_before = CommittedMemory();
  const std::size_t working_set_before = WorkingSet();

  for (const std::string& copy : copies) EXPECT_TRUE(EntpackeRAR(copy, temp)) << copy;
  EXPECT_EQ(testing_support::ReadText(temp + "file_id.diz"), "x");
  const std::size_t committed_after_copies = CommittedMemory();

  const std::vector<std::string> archives = testing_support::FixtureFiles({"rar", "legacy"}, ".rar");
  ASSERT_GE(archives.size(), 9u);
  for (const std::string& archive : archives) {
    SCOPED_TRACE(archive);
    RarHandle handle = Open(archive);
    ASSERT_NE(handle, nullptr);
    RarHeaderRecord header{};
    int status = kRarOk;
    for (int i = 0; i < 1000 && (status = RARReadHeader(handle, &header)) == kRarOk; ++i) {
      const std::string name = header.file_name;
      const std::string target = out + "\\" + std::to_string(i);
      const int result = RARProcessFile(handle, kRarExtract, nullptr, const_cast<char*>(target.c_str()));
      // One archive holds a link, which is not written.
      if (name != "testlink") {
        EXPECT_EQ(result, kRarOk) << name;
      }
    }
    EXPECT_EQ(status, kRarEndOfArchive);
    RARCloseArchive(handle);
  }
  const std::size_t committed_after = CommittedMemory();
  const std::size_t working_set_after = WorkingSet();
  const auto kib_grown = [](std::size_t before, std::size_t after) {
    return static_cast<int>((static_cast<std::int64_t>(after) - static_cast<std::int64_t>(before)) / 1024);
  };
  RecordProperty("committed_growth_after_copies", kib_grown(committed_before, committed_after_copies));
  RecordProperty("committed_growth", kib_grown(committed_before, committed_after));
  RecordProperty("working_set_growth", kib_grown(working_set_before, working_set_after));
  EXPECT_LT(committed_after_copies, committed_before + kBound) << "committed after the copies";
  EXPECT_LT(committed_after, committed_before + kBound) << "committed after the real archives";
  EXPECT_LT(working_set_after, working_set_before + kBound) << "working set";
}

// Once, the 47-byte RAR whose service block declares 2^63 bytes, then a ZIP with a name the code
// page cannot spell, ended the process; on a 32-bit build the same block declaring 2 GiB does. With
// those in front, every fixture goes through all three libraries in file order and back.
TEST_F(Hostile, EveryFixtureThroughAllThreeLibrariesInBothOrdersAndMemoryEndsWhereItBegan) {
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  const HMODULE ace = LoadLibraryA((ProgramFolder() + "\\ace_real\\UnAceV2.Dll").c_str());
  ASSERT_NE(ace, nullptr);
  const auto ace_test =
      reinterpret_cast<int(__stdcall*)(const char*)>(reinterpret_cast<void (*)()>(GetProcAddress(ace, "ACETest")));
  const auto ace_extract = reinterpret_cast<int(__stdcall*)(const char*, AceExtractRecord*)>(
      reinterpret_cast<void (*)()>(GetProcAddress(ace, "ACEExtract")));
  ASSERT_TRUE(ace_test && ace_extract);
  const std::string out = Folder("out");
  AceExtractRecord record{};
  record.base_folder = record.excluded_names = record.password = "";
  record.names = "file_id.diz";
  record.destination = out.c_str();
  record.without_paths = 0xFFFFFFFFu;

  std::vector<std::string> files;
  for (const std::string& file : testing_support::ListFilesRecursively(fixtures)) {
    if (file != "README.md") files.push_back(fixtures + "\\" + file);
  }
  const std::string rar = fixtures + "\\malformed\\libarchive__test_read_format_rar_newsub_huge.rar";
  const std::string zip = fixtures + "\\malformed\\sharpcompress__Zip.deflate.WinzipAES.zip";
  const std::string block = Put("block.rar", Rar4With(makers::MakeRar4Block(0x7FFF0000, "")));
  const std::string link = Put("link.rar", Rar4With(makers::MakeRar4Block(0x7FFF0000, "", true)));
  std::vector<std::string> order = {rar, zip, block, zip, link, zip};
  order.insert(order.end(), files.begin(), files.end());
  order.insert(order.end(), files.rbegin(), files.rend());
  order.insert(order.end(), {rar, zip});

  std::size_t first = 0;
  for (const std::string& path : order) {
    SCOPED_TRACE(path);
    // Each library gets every file, whatever its kind, and every call has to return.
    FileUnzipEx(path.c_str(), out.c_str(), "file_id.diz");
    int status = 0;
    for (int op : {kRarTest, kRarExtract}) Walk(path, op, &status);
    ace_test(path.c_str());
    ace_extract(path.c_str(), &record);
    if (!first) first = WorkingSet();
  }
  const std::size_t last = WorkingSet();
  RecordProperty("working_set_after_first", static_cast<int>(first));
  RecordProperty("working_set_after_last", static_cast<int>(last));
  EXPECT_LT(last, first + (4u << 20)) << "after the first archive " << first << ", after the last " << last;
  FreeLibrary(ace);
}

}  // namespace
