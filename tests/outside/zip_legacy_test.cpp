// The Shrink, Reduce and Implode decoders on real archives and on streams written here for what
// those archives do not reach: partial clears, a full code table, Reduce factor 3.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_support.h"
#include "zip_legacy.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Bits written from the lowest up, as the legacy methods read them.
class BitWriter {
 public:
  void Put(std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i, ++used_) {
      if (used_ % 8 == 0) bytes.push_back(0);
      bytes.back() |= static_cast<std::uint8_t>(((value >> i) & 1) << (used_ % 8));
    }
  }
  Bytes bytes;

 private:
  std::size_t used_ = 0;
};

zip::Status Unshrink(const Bytes& packed, Bytes& out) {
  return zip::Unshrink(packed.data(), packed.size(), out.data(), out.size());
}

TEST(ZipLegacy, EveryMemberOfTheRealArchivesDecodesToItsCrc) {
  const std::string fixtures = testing_support::FixturesDir();
  if (fixtures.empty()) GTEST_SKIP() << "no fixtures";
  int methods_seen = 0;
  for (const char* name : {"commons-compress__SHRUNK.ZIP", "commons-compress__imploding-4Kdict-2trees.zip",
                           "sharpcompress__Zip.implode.zip", "sharpcompress__Zip.reduce1.zip",
                           "sharpcompress__Zip.reduce2.zip", "sharpcompress__Zip.reduce4.zip"}) {
    SCOPED_TRACE(name);
    const Bytes archive = testing_support::ReadBytes(fixtures + "\\legacy\\" + name);
    zip::MemorySource source(archive.data(), archive.size());
    const zip::LegacyDirectory directory(source);
    ASSERT_EQ(directory.status(), zip::Status::kOk);
    const std::vector<zip::Entry> entries = directory.List();
    EXPECT_FALSE(entries.empty());
    for (const zip::Entry& e : entries) {
      Bytes out(e.size);
      EXPECT_EQ(zip::Decode(e, archive.data() + e.data_offset, out.data()), zip::Status::kOk) << e.data_offset;
      methods_seen |= 1 << e.method;
      zip::Entry found;
      EXPECT_EQ(directory.Find(e.data_offset, found), zip::Status::kOk);
      EXPECT_EQ(found.data_offset, e.data_offset);
      EXPECT_EQ(directory.Find(e.data_offset + 1, found), zip::Status::kNotFound);
    }
  }
  EXPECT_EQ(methods_seen, 0b1101110) << "Shrink, Reduce factors 1, 2 and 4, Implode";
}

// a b 257 258 c 259 261 give "a" "b" "ab" "ba" "c" "abb" "ca"; 259 is the prefix of 262 and 258 of
// 260, so the clear frees 260 to 262 only. "d" then takes 260 with the freed 261 as its prefix,
// which the next code defines; so 260 spells "ddd" and 261 "dd", while 259 keeps "abb".
TEST(ZipLegacy, UnshrinkPartialClearFreesOnlyLeavesAndReusesTheLowest) {
  BitWriter w;
  for (int code : std::vector<int>{'a', 'b', 257, 258, 'c', 259, 261, 256, 2, 'd', 260, 261, 259}) w.Put(code, 9);
  const std::string expected = "ababbacabbcaddddddabb";
  Bytes out(expected.size());
  ASSERT_EQ(Unshrink(w.bytes, out), zip::Status::kOk);
  EXPECT_EQ(std::string(out.begin(), out.end()), expected);
}

// Literals alone fill the table, each adding the pair it ends; the last code, 8191, is spelled
// at 13 bits, then a clear frees every code and the table fills again from 257.
TEST(ZipLegacy, UnshrinkFillsTheTableToItsLastCodeAndClearsIt) {
  std::string text;
  for (int i = 0; i < 7935; ++i) text += static_cast<char>('a' + i * 7 % 26);
  BitWriter w;
  w.Put(text[0], 9);
  for (int width = 9; width < 13; ++width) {
    w.Put(256, width);
    w.Put(1, width);
  }
  for (std::size_t i = 1; i < text.size(); ++i) w.Put(static_cast<unsigned char>(text[i]), 13);
  for (int code : std::vector<int>{8190, 256, 2, 'Q', 'R', 258}) w.Put(code, 13);
  const std::string expected = text + text.substr(7933) + "QRQR";
  Bytes out(expected.size());
  ASSERT_EQ(Unshrink(w.bytes, out), zip::Status::kOk);
  EXPECT_EQ(std::string(out.begin(), out.end()), expected);
}

TEST(ZipLegacy, UnshrinkRefusesCodesItCannotSpell) {
  const std::vector<std::vector<int>> streams = {
      {300},                              // no string before it to extend
      {'a', 'b', 259},                    // neither defined nor next
      {'a', 256, 3},                      // no such control
      {'a', 'b', 257, 256, 2, 'c', 257},  // the freed 257 became "257 + c" when 'c' took its place
  };
  for (const auto& codes : streams) {
    BitWriter w;
    for (int code : codes) w.Put(static_cast<std::uint32_t>(code), 9);
    Bytes out(8);
    EXPECT_EQ(Unshrink(w.bytes, out), zip::Status::kCorrupt) << codes.back();
  }
  BitWriter w;
  w.Put('a', 9);
  for (int width = 9; width <= 13; ++width) {
    w.Put(256, width);
    w.Put(1, width);
  }
  Bytes out(2);
  EXPECT_EQ(Unshrink(w.bytes, out), zip::Status::kCorrupt) << "codes wider than 13 bits";
  BitWriter one;
  one.Put('a', 9);
  EXPECT_EQ(Unshrink(one.bytes, out), zip::Status::kCorrupt) << "data ends before the size is reached";
}

// Empty follower sets leave plain bytes; after 144 a byte gives the length in its low bits and
// the top of the distance in the others, one bit per factor.
TEST(ZipLegacy, UnreduceSplitsLengthAndDistanceByFactor) {
  for (int factor = 1; factor <= 4; ++factor) {
    SCOPED_TRACE(factor);
    BitWriter w;
    for (int set = 0; set < 256; ++set) w.Put(0, 6);
    Bytes expected;
    const auto plain = [&](std::uint8_t c) {
      w.Put(c, 8);
      expected.push_back(c);
    };
    const auto copy = [&](std::uint32_t high, std::uint32_t low, std::uint32_t length, int extra) {
      const std::uint32_t mask = 0xFFu >> factor;
      w.Put(144, 8);
      w.Put((high << (8 - factor)) | std::min(length, mask), 8);
      if (length >= mask) w.Put(static_cast<std::uint32_t>(extra), 8);
      w.Put(low, 8);
      const std::size_t distance = high * 256 + low + 1;
      for (std::uint32_t k = 0; k < (length >= mask ? mask + extra : length) + 3; ++k) {
        expected.push_back(expected.size() >= distance ? expected[expected.size() - distance] : 0);
      }
    };
    for (int i = 0; i < 300; ++i) plain(static_cast<std::uint8_t>(1 + i % 100));
    copy(1, 9, 0xFF, 5);  // 266 back, a length past the low bits
    w.Put(144, 8);        // 144 itself
    w.Put(0, 8);
    expected.push_back(144);
    copy(0, 2, 1, 0);
    copy((1u << factor) - 1, 255, 2, 0);  // the farthest distance, before the start: zeros
    Bytes out(expected.size());
    ASSERT_EQ(zip::Unreduce(w.bytes.data(), w.bytes.size(), factor, out.data(), out.size()), zip::Status::kOk);
    EXPECT_EQ(out, expected);
  }
}

}  // namespace
