#pragma once
// The ZIP methods of PKZIP 0.9x and 1.x: Shrink (1), Reduce (2 to 5) and Implode (6), which
// libarchive does not decode, and the central directory lookup that finds such an entry's fields.
// No Windows headers here, so this also builds natively for fuzzing.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "byte_source.h"

namespace zip {

enum class Status {
  kOk,
  kUnsupported,  // not one of these methods, or encrypted
  kCorrupt,      // the compressed data is invalid or ends too early
  kCrcMismatch,  // decoded bytes do not match the stored CRC-32
  kNotFound,     // no such entry in the central directory
};

// The usual ZIP CRC-32 of data.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

// Each decoder fills out with exactly size bytes and reads no byte outside packed.
Status Unshrink(const std::uint8_t* packed, std::size_t packed_size, std::uint8_t* out, std::size_t size);
// factor 1 to 4 (methods 2 to 5).
Status Unreduce(const std::uint8_t* packed, std::size_t packed_size, int factor, std::uint8_t* out, std::size_t size);
Status Explode(const std::uint8_t* packed, std::size_t packed_size, bool window_8k, bool literal_tree,
               std::uint8_t* out, std::size_t size);

constexpr bool IsLegacyMethod(std::uint16_t method) { return method >= 1 && method <= 6; }

// An entry as the central directory describes it.
struct Entry {
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint32_t packed_size = 0;
  std::uint32_t size = 0;
  std::uint64_t data_offset = 0;  // behind the local header
  bool encrypted() const { return (flags & 0x0001) != 0; }
};

// Decodes entry's data (packed_size bytes) into out (size bytes) and checks the CRC.
Status Decode(const Entry& entry, const std::uint8_t* packed, std::uint8_t* out);

using Source = outside::ByteSource;
using outside::MemorySource;

// The legacy entries of an archive's central directory, read once. Archives that need ZIP64
// fields for their directory are not read.
class LegacyDirectory {
 public:
  explicit LegacyDirectory(Source& source);
  // kOk when the directory could be read.
  Status status() const { return status_; }
  // The entry whose data begins at data_offset, as its local header places it.
  Status Find(std::uint64_t data_offset, Entry& entry) const;
  // Every entry whose local header is where the directory says, in directory order.
  std::vector<Entry> List() const;
  // Reads archive bytes like Source::ReadAt, from the end of the file read for the directory when
  // it holds them: in a small archive, everything.
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t size) const;

 private:
  struct Listed {
    std::uint64_t header_offset;
    std::size_t order;  // in the directory
    Entry entry;
  };
  Status ReadDirectory(std::vector<std::uint8_t>& directory, std::uint64_t& correction);
  // Sets entry.data_offset from the local header at offset; false when there is none that fits.
  bool PlaceData(std::uint64_t offset, Entry& entry) const;

  Source& source_;
  std::uint64_t size_;
  std::vector<std::uint8_t> tail_;
  std::uint64_t tail_at_ = 0;
  Status status_;
  std::vector<Listed> entries_;  // furthest header first; in directory order among equals
};

}  // namespace zip
