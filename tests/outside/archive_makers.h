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
};

enum class ZipMethod { kStore, kDeflate };

Bytes MakeZip(const std::vector<Entry>& entries, ZipMethod method = ZipMethod::kStore, bool zip64 = false);
Bytes MakeRar4(const std::vector<Entry>& entries);
Bytes MakeRar5(const std::vector<Entry>& entries);

// A RAR 4 block that declares declared_size bytes of data and is followed by data: a service block,
// or a file block for a link stored by a Unix host. Goes between MakeRar4's blocks.
Bytes MakeRar4Block(std::uint64_t declared_size, const std::string& data, bool unix_link = false);

// Flips one byte of the first occurrence of needle in archive; false if it is not there.
bool CorruptFirst(Bytes& archive, const std::string& needle);

}  // namespace makers
