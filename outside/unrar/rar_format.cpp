#include "rar_format.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace rar {

namespace {

using outside::Le16;
using outside::Le32;

constexpr std::uint8_t kSignature[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr std::uint8_t kMainBlock = 0x73, kFileBlock = 0x74, kEndBlock = 0x7B;
constexpr std::uint16_t kAddSize = 0x8000;
constexpr std::size_t kFileFixed = 32;  // up to and with the attributes
// Blocks other than file headers between two file headers; more means a hostile archive.
constexpr int kMaxOtherBlocks = 4096;
// File headers the probe reads before it settles on this reader.
constexpr int kProbeEntries = 256;

bool HeaderCrcMatches(const std::vector<std::uint8_t>& h, std::size_t covered) {
  covered = std::min(covered, h.size());
  return covered >= 2 && (Crc32(0, &h[2], covered - 2) & 0xFFFF) == Le16(&h[0]);
}

// The Unicode form that follows the name's NUL: a high byte, then per four characters a byte of
// two-bit opcodes saying how each is spelt (low byte; with the high byte; both; or a run taken
// from the 8-bit name, shifted).
std::u16string DecodeWideName(const std::uint8_t* field, std::size_t size, std::size_t narrow) {
  std::u16string out;
  std::size_t at = narrow + 1;
  if (at >= size) return out;
  const std::uint8_t high = field[at++];
  std::uint8_t ops = 0;
  int op_bits = 0;
  while (at < size && out.size() < size) {
    if (op_bits == 0) {
      ops = field[at++];
      op_bits = 8;
      if (at >= size) break;
    }
    op_bits -= 2;
    switch ((ops >> op_bits) & 3) {
      case 0:
        out += static_cast<char16_t>(field[at++]);
        break;
      case 1:
        out += static_cast<char16_t>((high << 8) | field[at++]);
        break;
      case 2:
        if (at + 1 >= size) return out;
        out += static_cast<char16_t>(field[at] | (field[at + 1] << 8));
        at += 2;
        break;
      default: {
        const std::uint8_t run = field[at++];
        std::uint8_t shift = 0, run_high = 0;
        if (run & 0x80) {
          if (at >= size) return out;
          shift = field[at++];
          run_high = high;
        }
        for (int n = (run & 0x7F) + 2; n > 0 && out.size() < size; --n) {
          const std::uint8_t low = static_cast<std::uint8_t>(field[out.size()] + shift);
          out += static_cast<char16_t>((run_high << 8) | low);
        }
        break;
      }
    }
  }
  const std::size_t nul = out.find(u'\0');
  if (nul != std::u16string::npos) out.resize(nul);
  return out;
}

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  return ~outside::Crc32Steps(~crc, data, size);
}

std::size_t CachedSource::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t size) {
  const bool cached = offset >= block_offset_ && offset - block_offset_ <= block_size_ &&
                      size <= block_size_ - (offset - block_offset_);
  if (!cached) {
    if (size > kBlock) return source_.ReadAt(offset, out, size);
    block_offset_ = offset;
    block_size_ = source_.ReadAt(offset, block_, kBlock);
    size = std::min(size, block_size_);
  }
  std::memcpy(out, block_ + (offset - block_offset_), size);
  return size;
}

bool Entry::folder() const {
  if ((flags & 0x00E0) == 0x00E0) return true;
  if (host == kUnix || host == kMacOs || host == kBeOs) return (attributes & 0xF000) == 0x4000;
  return (attributes & 0x10) != 0;
}

bool Entry::link() const {
  return (host == kUnix || host == kMacOs || host == kBeOs) && (attributes & 0xF000) == 0xA000;
}

bool Entry::regular() const {
  if (folder()) return false;
  if (host == kUnix || host == kMacOs || host == kBeOs) return (attributes & 0xF000) == 0x8000;
  return true;
}

Status Walker::Start() {
  std::uint8_t head[7];
  if (source_.ReadAt(0, head, 7) != 7 || std::memcmp(head, kSignature, 7) != 0) return Status::kBadHeader;
  std::uint8_t fixed[7];
  if (source_.ReadAt(7, fixed, 7) != 7) return Status::kTruncated;
  const std::uint16_t size = Le16(&fixed[5]);
  if (fixed[2] != kMainBlock || size < 13) return Status::kBadHeader;
  std::vector<std::uint8_t> h(size);
  if (source_.ReadAt(7, h.data(), size) != size) return Status::kTruncated;
  main_flags_ = Le16(&h[3]);
  // Old archives keep their comment inside the main header, outside its CRC.
  if (!HeaderCrcMatches(h, size) && !((main_flags_ & 0x0002) && HeaderCrcMatches(h, 13))) {
    return Status::kBadHeader;
  }
  if (encrypted_headers()) return Status::kUnsupported;
  at_ = 7 + static_cast<std::uint64_t>(size);
  return Status::kOk;
}

Status Walker::ReadBlock(std::uint64_t at, Entry& entry, bool& is_file, std::uint64_t& next) {
  std::uint8_t fixed[11];
  const std::size_t got = source_.ReadAt(at, fixed, sizeof fixed);
  if (got < 7) return Status::kTruncated;
  const std::uint8_t type = fixed[2];
  const std::uint16_t flags = Le16(&fixed[3]);
  const std::uint16_t size = Le16(&fixed[5]);
  if (size < 7) return Status::kBadHeader;
  is_file = type == kFileBlock;
  if (type == kEndBlock) {
    next = at + size;
    return Status::kEnd;
  }
  if (!is_file) {
    std::uint64_t extra = 0;
    if (flags & kAddSize) {
      if (size < 11 || got < 11) return Status::kBadHeader;
      extra = Le32(&fixed[7]);
    }
    next = at + size + extra;
    return Status::kOk;
  }

  if (size < kFileFixed) return Status::kBadHeader;
  std::vector<std::uint8_t> h(size);
  if (source_.ReadAt(at, h.data(), size) != size) return Status::kTruncated;
  const bool large = (flags & 0x0100) != 0;
  const std::size_t name_at = kFileFixed + (large ? 8 : 0);
  const std::size_t name_size = Le16(&h[26]);
  if (name_at + name_size > size) return Status::kBadHeader;
  // An old file comment sits behind the name, outside the header's CRC.
  if (!HeaderCrcMatches(h, size) && !((flags & 0x0008) && HeaderCrcMatches(h, name_at + name_size))) {
    return Status::kBadHeader;
  }

  entry = Entry{};
  entry.flags = flags;
  entry.packed_size = Le32(&h[7]);
  entry.unpacked_size = Le32(&h[11]);
  if (large) {
    entry.packed_size |= static_cast<std::uint64_t>(Le32(&h[32])) << 32;
    entry.unpacked_size |= static_cast<std::uint64_t>(Le32(&h[36])) << 32;
  }
  entry.host = h[15];
  entry.crc = Le32(&h[16]);
  entry.dos_time = Le32(&h[20]);
  entry.version = h[24];
  entry.method = h[25];
  entry.attributes = Le32(&h[28]);
  if (entry.host > kBeOs) return Status::kBadHeader;

  const std::uint8_t* field = &h[name_at];
  const std::size_t narrow = static_cast<std::size_t>(std::find(field, field + name_size, std::uint8_t{0}) - field);
  entry.name.assign(reinterpret_cast<const char*>(field), narrow);
  if (flags & 0x0200) {
    if (narrow < name_size) {
      entry.wide_name = DecodeWideName(field, name_size, narrow);
    } else {
      entry.utf8_name = true;
    }
  }

  entry.data_offset = at + size;
  // Sizes past 2^62 cannot be real and would overflow the arithmetic below.
  if (entry.packed_size >> 62 || entry.unpacked_size >> 62) return Status::kBadHeader;
  next = entry.data_offset + entry.packed_size;
  return Status::kOk;
}

Status Walker::Next(Entry& entry) {
  if (ended_) return Status::kEnd;
  for (int block = 0; block < kMaxOtherBlocks; ++block) {
    if (at_ >= source_.Size() || source_.Size() - at_ < 7) {
      ended_ = true;
      return Status::kEnd;
    }
    bool is_file = false;
    std::uint64_t next = 0;
    const Status s = ReadBlock(at_, entry, is_file, next);
    if (s == Status::kEnd) ended_ = true;
    if (s != Status::kOk) return s;
    at_ = next;
    if (!is_file) continue;
    // RAR 1.5 marks solid archives only in the main header; later versions mark each member.
    entry.solid = entry.version <= 15 ? solid_archive() && seen_file_ : (entry.flags & 0x0010) != 0;
    seen_file_ = true;
    return Status::kOk;
  }
  return Status::kBadHeader;
}

bool DecodesHere(Source& source) {
  std::uint8_t head[7];
  if (source.ReadAt(0, head, 7) != 7 || std::memcmp(head, kSignature, 7) != 0) return false;
  Walker walker(source);
  if (walker.Start() != Status::kOk) return false;
  // libarchive reads neither old-style comments nor members marked solid.
  bool beyond_libarchive = walker.old_comment();
  Entry entry;
  for (int i = 0; i < kProbeEntries && walker.Next(entry) == Status::kOk; ++i) {
    if (!entry.stored() && !entry.folder()) return Unpacker::Decodes(entry);
    if (entry.flags & 0x0018) beyond_libarchive = true;
  }
  return beyond_libarchive;
}

}  // namespace rar
