#pragma once
// ACE 1.0 / 2.0 archive reader: header parsing and member decoding over a random-access byte source.
// No Windows headers here, so the decoder also builds natively for fuzzing.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "byte_source.h"

namespace ace {

enum class Status {
  kOk,
  kNotAce,       // no main header at the start
  kTruncated,    // the data ends inside a header or a member
  kBadHeader,    // a header field is out of range
  kHeaderCrc,    // a header's CRC-16 does not match
  kEncrypted,    // password-protected member
  kMultiVolume,  // member continues in another volume
  kUnsupported,  // compression method or mode we do not decode
  kCorrupt,      // the compressed stream is invalid
  kCrcMismatch,  // decoded bytes do not match the stored CRC-32
  kTooLarge,     // over the caller's size limit
  kSinkFailed,   // the output callback refused the data
};

const char* StatusText(Status status);

// ACE's CRC-32: the usual polynomial, started at all ones and never inverted at the end.
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);
constexpr std::uint32_t kCrcStart = 0xFFFFFFFFu;

using Source = outside::ByteSource;
using outside::MemorySource;

enum Method : std::uint8_t { kStored = 0, kLz77 = 1, kBlocked = 2 };

struct ArchiveInfo {
  std::uint16_t flags = 0;
  std::uint8_t version_extract = 0;
  std::uint8_t version_created = 0;
  std::uint8_t host = 0;
  std::uint8_t volume = 0;
  std::uint32_t time_created = 0;
  bool solid() const { return (flags & 0x8000) != 0; }
  bool multi_volume() const { return (flags & 0x0800) != 0; }
  bool locked() const { return (flags & 0x4000) != 0; }
};

struct Member {
  std::uint16_t flags = 0;
  std::uint64_t packed_size = 0;
  std::uint64_t original_size = 0;
  std::uint32_t time = 0;  // DOS date and time
  std::uint32_t attributes = 0;
  std::uint32_t crc32 = 0;  // ACE form, see Crc32
  std::uint8_t method = 0;
  std::uint8_t quality = 0;
  std::uint16_t params = 0;
  std::string name;  // 8-bit, folders separated by '\'
  std::uint64_t data_offset = 0;

  bool is_folder() const { return (attributes & 0x10) != 0; }
  bool encrypted() const { return (flags & 0x4000) != 0; }
  bool continued_from_previous() const { return (flags & 0x1000) != 0; }
  bool continues_in_next() const { return (flags & 0x2000) != 0; }
  bool solid() const { return (flags & 0x8000) != 0; }
  // Part after the last '\', '/' or ':'.
  std::string file_part() const;
};

// Reads the main header and every member header. Members are listed up to the first damaged
// header; the status says why the walk ended (kOk when it reached the end of the data cleanly).
struct Directory {
  ArchiveInfo info;
  std::vector<Member> members;
  Status status = Status::kOk;
};
Directory ReadDirectory(Source& source);

// Receives decoded bytes; returns false to abort.
using Sink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// Decodes members in archive order. In a solid archive every earlier member must be passed
// through Unpack (with an empty sink if its bytes are not wanted) before a later one.
class Unpacker {
 public:
  // unkept_limit bounds the bytes decoded in all for compressed members handed an empty sink:
  // a few bits can stand for a great many bytes, and a solid archive asks for all of them.
  // A member that would pass it fails undecoded with kTooLarge; the solid members after it then fail.
  explicit Unpacker(Source& source, std::uint64_t unkept_limit = UINT64_MAX);
  ~Unpacker();
  Unpacker(const Unpacker&) = delete;
  Unpacker& operator=(const Unpacker&) = delete;

  // Decodes member and checks its CRC. sink may be empty. Folders succeed with no output.
  Status Unpack(const Member& member, const Sink& sink);

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

// Whole-buffer convenience: decodes member into out, refusing more than limit bytes.
Status UnpackToBuffer(Unpacker& unpacker, const Member& member, std::uint64_t limit, std::vector<std::uint8_t>& out);

}  // namespace ace
