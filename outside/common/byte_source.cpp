#include "byte_source.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace outside {

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}
constexpr auto kCrcTable = MakeCrcTable();

}  // namespace

std::size_t MemorySource::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t size) {
  if (offset >= size_) return 0;
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, size_ - offset));
  std::memcpy(out, data_ + offset, n);
  return n;
}

std::uint32_t Crc32Steps(std::uint32_t state, const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) state = kCrcTable[(state ^ data[i]) & 0xFF] ^ (state >> 8);
  return state;
}

}  // namespace outside
