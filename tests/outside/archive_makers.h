#pragma once
// Small archives made at run time: ZIP through libarchive's writer, RAR 4 and RAR 5 with stored
// entries written here.
#include <cstdint>
#include <string>
#include <vector>

namespace makers {

using Bytes = std::vector<std::uint8_t>;

struct Entry {
  std::string name;  // as stored, separators included
  std::string data;
  bool folder = false;
  bool bad_crc = false;            // RAR only: store a wrong data CRC
  std::uint8_t rar4_version = 29;  // RAR 4 only: version needed and method as stored in the header
  std::uint8_t rar4_method = 0x30;
  std::string packed;               // RAR 4 only: the member's bytes when not stored; data is what they give
  bool solid = false;               // RAR 4 only: carries on from the members before
  std::uint32_t declared_size = 0;  // RAR 4 only: an unpacked size to write instead of data's
};

// One step of a RAR 2.0 stream: literal bytes, then a match when length is set, then as many
// repeats of the last match.
struct Rar20Step {
  std::string literals;
  std::uint32_t distance = 0, length = 0;  // distance below 8192, length 3 to 258
  std::uint32_t repeats = 0;
};

// RAR 2.0 packed data with fixed-length codes. Tables are sent only when with_tables; a solid
// member goes on with the ones before.
std::string PackRar20(const std::vector<Rar20Step>& steps, bool with_tables = true);

enum class ZipMethod { kStore, kDeflate };

Bytes MakeZip(const std::vector<Entry>& entries, ZipMethod method = ZipMethod::kStore, bool zip64 = false);
Bytes MakeRar4(const std::vector<Entry>& entries);
Bytes MakeRar5(const std::vector<Entry>& entries);

// A RAR 4 block that declares declared_size bytes of data and is followed by data: a service block,
// or a file block for a link stored by a Unix host. Goes between MakeRar4's blocks.
Bytes MakeRar4Block(std::uint64_t declared_size, const std::string& data, bool unix_link = false);

// Renames the first RAR 4 member whose name starts with prefix, dropping any Unicode form.
bool RenameRar4Member(Bytes& archive, const std::string& prefix, const std::string& name);

// Flips one byte of the first occurrence of needle in archive; false if it is not there.
bool CorruptFirst(Bytes& archive, const std::string& needle);

// A ZIP archive of members copied as they are packed from other ZIP archives without data
// descriptors: index is the member's place in the central directory of zip, name the name it gets.
struct CopiedMember {
  const Bytes* zip;
  std::size_t index;
  std::string name;
};
Bytes CopyZipMembers(const std::vector<CopiedMember>& members);

}  // namespace makers
