#include "blocked_writer.h"

#include <algorithm>
#include <bit>

#include "ace_bits.h"
#include "ace_decoder.h"
#include "ace_huffman.h"
#include "ace_writer.h"

namespace ace_testing {

namespace {

constexpr int kMainCodes = 284;  // literals, 4 old distances, 23 distance widths, the mode switch
constexpr int kModeCode = 283;
constexpr int kLengthCodes = 256;
constexpr int kSoundCodes = 289;
constexpr int kSoundSwitch = 288;
constexpr int kBlockSize = 0x7FFF;

// The codes the decoder hands out when count symbols all have one width: asked of its own
// Huffman table, since which symbol gets which code is the archiver's sorting order.
std::vector<std::uint32_t> CodesOf(int max_width, int width, int count) {
  std::vector<std::uint8_t> widths(count, static_cast<std::uint8_t>(width));
  ace::Huffman tree;
  tree.Build(max_width, widths.data(), count);
  std::vector<std::uint32_t> codes(count);
  for (std::uint32_t code = 0; code < (1u << width); ++code) {
    const std::uint32_t word = code << (32 - width);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(word), static_cast<std::uint8_t>(word >> 8),
                                   static_cast<std::uint8_t>(word >> 16), static_cast<std::uint8_t>(word >> 24)};
    ace::MemorySource source(bytes, 4);
    ace::BitReader bits(source, 0, 4);
    const int symbol = tree.Decode(bits);
    if (symbol >= 0) codes[symbol] = code;
  }
  return codes;
}

const std::vector<std::uint32_t>& WidthCodes() {
  static const auto codes = CodesOf(7, 4, 16);
  return codes;
}

// A table of count widths, all width: the widths as differences (the first, then zeros) under a
// width tree of 16 four-bit codes.
void PutTable(BitWriter& bits, int count, int width) {
  bits.Put(count - 1, 9);
  bits.Put(0, 4);   // lowest width
  bits.Put(15, 4);  // width range; its own code is the zero run
  for (int i = 0; i < 16; ++i) bits.Put(4, 3);
  bits.Put(WidthCodes()[width], 4);
  for (int i = 1; i < count; ++i) bits.Put(WidthCodes()[0], 4);
}

std::uint32_t NextRandom(std::uint32_t& state) {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  Put16(out, at, v & 0xFFFF);
  Put16(out, at + 2, v >> 16);
}
void FixHeaderCrc(std::vector<std::uint8_t>& archive, std::size_t header) {
  const std::size_t size = archive[header + 2] | (archive[header + 3] << 8);
  Put16(archive, header, ace::Crc32(ace::kCrcStart, &archive[header + 4], size) & 0xFFFF);
}

}  // namespace

void BitWriter::Put(std::uint32_t value, int count) {
  for (int i = count - 1; i >= 0; --i) {
    if (used_ == 32) {
      words_.push_back(0);
      used_ = 0;
    }
    words_.back() |= ((value >> i) & 1u) << (31 - used_);
    ++used_;
  }
}

void BitWriter::PutRice(std::uint32_t value, int r) {
  Put(value & ((1u << r) - 1), r);
  for (std::uint32_t high = value >> r; high > 0; --high) Put(1, 1);
  Put(0, 1);
}

std::vector<std::uint8_t> BitWriter::Bytes() const {
  std::vector<std::uint8_t> out;
  for (std::uint32_t w : words_) {
    for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(w >> (8 * k)));
  }
  return out;
}

void BlockedStream::LzSymbol(int symbol) {
  static const auto codes = CodesOf(11, 9, kMainCodes);
  if (lz_block_left_ == 0) {
    PutTable(bits_, kMainCodes, 9);
    PutTable(bits_, kLengthCodes, 8);
    bits_.Put(kBlockSize, 15);
    lz_block_left_ = kBlockSize;
  }
  --lz_block_left_;
  bits_.Put(codes[symbol], 9);
}

void BlockedStream::SoundSymbol(int symbol) {
  static const auto codes = CodesOf(10, 9, kSoundCodes);
  if (sound_block_left_ == 0) {
    for (int i = 0; i < 3 * sound_channels_; ++i) PutTable(bits_, kSoundCodes, 9);
    bits_.Put(kBlockSize, 15);
    sound_block_left_ = kBlockSize;
  }
  --sound_block_left_;
  bits_.Put(codes[symbol], 9);
}

BlockedStream::SoundChannel& BlockedStream::NextSoundReader() {
  static constexpr int kChannelOf[4][4] = {{0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 0, 2}, {1, 0, 2, 0}};
  for (;;) {
    SoundChannel& ch = sound_state_[kChannelOf[mode_ - kSound8][sound_index_ & 3]];
    if (ch.state != 2) return ch;
    ++sound_index_;
    ++size_;
    if (--ch.run_left == 0) ch.state = 1;
  }
}

void BlockedStream::Literals(const std::vector<std::uint8_t>& bytes) {
  for (std::uint8_t b : bytes) LzSymbol(b);
  size_ += bytes.size();
}

void BlockedStream::Match(std::uint32_t back, std::uint32_t length) {
  static const auto length_codes = CodesOf(11, 8, kLengthCodes);
  const std::uint32_t dist = back - 1;
  const int width = std::bit_width(dist);
  LzSymbol(260 + width);
  if (width >= 2) bits_.Put(dist - (1u << (width - 1)), width - 1);
  bits_.Put(length_codes.at(length - 2 - (dist > 255 ? 1 : 0) - (dist > 8191 ? 1 : 0)), 8);
  size_ += length;
}

void BlockedStream::Switch(int mode, std::uint32_t first, std::uint32_t second) {
  if (mode_ == kPicture) {
    bits_.Put(0, 1);
  } else if (mode_ >= kSound8) {
    NextSoundReader();
    SoundSymbol(kSoundSwitch);
  } else {
    LzSymbol(kModeCode);
  }
  bits_.Put(mode, 8);
  if (mode == kDelta) {
    bits_.Put(first, 8);
    bits_.Put(second, 17);
  } else if (mode == kExe) {
    bits_.Put(first, 8);
  } else if (mode >= kSound8 && mode <= kSound32B && mode != mode_) {
    sound_block_left_ = 0;
    sound_channels_ = mode == kSound8 ? 1 : mode == kSound16 ? 2 : 3;
    for (SoundChannel& ch : sound_state_) ch = SoundChannel{};
  } else if (mode == kPicture && mode != mode_) {
    BitWriter start;
    start.PutRice(first, 12);
    start.PutRice(second, 2);
    const auto bytes = start.Bytes();
    ace::MemorySource source(bytes.data(), bytes.size());
    ace::BitReader reader(source, 0, bytes.size());
    picture_.emplace();
    picture_->Start(reader);
    bits_.PutRice(first, 12);
    bits_.PutRice(second, 2);
  }
  mode_ = mode;
  sound_index_ = 0;
}

void BlockedStream::SoundCodes(const std::vector<int>& codes) {
  for (int code : codes) {
    SoundChannel& ch = NextSoundReader();
    SoundSymbol(code);
    ++sound_index_;
    ++size_;
    if (ch.state == 0 && code < 32) {
      ch.state = code == 0 ? 1 : 2;
      ch.run_left = code;
    } else {
      ch.state = 0;
    }
  }
}

void BlockedStream::PictureRows(int rows, std::uint32_t seed) {
  std::uint32_t state = seed | 1;
  for (int row = 0; row < rows; ++row) {
    bits_.Put(1, 1);
    // Random bits make some row; those the decoder takes for it go into the stream.
    for (;;) {
      std::vector<std::uint8_t> trial(picture_->width() * 8 + 64);
      for (auto& b : trial) b = static_cast<std::uint8_t>(NextRandom(state));
      ace::MemorySource source(trial.data(), trial.size());
      ace::BitReader reader(source, 0, trial.size());
      ace::PictureDecoder next = *picture_;
      if (!next.DecodeRow(reader) || reader.overrun()) continue;
      ace::BitReader copy(source, 0, trial.size());
      for (std::uint64_t left = reader.consumed(); left > 0;) {
        const int n = static_cast<int>(std::min<std::uint64_t>(left, 16));
        bits_.Put(copy.Read(n), n);
        left -= n;
      }
      *picture_ = next;
      size_ += picture_->width();
      break;
    }
  }
}

std::vector<std::uint8_t> BlockedStream::Finish() const { return bits_.Bytes(); }

std::vector<std::uint8_t> MakeBlockedArchive(const std::vector<BlockedMember>& members, bool solid) {
  std::vector<StoredMember> stored;
  for (const BlockedMember& m : members) stored.push_back({m.name, m.packed});
  std::vector<std::uint8_t> archive = MakeStoredArchive(stored, solid);
  std::vector<std::size_t> headers;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const std::size_t header = DataOffset(stored, i) - (4 + 31 + members[i].name.size());
    Put32(archive, header + 4 + 7, members[i].original_size);
    Put32(archive, header + 4 + 19, 0);
    archive[header + 4 + 23] = 2;  // blocked
    archive[header + 4 + 24] = 3;  // normal quality
    Put16(archive, header + 4 + 25, 0x000A);
    FixHeaderCrc(archive, header);
    headers.push_back(header);
  }
  // Each CRC from a decoder that went through the members before it, already sealed.
  for (std::size_t i = 0; i < members.size(); ++i) {
    ace::MemorySource source(archive.data(), archive.size());
    const ace::Directory dir = ace::ReadDirectory(source);
    ace::Unpacker unpacker(source);
    for (std::size_t j = 0; j < i; ++j) unpacker.Unpack(dir.members[j], nullptr);
    std::uint32_t crc = ace::kCrcStart;
    const ace::Status status = unpacker.Unpack(dir.members[i], [&](const std::uint8_t* data, std::size_t size) {
      crc = ace::Crc32(crc, data, size);
      return true;
    });
    if (status != ace::Status::kCrcMismatch) continue;
    Put32(archive, headers[i] + 4 + 19, crc);
    FixHeaderCrc(archive, headers[i]);
  }
  return archive;
}

}  // namespace ace_testing
