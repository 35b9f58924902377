#pragma once
// Writes ACE 2.0 blocked streams op by op (literals, matches, mode switches, sound codes, picture
// rows), for tests and fuzzer seeds that reach the modes no fixture uses.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ace_picture.h"

namespace ace_testing {

// Bits as the stream holds them: 32-bit little-endian words, each filled from its top bit.
class BitWriter {
 public:
  void Put(std::uint32_t value, int count);
  void PutRice(std::uint32_t value, int r);
  // The words so far, the last one padded with zeros.
  std::vector<std::uint8_t> Bytes() const;

 private:
  std::vector<std::uint32_t> words_;
  int used_ = 32;  // bits of the last word already written
};

// Each code table gives all its symbols one width, so a symbol's code does not depend on which of
// a mode's trees the decoder uses. Blocks are as long as they may be.
class BlockedStream {
 public:
  enum Mode { kLz = 0, kDelta = 1, kExe = 2, kSound8 = 3, kSound16 = 4, kSound32A = 5, kSound32B = 6, kPicture = 7 };

  void Literals(const std::vector<std::uint8_t>& bytes);
  // Copies length bytes from back bytes before the end (back >= 1).
  void Match(std::uint32_t back, std::uint32_t length);
  // Switches the way the current mode does it. Delta takes (distance, length), exe its flag,
  // picture (width, planes) when it is not the mode in force already.
  void Switch(int mode, std::uint32_t first = 0, std::uint32_t second = 0);
  // Sound codes, in the order the decoder asks for them: below 32 a run of zeros, else a residual.
  void SoundCodes(const std::vector<int>& codes);
  // Rows of pseudo-random picture bytes, found by trying bits on a picture decoder of our own.
  void PictureRows(int rows, std::uint32_t seed);
  // Anything the decoder reads next as it stands (e.g. the rest of a damaged stream).
  void Raw(std::uint32_t value, int count) { bits_.Put(value, count); }

  std::vector<std::uint8_t> Finish() const;
  // Bytes the stream decodes to so far.
  std::uint64_t size() const { return size_; }

 private:
  // Where the decoder stands in a sound stretch, to know which channel takes the next code.
  struct SoundChannel {
    int state = 0;  // 0 residual or run code next, 1 residual next, 2 in a run
    int run_left = 0;
  };

  void LzSymbol(int symbol);
  void SoundSymbol(int symbol);
  // Steps past the zeros of channels in a run up to the next channel that reads a code.
  SoundChannel& NextSoundReader();

  BitWriter bits_;
  int mode_ = kLz;
  int lz_block_left_ = 0;
  int sound_block_left_ = 0;
  int sound_channels_ = 1;
  SoundChannel sound_state_[3];
  std::uint64_t sound_index_ = 0;
  std::uint64_t size_ = 0;
  std::optional<ace::PictureDecoder> picture_;  // in step with the decoder that will read the rows
};

struct BlockedMember {
  std::string name;
  std::vector<std::uint8_t> packed;  // a BlockedStream's bytes
  std::uint32_t original_size = 0;
};

// An archive of blocked members whose CRCs are those of whatever the decoder makes of them;
// members that do not decode keep a CRC of zero.
std::vector<std::uint8_t> MakeBlockedArchive(const std::vector<BlockedMember>& members, bool solid);

}  // namespace ace_testing
