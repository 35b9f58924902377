#include "ace_huffman.h"

#include <algorithm>

namespace ace {

namespace {
constexpr int kWidthWidth = 7;

// The archiver's own quicksort (pivot at the right end). Codes of equal width are handed out
// in the order it leaves them, so its exact tie behaviour is part of the format.
void SortRange(std::uint8_t* freq, std::uint16_t* org, int left, int right) {
  for (;;) {
    int zl = left;
    int zr = right;
    const std::uint8_t pivot = freq[right];
    do {
      while (freq[zl] > pivot) ++zl;
      while (freq[zr] < pivot) --zr;
      if (zl <= zr) {
        std::swap(freq[zl], freq[zr]);
        std::swap(org[zl], org[zr]);
        ++zl;
        --zr;
      }
    } while (zl < zr);
    if (left < zr) {
      if (left < zr - 1) {
        SortRange(freq, org, left, zr);
      } else if (freq[left] < freq[zr]) {
        std::swap(freq[left], freq[zr]);
        std::swap(org[left], org[zr]);
      }
    }
    if (zl >= right) return;
    if (zl == right - 1) {
      if (freq[zl] < freq[right]) {
        std::swap(freq[zl], freq[right]);
        std::swap(org[zl], org[right]);
      }
      return;
    }
    left = zl;  // the right part, without growing the stack
  }
}
}  // namespace

bool Huffman::Build(int max_width, const std::uint8_t* widths, int count) {
  max_width_ = max_width;
  widths_.assign(widths, widths + count);
  table_.assign(std::size_t{1} << max_width, kNone);
  for (int s = 0; s < count; ++s) {
    if (widths_[s] > max_width) return false;
  }
  // Sorted widths, longest first, with a zero sentinel behind them.
  std::vector<std::uint8_t> freq(widths_.begin(), widths_.end());
  freq.push_back(0);
  std::vector<std::uint16_t> org(count + 1);
  for (int s = 0; s <= count; ++s) org[s] = static_cast<std::uint16_t>(s);
  if (count > 1) SortRange(freq.data(), org.data(), 0, count - 1);
  int used = 0;
  while (freq[used]) ++used;
  if (used < 2) {
    // A lone symbol (or none) takes one bit, whatever its stated width.
    if (count == 0) return true;  // empty table: any decode fails
    const std::uint16_t s = org[0];
    widths_[s] = 1;
    std::fill(table_.begin(), table_.end(), s);
    return true;
  }
  // Shortest codes get the lowest values.
  std::size_t at = 0;
  for (int i = used - 1; i >= 0; --i) {
    const std::size_t span = std::size_t{1} << (max_width - freq[i]);
    if (at + span > table_.size()) return false;
    std::fill(table_.begin() + at, table_.begin() + at + span, org[i]);
    at += span;
  }
  return true;
}

// Reads a code-width table: the widths are themselves Huffman coded with a small tree,
// run-length coded for zeros and stored as differences modulo the width range.
bool Huffman::Read(BitReader& bits, int max_width, int count) {
  std::vector<std::uint8_t> widths(count, 0);
  int last = static_cast<int>(bits.Read(9));
  if (last > count - 1) last = count - 1;
  const int lower = static_cast<int>(bits.Read(4));
  const int upper = static_cast<int>(bits.Read(4));
  std::uint8_t width_widths[16] = {};
  for (int i = 0; i <= upper; ++i) width_widths[i] = static_cast<std::uint8_t>(bits.Read(3));
  Huffman width_tree;
  if (!width_tree.Build(kWidthWidth, width_widths, upper + 1)) return false;
  int i = 0;
  while (i <= last) {
    const int c = width_tree.Decode(bits);
    if (c < 0 || bits.overrun()) return false;
    if (c < upper) {
      widths[i++] = static_cast<std::uint8_t>(c);
    } else {
      for (int run = static_cast<int>(bits.Read(4)) + 4; run > 0 && i <= last; --run) widths[i++] = 0;
    }
  }
  if (upper > 0) {
    for (int k = 1; k <= last; ++k) widths[k] = static_cast<std::uint8_t>((widths[k] + widths[k - 1]) % upper);
  }
  for (int k = 0; k <= last; ++k) {
    if (widths[k]) widths[k] = static_cast<std::uint8_t>(widths[k] + lower);
  }
  widths.resize(last + 1);
  return Build(max_width, widths.data(), last + 1);
}

}  // namespace ace
