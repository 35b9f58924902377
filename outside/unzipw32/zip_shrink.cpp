// Shrink: LZW with codes of 9 to 13 bits that grow only when the packer says so, and a partial
// clear that frees the leaves of the code tree instead of starting afresh.
#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <vector>

#include "zip_bits.h"
#include "zip_legacy.h"

namespace zip {

namespace {

constexpr int kCodes = 8192;
constexpr int kControl = 256;
constexpr int kFirstFree = 257;
constexpr int kMinWidth = 9;
constexpr int kMaxWidth = 13;

class Unshrinker {
 public:
  Unshrinker() {
    free_.fill(~std::uint64_t{0});
    for (int c = 0; c < kFirstFree; ++c) free_[c / 64] &= ~(std::uint64_t{1} << (c % 64));
    children_.fill(0);
  }

  Status Run(BitInput& bits, std::uint8_t* out, std::size_t size) {
    int width = kMinWidth;
    int prev = -1;
    std::size_t pos = 0;
    while (pos < size) {
      const int code = static_cast<int>(bits.Read(width));
      if (code == kControl) {
        const std::uint32_t sub = bits.Read(width);
        if (sub == 1 && width < kMaxWidth) {
          ++width;
        } else if (sub == 2) {
          PartialClear();
        } else {
          return Status::kCorrupt;
        }
        if (bits.overrun()) return Status::kCorrupt;
        continue;
      }
      const int length = Spell(code, prev);
      if (length < 0 || bits.overrun()) return Status::kCorrupt;
      const std::size_t take = std::min(static_cast<std::size_t>(length), size - pos);
      for (std::size_t i = 0; i < take; ++i) out[pos + i] = stack_[static_cast<std::size_t>(length) - 1 - i];
      pos += take;
      if (prev >= 0 && next_free_ < kCodes) Add(prev, stack_[static_cast<std::size_t>(length) - 1]);
      prev = code;
    }
    return Status::kOk;
  }

 private:
  bool IsFree(int code) const { return (free_[code / 64] >> (code % 64)) & 1; }

  // Lowest free code from 'from' on, or kCodes.
  int LowestFree(int from) const {
    for (int word = from / 64; word < kCodes / 64; ++word) {
      std::uint64_t bits = free_[word];
      if (word == from / 64) bits &= ~std::uint64_t{0} << (from % 64);
      if (bits) return word * 64 + std::countr_zero(bits);
    }
    return kCodes;
  }

  // Puts the bytes of code's string, last first, into stack_; returns their count or -1. A free
  // code in the chain is the one this step defines: prev's string plus the string's first byte.
  int Spell(int code, int prev) {
    int n = 0;
    int hole = -1;
    int x = code;
    while (x >= kFirstFree) {
      if (n >= kCodes) return -1;  // only a loop gets this long
      if (IsFree(x)) {
        if (x != next_free_ || prev < 0 || hole >= 0) return -1;
        hole = n;
        stack_[n++] = 0;
        x = prev;
        continue;
      }
      stack_[n++] = last_[x];
      x = parent_[x];
    }
    if (x == kControl) return -1;
    stack_[n++] = static_cast<std::uint8_t>(x);
    if (hole >= 0) stack_[hole] = static_cast<std::uint8_t>(x);
    return n;
  }

  void Add(int prefix, std::uint8_t byte) {
    const int code = next_free_;
    parent_[code] = static_cast<std::int16_t>(prefix);
    last_[code] = byte;
    free_[code / 64] &= ~(std::uint64_t{1} << (code % 64));
    if (prefix >= kFirstFree) ++children_[prefix];
    leaves_.push_back(static_cast<std::uint16_t>(code));
    next_free_ = LowestFree(code + 1);
  }

  // Frees every code in use that no code in use names as its prefix. Codes become leaves only when
  // they are made or lose their last child, so only those are looked at.
  void PartialClear() {
    cleared_.clear();
    for (const std::uint16_t code : leaves_) {
      if (IsFree(code) || children_[code] != 0) continue;
      free_[code / 64] |= std::uint64_t{1} << (code % 64);
      cleared_.push_back(code);
    }
    leaves_.clear();
    for (const std::uint16_t code : cleared_) {
      const int prefix = parent_[code];
      if (prefix < kFirstFree) continue;
      if (--children_[prefix] == 0 && !IsFree(prefix)) leaves_.push_back(static_cast<std::uint16_t>(prefix));
    }
    next_free_ = LowestFree(kFirstFree);
  }

  std::array<std::int16_t, kCodes> parent_{};
  std::array<std::uint8_t, kCodes> last_{};
  std::array<std::uint16_t, kCodes> children_;   // codes in use that name this one as prefix
  std::array<std::uint64_t, kCodes / 64> free_;  // one bit per code
  std::array<std::uint8_t, kCodes + 1> stack_{};
  std::vector<std::uint16_t> leaves_;  // codes that may be leaves at the next clear
  std::vector<std::uint16_t> cleared_;
  int next_free_ = kFirstFree;
};

}  // namespace

Status Unshrink(const std::uint8_t* packed, std::size_t packed_size, std::uint8_t* out, std::size_t size) {
  BitInput bits(packed, packed_size);
  auto unshrinker = std::make_unique<Unshrinker>();
  return unshrinker->Run(bits, out, size);
}

}  // namespace zip
