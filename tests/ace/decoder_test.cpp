// The decoder library on its own: real archives, damaged input, stored members made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "ace_decoder.h"
#include "ace_writer.h"
#include "blocked_writer.h"
#include "test_support.h"

namespace {

using ace::Status;
using ace_testing::BlockedStream;
using ace_testing::Bytes;
using ace_testing::MakeStoredArchive;
using ace_testing::StoredMember;

struct Decoded {
  ace::Directory dir;
  std::vector<Status> results;
  std::vector<std::vector<std::uint8_t>> contents;
};

Decoded DecodeAll(const std::vector<std::uint8_t>& archive) {
  Decoded d;
  ace::MemorySource source(archive.data(), archive.size());
  d.dir = ace::ReadDirectory(source);
  ace::Unpacker unpacker(source);
  for (const ace::Member& m : d.dir.members) {
    std::vector<std::uint8_t> out;
    d.results.push_back(ace::UnpackToBuffer(unpacker, m, 1u << 30, out));
    d.contents.push_back(std::move(out));
  }
  return d;
}

std::vector<std::string> FixtureArchives() {
  return testing_support::FixtureFiles({"ace", "ace-solid", "legacy"}, ".ace");
}

std::vector<std::uint8_t> ReadFixture(const std::string& name) {
  const std::string dir = testing_support::FixturesDir();
  return dir.empty() ? std::vector<std::uint8_t>() : testing_support::ReadBytes(dir + "\\ace\\" + name);
}

TEST(AceDecoder, EveryFixtureMemberDecodesToItsCrc) {
  const auto archives = FixtureArchives();
  if (archives.empty()) GTEST_SKIP() << "no fixtures";
  // The same files are packed stored, with ACE 1.0 (solid and not) and with ACE 2.0.
  std::map<std::string, std::vector<std::uint8_t>> seen;
  int decoded = 0;
  for (const std::string& path : archives) {
    SCOPED_TRACE(path);
    const Decoded d = DecodeAll(testing_support::ReadBytes(path));
    ASSERT_EQ(d.dir.status, Status::kOk);
    ASSERT_FALSE(d.dir.members.empty());
    for (std::size_t i = 0; i < d.dir.members.size(); ++i) {
      const ace::Member& m = d.dir.members[i];
      SCOPED_TRACE(m.name);
      EXPECT_EQ(d.results[i], Status::kOk);
      EXPECT_EQ(d.contents[i].size(), m.original_size);
      if (m.is_folder()) continue;
      ++decoded;
      auto [it, fresh] = seen.emplace(m.name, d.contents[i]);
      if (!fresh) {
        EXPECT_TRUE(it->second == d.contents[i]);
      }
    }
  }
  EXPECT_GE(decoded, 16);
}

TEST(AceDecoder, DamagedCompressedDataNeverPassesAsGood) {
  for (const char* name : {"unarc-rs__license2.ace", "sharpcompress__Ace.method1.ace"}) {
    const auto original = ReadFixture(name);
    if (original.empty()) GTEST_SKIP() << "no fixtures";
    const Decoded good = DecodeAll(original);
    std::uint32_t seed = 12345;
    for (int round = 0; round < 150; ++round) {
      seed = seed * 1103515245u + 12345u;
      auto damaged = original;
      const std::size_t at = 100 + (seed >> 8) % (damaged.size() - 100);
      damaged[at] ^= static_cast<std::uint8_t>(1u << (seed % 8));
      const Decoded d = DecodeAll(damaged);
      for (std::size_t i = 0; i < d.results.size(); ++i) {
        if (d.results[i] != Status::kOk) continue;
        // Success is only allowed with the right bytes.
        ASSERT_LT(i, good.contents.size());
        EXPECT_TRUE(d.contents[i] == good.contents[i]) << name << " flip at " << at;
      }
    }
  }
}

TEST(AceDecoder, TruncatedArchivesFailCleanly) {
  const auto original = ReadFixture("sharpcompress__Ace.method2.ace");
  if (original.empty()) GTEST_SKIP() << "no fixtures";
  for (std::size_t cut = 0; cut < original.size(); cut += 997) {
    const std::vector<std::uint8_t> part(original.begin(), original.begin() + cut);
    const Decoded d = DecodeAll(part);
    EXPECT_NE(d.dir.status, Status::kOk) << cut;
    for (std::size_t i = 0; i < d.results.size(); ++i) {
      const ace::Member& m = d.dir.members[i];
      if (m.data_offset + m.packed_size <= cut) continue;
      EXPECT_NE(d.results[i], Status::kOk) << cut;
    }
  }
}

TEST(AceDecoder, DamageInASolidMemberFailsTheMembersAfterIt) {
  auto archive = ReadFixture("sharpcompress__Ace.method1-solid.ace");
  if (archive.empty()) GTEST_SKIP() << "no fixtures";
  const Decoded good = DecodeAll(archive);
  ASSERT_EQ(good.dir.members.size(), 5u);
  const ace::Member& exe = good.dir.members[2];
  archive[static_cast<std::size_t>(exe.data_offset + exe.packed_size / 2)] ^= 0x55;
  const Decoded d = DecodeAll(archive);
  EXPECT_NE(d.results[2], Status::kOk);
  EXPECT_NE(d.results[3], Status::kOk);
  EXPECT_NE(d.results[4], Status::kOk);
}

// A member that is not solid starts a fresh window, stored or not: the solid member after it finds
// neither the broken one's leftover bytes nor anything else of it.
TEST(AceDecoder, AStoredMemberThatIsNotSolidLeavesNothingOfABrokenChain) {
  const auto original = ReadFixture("sharpcompress__Ace.method1-solid.ace");
  if (original.empty()) GTEST_SKIP() << "no fixtures";
  const Decoded good = DecodeAll(original);
  ASSERT_EQ(good.dir.members.size(), 5u);
  const ace::Member& exe = good.dir.members[2];
  const ace::Member& jpg = good.dir.members[3];
  const auto at = [&](std::uint64_t offset) { return original.begin() + static_cast<std::ptrdiff_t>(offset); };
  // The exe damaged, then a stored member that is not solid, then the jpg that builds on the exe.
  std::vector<std::uint8_t> archive(original.begin(), at(exe.data_offset + exe.packed_size));
  // Damage near its end: it fails with most of its bytes still in the window.
  archive[static_cast<std::size_t>(exe.data_offset + exe.packed_size - 200)] ^= 0x55;
  const auto stored = MakeStoredArchive({{"plain.txt", Bytes("not solid")}});
  archive.insert(archive.end(), stored.begin() + 30, stored.end());  // without its main header
  archive.insert(archive.end(), at(exe.data_offset + exe.packed_size), at(jpg.data_offset + jpg.packed_size));

  const Decoded d = DecodeAll(archive);
  ASSERT_EQ(d.dir.status, Status::kOk);
  ASSERT_EQ(d.dir.members.size(), 5u);
  EXPECT_NE(d.results[2], Status::kOk);
  EXPECT_EQ(d.results[3], Status::kOk);
  EXPECT_EQ(d.results[4], Status::kCorrupt);
  EXPECT_TRUE(d.contents[4].empty());
}

TEST(AceDecoder, StoredMembersAndTheirFailures) {
  const std::vector<StoredMember> members = {
      {"a.txt", Bytes("alpha")},
      {"DOCS", {}, 0, 0x10},
      {"DOCS\\b.txt", Bytes("bravo bravo")},
      {"bad.txt", Bytes("crc is off"), 0, 0x20, true},
      {"secret.txt", Bytes("locked"), 0x4000},
      {"split.txt", Bytes("half"), 0x2000},
  };
  const Decoded d = DecodeAll(MakeStoredArchive(members));
  ASSERT_EQ(d.dir.status, Status::kOk);
  ASSERT_EQ(d.dir.members.size(), members.size());
  EXPECT_EQ(d.results[0], Status::kOk);
  EXPECT_TRUE(d.contents[0] == Bytes("alpha"));
  EXPECT_TRUE(d.dir.members[1].is_folder());
  EXPECT_EQ(d.results[2], Status::kOk);
  EXPECT_EQ(d.dir.members[2].file_part(), "b.txt");
  EXPECT_EQ(d.results[3], Status::kCrcMismatch);
  EXPECT_EQ(d.results[4], Status::kEncrypted);
  EXPECT_EQ(d.results[5], Status::kMultiVolume);
}

TEST(AceDecoder, HeaderChecks) {
  const std::vector<StoredMember> members = {{"one.txt", Bytes("1")}, {"two.txt", Bytes("2")}};
  const auto archive = MakeStoredArchive(members);

  auto bad_name = archive;
  bad_name[ace_testing::DataOffset(members, 1) - 1] ^= 0x20;  // last byte of the second name
  Decoded d = DecodeAll(bad_name);
  EXPECT_EQ(d.dir.status, Status::kHeaderCrc);
  EXPECT_EQ(d.dir.members.size(), 1u);

  auto bad_main = archive;
  bad_main[20] ^= 1;
  EXPECT_EQ(DecodeAll(bad_main).dir.status, Status::kHeaderCrc);

  EXPECT_EQ(DecodeAll(Bytes("PK\3\4 not an ace archive at all")).dir.status, Status::kNotAce);
  EXPECT_EQ(DecodeAll({}).dir.status, Status::kNotAce);

  // A self-extractor stub in front of the archive.
  auto with_stub = Bytes(std::string(3000, 'M'));
  with_stub.insert(with_stub.end(), archive.begin(), archive.end());
  d = DecodeAll(with_stub);
  EXPECT_EQ(d.dir.status, Status::kOk);
  ASSERT_EQ(d.results.size(), 2u);
  EXPECT_TRUE(d.contents[1] == Bytes("2"));

  // A name size that points past its header, under a header CRC that matches.
  auto long_name = archive;
  const std::size_t header = 30;
  long_name[header + 4 + 29] = 0xFF;
  const std::size_t size = long_name[header + 2] | (long_name[header + 3] << 8);
  const std::uint32_t crc = ace::Crc32(ace::kCrcStart, &long_name[header + 4], size);
  long_name[header] = static_cast<std::uint8_t>(crc);
  long_name[header + 1] = static_cast<std::uint8_t>(crc >> 8);
  EXPECT_EQ(DecodeAll(long_name).dir.status, Status::kBadHeader);
}

TEST(AceDecoder, BigMembersStreamInBoundedPieces) {
  std::vector<std::uint8_t> big(3 * 1024 * 1024 + 7);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7 + (i >> 12));
  const auto archive = MakeStoredArchive({{"big.bin", big}});
  ace::MemorySource source(archive.data(), archive.size());
  const ace::Directory dir = ace::ReadDirectory(source);
  ASSERT_EQ(dir.members.size(), 1u);
  ace::Unpacker unpacker(source);
  std::size_t total = 0, largest = 0;
  EXPECT_EQ(unpacker.Unpack(dir.members[0],
                            [&](const std::uint8_t*, std::size_t n) {
                              total += n;
                              largest = std::max(largest, n);
                              return true;
                            }),
            Status::kOk);
  EXPECT_EQ(total, big.size());
  EXPECT_LE(largest, 64u * 1024);

  std::vector<std::uint8_t> out;
  EXPECT_EQ(ace::UnpackToBuffer(unpacker, dir.members[0], 1024 * 1024, out), Status::kTooLarge);
  EXPECT_TRUE(out.empty());
}

// Output of the sound and picture modes goes into the window like LZ output, within the member
// and for the solid members after it.
TEST(AceDecoder, SoundAndPictureBytesAreThereForLaterCopies) {
  std::vector<int> codes;
  for (int i = 0; i < 150; ++i) codes.push_back(32 + (i * 37) % 200);
  BlockedStream first;
  first.Literals(Bytes("head"));
  first.Switch(BlockedStream::kSound16);
  first.SoundCodes(codes);
  first.Switch(BlockedStream::kLz);
  const std::uint64_t picture_at = first.size();
  first.Switch(BlockedStream::kPicture, 30, 3);
  first.PictureRows(3, 11);
  first.Switch(BlockedStream::kSound8);
  first.SoundCodes({40, 3, 90, 31, 50, 60});  // with two runs of zeros
  first.Switch(BlockedStream::kLz);
  const std::uint64_t copy_at = first.size();
  first.Match(static_cast<std::uint32_t>(copy_at - 4), 150);
  BlockedStream second;
  second.Match(static_cast<std::uint32_t>(first.size() - picture_at), 90);

  const Decoded d = DecodeAll(ace_testing::MakeBlockedArchive(
      {{"a.bin", first.Finish(), static_cast<std::uint32_t>(first.size())}, {"b.bin", second.Finish(), 90}}, true));
  ASSERT_EQ(d.results, (std::vector<Status>{Status::kOk, Status::kOk}));
  const std::vector<std::uint8_t>& a = d.contents[0];
  ASSERT_EQ(a.size(), copy_at + 150);
  EXPECT_TRUE(std::equal(a.begin() + 4, a.begin() + 154, a.begin() + static_cast<std::ptrdiff_t>(copy_at)));
  EXPECT_TRUE(
      std::equal(d.contents[1].begin(), d.contents[1].end(), a.begin() + static_cast<std::ptrdiff_t>(picture_at)));
}

TEST(AceDecoder, ImpossibleModesAndPictureShapesFailCleanly) {
  auto decode = [](int mode, std::uint32_t width, std::uint32_t planes) {
    BlockedStream s;
    s.Literals(Bytes("x"));
    s.Switch(mode, width, planes);
    s.Raw(0xFFFFFFFF, 32);
    return DecodeAll(ace_testing::MakeBlockedArchive({{"m", s.Finish(), 100}}, false)).results.at(0);
  };
  EXPECT_EQ(decode(8, 0, 0), Status::kCorrupt);
  EXPECT_EQ(decode(255, 0, 0), Status::kCorrupt);
  EXPECT_EQ(decode(BlockedStream::kPicture, 0, 1), Status::kCorrupt);
  EXPECT_EQ(decode(BlockedStream::kPicture, 8, 0), Status::kCorrupt);
  EXPECT_EQ(decode(BlockedStream::kPicture, 4, 5), Status::kCorrupt);
  EXPECT_EQ(decode(BlockedStream::kPicture, ace::PictureDecoder::kMaxWidth + 1, 1), Status::kCorrupt);
}

// One byte repeated: a few bits per 257 bytes, as a hostile archive would have it.
ace_testing::BlockedMember Repeats(const std::string& name, int copies) {
  BlockedStream s;
  s.Literals(Bytes("z"));
  for (int i = 0; i < copies; ++i) s.Match(1, 257);
  return {name, s.Finish(), static_cast<std::uint32_t>(s.size())};
}

TEST(AceDecoder, MembersDecodedOnlyToGetPastThemShareOneLimit) {
  const auto archive =
      ace_testing::MakeBlockedArchive({Repeats("a", 2000), Repeats("b", 2000), Repeats("c", 2000)}, true);
  ace::MemorySource source(archive.data(), archive.size());
  const ace::Directory dir = ace::ReadDirectory(source);
  ASSERT_EQ(dir.members.size(), 3u);
  ASSERT_EQ(dir.members[0].original_size, 514001u);

  ace::Unpacker skipping(source, 1000000);
  EXPECT_EQ(skipping.Unpack(dir.members[0], nullptr), Status::kOk);
  EXPECT_EQ(skipping.Unpack(dir.members[1], nullptr), Status::kTooLarge);
  EXPECT_EQ(skipping.Unpack(dir.members[2], nullptr), Status::kCorrupt);

  // Bytes somebody keeps do not count.
  ace::Unpacker keeping(source, 1000000);
  const auto keep = [](const std::uint8_t*, std::size_t) { return true; };
  EXPECT_EQ(keeping.Unpack(dir.members[0], keep), Status::kOk);
  EXPECT_EQ(keeping.Unpack(dir.members[1], keep), Status::kOk);
  EXPECT_EQ(keeping.Unpack(dir.members[2], nullptr), Status::kOk);
}

}  // namespace
