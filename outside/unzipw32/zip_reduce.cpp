// Reduce: bytes predicted from the byte before them through follower sets, then expanded by
// runs that copy from up to 4 KB back, introduced by the byte 144.
#include <algorithm>
#include <array>

#include "zip_bits.h"
#include "zip_legacy.h"

namespace zip {

namespace {

constexpr std::uint8_t kEscape = 144;
constexpr int kMaxFollowers = 32;

// Bits of an index into a follower set of n bytes.
int IndexWidth(int n) {
  int width = 1;
  while ((1 << width) < n) ++width;
  return width;
}

}  // namespace

Status Unreduce(const std::uint8_t* packed, std::size_t packed_size, int factor, std::uint8_t* out, std::size_t size) {
  if (factor < 1 || factor > 4) return Status::kUnsupported;
  BitInput bits(packed, packed_size);
  std::array<std::array<std::uint8_t, kMaxFollowers>, 256> followers;
  std::array<std::uint8_t, 256> counts;
  std::array<std::uint8_t, 256> widths;
  for (int j = 255; j >= 0; --j) {
    const std::uint32_t n = bits.Read(6);
    if (n > kMaxFollowers) return Status::kCorrupt;
    counts[j] = static_cast<std::uint8_t>(n);
    widths[j] = static_cast<std::uint8_t>(IndexWidth(static_cast<int>(n)));
    for (std::uint32_t k = 0; k < n; ++k) followers[j][k] = static_cast<std::uint8_t>(bits.Read(8));
  }
  if (bits.overrun()) return Status::kCorrupt;

  const std::uint32_t length_mask = 0xFFu >> factor;
  std::uint8_t last = 0;
  int state = 0;
  std::uint32_t lead = 0;  // the byte after the escape: length and the top of the distance
  std::uint32_t length = 0;
  std::size_t pos = 0;
  while (pos < size) {
    std::uint8_t c;
    const int n = counts[last];
    if (n == 0 || bits.Read(1)) {
      c = static_cast<std::uint8_t>(bits.Read(8));
    } else {
      const std::uint32_t index = bits.Read(widths[last]);
      if (index >= static_cast<std::uint32_t>(n)) return Status::kCorrupt;
      c = followers[last][index];
    }
    if (bits.overrun()) return Status::kCorrupt;
    last = c;
    switch (state) {
      case 0:
        if (c == kEscape) {
          state = 1;
        } else {
          out[pos++] = c;
        }
        break;
      case 1:
        if (c == 0) {
          out[pos++] = kEscape;
          state = 0;
        } else {
          lead = c;
          length = c & length_mask;
          state = length == length_mask ? 2 : 3;
        }
        break;
      case 2:
        length += c;
        state = 3;
        break;
      default: {
        // Bytes before the start of the output count as zeros.
        const std::size_t distance = ((lead >> (8 - factor)) << 8) + c + 1;
        std::size_t left = std::min<std::size_t>(length + 3, size - pos);
        for (; left > 0; --left, ++pos) out[pos] = pos >= distance ? out[pos - distance] : 0;
        state = 0;
        break;
      }
    }
  }
  return Status::kOk;
}

}  // namespace zip
