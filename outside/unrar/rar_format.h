#pragma once
// RAR 1.5 to 4.x archives without Windows headers: the block chain, the file headers, and the
// decoding of members packed by RAR 1.5 and 2.0 (later methods are left to libarchive). Builds
// natively too, for fuzzing.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "byte_source.h"

namespace rar {

enum class Status {
  kOk,
  kEnd,          // Walker::Next: no further file header
  kTruncated,    // the data ends inside a header or a member
  kBadHeader,    // a header is damaged: bad CRC, size or field
  kUnsupported,  // a method or version decoded elsewhere, or not at all
  kEncrypted,    // password-protected member
  kSplit,        // member continues in another volume
  kCorrupt,      // the packed data is invalid, or a solid member lost the ones before it
  kCrcMismatch,  // decoded bytes do not match the stored CRC-32
  kSinkFailed,   // the output callback refused the data
};

// The usual CRC-32 (as zlib's crc32), continued from crc.
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

using Source = outside::ByteSource;
using outside::MemorySource;

// Serves the many small header reads from one block read ahead.
class CachedSource : public Source {
 public:
  explicit CachedSource(Source& source) : source_(source) {}
  std::uint64_t Size() const override { return source_.Size(); }
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t size) override;

 private:
  static constexpr std::size_t kBlock = 4096;
  Source& source_;
  std::uint8_t block_[kBlock];
  std::uint64_t block_offset_ = 0;
  std::size_t block_size_ = 0;
};

enum Host : std::uint8_t { kMsDos = 0, kOs2 = 1, kWin32 = 2, kUnix = 3, kMacOs = 4, kBeOs = 5 };

// One file header.
struct Entry {
  std::string name;          // the stored bytes, cut at the first NUL; '\' separates folders
  std::u16string wide_name;  // the Unicode form, when the header carries one
  bool utf8_name = false;    // marked Unicode but without that form: name is UTF-8
  std::uint16_t flags = 0;
  std::uint64_t packed_size = 0;
  std::uint64_t unpacked_size = 0;
  std::uint64_t data_offset = 0;
  std::uint32_t crc = 0;
  std::uint32_t dos_time = 0;  // MS-DOS date and time, as stored
  std::uint32_t attributes = 0;
  std::uint8_t host = 0;
  std::uint8_t version = 0;  // unpack version: 15, 20, 26, 29, ...
  std::uint8_t method = 0;   // 0x30 stored .. 0x35 best
  bool solid = false;        // decoding carries on from the packed members before it

  bool stored() const { return method == 0x30; }
  bool encrypted() const { return (flags & 0x0004) != 0; }
  bool split() const { return (flags & 0x0003) != 0; }
  bool folder() const;
  bool link() const;     // a Unix symbolic link
  bool regular() const;  // neither folder nor link nor device
};

// Walks the blocks of one archive from its start.
class Walker {
 public:
  explicit Walker(Source& source) : source_(source) {}

  // Reads the signature at offset 0 and the main header.
  Status Start();
  // The next file header; kEnd at the end block or at the end of the data.
  Status Next(Entry& entry);

  bool solid_archive() const { return (main_flags_ & 0x0008) != 0; }
  bool encrypted_headers() const { return (main_flags_ & 0x0080) != 0; }
  bool old_comment() const { return (main_flags_ & 0x0002) != 0; }

 private:
  Status ReadBlock(std::uint64_t at, Entry& entry, bool& is_file, std::uint64_t& next);

  Source& source_;
  std::uint64_t at_ = 0;
  std::uint16_t main_flags_ = 0;
  bool seen_file_ = false;
  bool ended_ = false;
};

// True when this reader, rather than libarchive, should take the archive: it starts with the
// RAR 1.5-4.x signature, its headers are readable, and its first packed member uses the method of
// RAR 1.5 or 2.0; or it has no packed member but headers libarchive stops at.
bool DecodesHere(Source& source);

// Receives decoded bytes; returns false to stop.
using Sink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// Decodes members in archive order. A solid member carries on from the packed members before it,
// which must have gone through Unpack first.
class Unpacker {
 public:
  explicit Unpacker(Source& source);
  ~Unpacker();
  Unpacker(const Unpacker&) = delete;
  Unpacker& operator=(const Unpacker&) = delete;

  // Decodes the member's unpacked_size bytes into sink and checks its CRC. Stored members and
  // those of unpack version 15, 20 and 26 only.
  Status Unpack(const Entry& entry, const Sink& sink);

  // Whether Unpack takes this member at all.
  static bool Decodes(const Entry& entry);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace rar
