#pragma once
// The records the archive libraries trade are byte-packed and laid out for 32-bit pointers. A 64-bit
// build keeps the field order, so every pointer before a field moves it 4 bytes further on.
#include <cstddef>

constexpr std::size_t RecordOffset(std::size_t offset_with_32bit_pointers, std::size_t pointers_before) {
  return offset_with_32bit_pointers + pointers_before * (sizeof(void*) - 4);
}
