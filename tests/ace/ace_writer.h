#pragma once
// Builds small ACE archives with stored members, for driving the decoder and the DLL.
#include <cstdint>
#include <string>
#include <vector>

namespace ace_testing {

struct StoredMember {
  std::string name;
  std::vector<std::uint8_t> data;
  std::uint16_t extra_flags = 0;  // e.g. 0x4000 password, 0x2000 continues in next volume
  std::uint32_t attributes = 0x20;
  bool wrong_crc = false;
};

std::vector<std::uint8_t> MakeStoredArchive(const std::vector<StoredMember>& members, bool solid = false);

// Offset of the first byte of member index's stored data in an archive made above.
std::size_t DataOffset(const std::vector<StoredMember>& members, std::size_t index);

std::vector<std::uint8_t> Bytes(const std::string& text);

}  // namespace ace_testing
