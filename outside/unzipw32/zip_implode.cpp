// Implode: matches over a 4 KB or 8 KB window, their lengths and distances (and, with three
// trees, the literals) coded with Shannon-Fano trees stored at the start of the data.
#include <algorithm>
#include <array>
#include <vector>

#include "zip_bits.h"
#include "zip_legacy.h"

namespace zip {

namespace {

constexpr int kMaxCodeBits = 16;

// Lookup table over the next max_bits input bits: symbol and code length, or 0 for no code.
class ShannonFano {
 public:
  // Reads a tree of count symbols; false when it is malformed.
  bool Read(BitInput& bits, int count) {
    std::array<std::uint8_t, 256> lengths{};
    const int groups = static_cast<int>(bits.Read(8)) + 1;
    int filled = 0;
    for (int g = 0; g < groups; ++g) {
      const std::uint32_t byte = bits.Read(8);
      const int length = static_cast<int>(byte & 0x0F) + 1;
      const int repeat = static_cast<int>(byte >> 4) + 1;
      if (filled + repeat > count) return false;
      for (int k = 0; k < repeat; ++k) lengths[filled++] = static_cast<std::uint8_t>(length);
    }
    if (filled != count || bits.overrun()) return false;

    // Symbols by ascending length, ties by value; codes are handed out from the far end, the
    // longest codes getting the lowest values, each as the top bits of a 16-bit number.
    std::array<std::uint8_t, 256> sorted;
    int n = 0;
    max_bits_ = 1;
    for (int length = 1; length <= kMaxCodeBits; ++length) {
      for (int s = 0; s < count; ++s) {
        if (lengths[s] == length) {
          sorted[n++] = static_cast<std::uint8_t>(s);
          max_bits_ = length;
        }
      }
    }
    table_.assign(std::size_t{1} << max_bits_, 0);
    std::uint32_t code = 0;
    std::uint32_t increment = 0;
    int last_length = 0;
    for (int i = count - 1; i >= 0; --i) {
      const int symbol = sorted[i];
      const int length = lengths[symbol];
      code += increment;
      if (length != last_length) {
        last_length = length;
        increment = std::uint32_t{1} << (kMaxCodeBits - length);
      }
      // Codes that overlap or run past 16 bits do not form a prefix code.
      if (code % increment != 0 || code + increment > (std::uint32_t{1} << kMaxCodeBits)) return false;
      // The stream holds each code from its top bit down, so the table is indexed bit-reversed.
      std::uint32_t reversed = 0;
      for (int b = 0; b < length; ++b) reversed |= ((code >> (kMaxCodeBits - 1 - b)) & 1) << b;
      const auto entry = static_cast<std::uint16_t>((length << 8) | symbol);
      for (std::size_t at = reversed; at < table_.size(); at += std::size_t{1} << length) table_[at] = entry;
    }
    return true;
  }

  // Symbol, or -1 when the bits spell no code.
  int Decode(BitInput& bits) const {
    const std::uint16_t entry = table_[bits.Peek(max_bits_)];
    if (entry == 0) return -1;
    bits.Skip(entry >> 8);
    return entry & 0xFF;
  }

 private:
  int max_bits_ = 1;
  std::vector<std::uint16_t> table_;
};

}  // namespace

Status Explode(const std::uint8_t* packed, std::size_t packed_size, bool window_8k, bool literal_tree,
               std::uint8_t* out, std::size_t size) {
  BitInput bits(packed, packed_size);
  ShannonFano literals, lengths, distances;
  if (literal_tree && !literals.Read(bits, 256)) return Status::kCorrupt;
  if (!lengths.Read(bits, 64) || !distances.Read(bits, 64)) return Status::kCorrupt;

  const int low_bits = window_8k ? 7 : 6;
  const std::size_t min_match = literal_tree ? 3 : 2;
  std::size_t pos = 0;
  while (pos < size) {
    if (bits.Read(1)) {
      const int c = literal_tree ? literals.Decode(bits) : static_cast<int>(bits.Read(8));
      if (c < 0) return Status::kCorrupt;
      out[pos++] = static_cast<std::uint8_t>(c);
    } else {
      const std::uint32_t low = bits.Read(low_bits);
      const int high = distances.Decode(bits);
      if (high < 0) return Status::kCorrupt;
      const int code = lengths.Decode(bits);
      if (code < 0) return Status::kCorrupt;
      std::size_t length = static_cast<std::size_t>(code) + min_match;
      if (code == 63) length += bits.Read(8);
      const std::size_t distance = ((static_cast<std::size_t>(high) << low_bits) | low) + 1;
      // Bytes before the start of the output count as zeros.
      for (std::size_t left = std::min(length, size - pos); left > 0; --left, ++pos) {
        out[pos] = pos >= distance ? out[pos - distance] : 0;
      }
    }
    if (bits.overrun()) return Status::kCorrupt;
  }
  return Status::kOk;
}

}  // namespace zip
