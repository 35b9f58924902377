#pragma once
// Huffman codes as ACE stores them: by their widths only, the widths themselves coded.
#include <cstdint>
#include <vector>

#include "ace_bits.h"

namespace ace {

// Lookup-table Huffman decoder; codes are given by their widths only.
class Huffman {
 public:
  // False when the widths do not form a usable prefix code.
  bool Build(int max_width, const std::uint8_t* widths, int count);
  // Reads up to count code widths as the stream stores them and builds the code from them.
  bool Read(BitReader& bits, int max_width, int count);
  // Symbol, or -1 when the bits hit an unassigned code.
  int Decode(BitReader& bits) const {
    const std::uint16_t sym = table_[bits.Peek(max_width_)];
    if (sym == kNone) return -1;
    bits.Skip(widths_[sym]);
    return sym;
  }

 private:
  static constexpr std::uint16_t kNone = 0xFFFF;
  int max_width_ = 1;
  std::vector<std::uint16_t> table_ = std::vector<std::uint16_t>(2, kNone);
  std::vector<std::uint8_t> widths_;
};

}  // namespace ace
