#include "ace_lz.h"

#include <algorithm>

namespace ace {

namespace {
constexpr int kMainWidth = 11;
constexpr int kLengthWidth = 11;
constexpr int kWidthWidth = 7;
constexpr int kLiterals = 256;
constexpr int kOldDistCodes = 4;
constexpr int kMainCodesV1 = kLiterals + kOldDistCodes + LzDecoder::kMaxDictBits + 1;  // 283
constexpr int kModeCode = kMainCodesV1;                                                // 2.0 only
constexpr int kLengthCodes = 256;
constexpr std::uint32_t kFarDistance2 = 255;
constexpr std::uint32_t kFarDistance3 = 8191;
constexpr std::size_t kWindowSize = std::size_t{1} << LzDecoder::kMaxDictBits;
constexpr std::size_t kWindowMask = kWindowSize - 1;
constexpr std::uint64_t kFlushChunk = 64 * 1024;

// Reads a code-width table: the widths are themselves Huffman coded with a small tree,
// run-length coded for zeros and stored as differences modulo the width range.
bool ReadWidths(BitReader& bits, int max_width, int count, Huffman& out) {
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
  return out.Build(max_width, widths.data(), last + 1);
}

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

LzDecoder::LzDecoder() : window_(new std::uint8_t[kWindowSize]) {}

void LzDecoder::Reset() {
  total_ = 0;
  flushed_ = 0;
  old_dist_ = {};
  mode_ = kModePlain;
}

bool LzDecoder::ReadTrees(BitReader& bits) {
  if (!ReadWidths(bits, kMainWidth, main_tree_has_modes_ ? kMainCodesV1 + 1 : kMainCodesV1, main_)) return false;
  if (!ReadWidths(bits, kLengthWidth, kLengthCodes, lengths_)) return false;
  block_left_ = bits.Read(15);
  return !bits.overrun();
}

Status LzDecoder::Emit(const std::uint8_t* data, std::size_t size, const Sink& out) {
  return out(data, size) ? Status::kOk : Status::kSinkFailed;
}

std::uint8_t LzDecoder::At(std::uint64_t pos) const { return window_[pos & kWindowMask]; }

Status LzDecoder::FlushPlain(std::uint64_t limit, const Sink& out) {
  while (flushed_ < limit) {
    const std::size_t start = static_cast<std::size_t>(flushed_ & kWindowMask);
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(limit - flushed_, kWindowSize - start));
    Status s = Emit(&window_[start], n, out);
    if (s != Status::kOk) return s;
    flushed_ += n;
  }
  return Status::kOk;
}

// x86 call targets (E8) were stored as absolute positions; turn them back into relative ones.
// With jumps on, jumps (E9) had the position added to the low half of their operand only.
// Only operands wholly inside the mode's stretch were touched.
Status LzDecoder::FlushExe(bool all, const Sink& out) {
  for (std::uint64_t p = flushed_ + exe_buf_.size(); p < total_; ++p) exe_buf_.push_back(At(p));
  while (exe_scan_ < total_) {
    const bool operand_complete = exe_scan_ + 4 < total_;
    if (!all && !operand_complete) break;
    std::uint8_t* at = &exe_buf_[static_cast<std::size_t>(exe_scan_ - flushed_)];
    const std::uint32_t position = static_cast<std::uint32_t>(exe_scan_ - member_start_);
    std::uint32_t operand = 0;
    if (operand_complete) {
      for (int k = 0; k < 4; ++k) operand |= static_cast<std::uint32_t>(at[1 + k]) << (8 * k);
    }
    if (operand_complete && at[0] == 0xE8) {
      operand -= position;
      exe_scan_ += 5;
    } else if (operand_complete && at[0] == 0xE9 && exe_jumps_too_) {
      operand = (operand & 0xFFFF0000u) | ((operand - position) & 0xFFFF);
      exe_scan_ += 3;  // the high half is left as it is, and may hold the next opcode
    } else {
      exe_scan_ += 1;
      continue;
    }
    for (int k = 0; k < 4; ++k) at[1 + k] = static_cast<std::uint8_t>(operand >> (8 * k));
  }
  // Bytes in front of the scan position are final.
  const std::size_t done = static_cast<std::size_t>(exe_scan_ - flushed_);
  Status s = Emit(exe_buf_.data(), done, out);
  exe_buf_.erase(exe_buf_.begin(), exe_buf_.begin() + done);
  flushed_ = exe_scan_;
  return s;
}

// A delta block holds delta_dist_ interleaved channels one after another, each as differences.
Status LzDecoder::FlushDelta(std::uint64_t limit, const Sink& out) {
  while (flushed_ < limit) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(limit - flushed_, delta_len_));
    filter_buf_.assign(n, 0);
    std::uint64_t from = flushed_;
    for (std::size_t channel = 0; channel < delta_dist_ && channel < n; ++channel) {
      std::uint8_t last = 0;
      for (std::size_t j = channel; j < n; j += delta_dist_) {
        last = static_cast<std::uint8_t>(last + At(from++));
        filter_buf_[j] = last;
      }
    }
    flushed_ += n;
    Status s = Emit(filter_buf_.data(), n, out);
    if (s != Status::kOk) return s;
  }
  return Status::kOk;
}

Status LzDecoder::Flush(const Sink& out, bool all) {
  if (!all && total_ - flushed_ < kFlushChunk) return Status::kOk;
  switch (mode_) {
    case kModeExe:
      return FlushExe(all, out);
    case kModeDelta:
      if (all) return FlushDelta(total_, out);
      return FlushDelta(flushed_ + (total_ - flushed_) / delta_len_ * delta_len_, out);
    default:
      return FlushPlain(total_, out);
  }
}

Status LzDecoder::StartMode(BitReader& bits) {
  mode_ = static_cast<int>(bits.Read(8));
  switch (mode_) {
    case kModePlain:
      return Status::kOk;
    case kModeDelta:
      delta_dist_ = bits.Read(8);
      delta_len_ = bits.Read(17);
      return delta_dist_ == 0 || delta_len_ == 0 ? Status::kCorrupt : Status::kOk;
    case kModeExe:
      exe_jumps_too_ = bits.Read(8) == 1;
      exe_buf_.clear();
      exe_scan_ = total_;
      return Status::kOk;
    default:
      // Sound and picture models are not supported here; stop rather than guess.
      return Status::kUnsupported;
  }
}

Status LzDecoder::Decode(BitReader& bits, bool blocked, int dict_bits, std::uint64_t size, const Sink& out) {
  if (dict_bits > kMaxDictBits) return Status::kUnsupported;
  const std::uint64_t dict_size = std::uint64_t{1} << dict_bits;
  main_tree_has_modes_ = blocked;
  block_left_ = 0;
  member_start_ = total_;
  mode_ = kModePlain;
  const std::uint64_t end = total_ + size;
  while (total_ < end) {
    while (block_left_ == 0) {
      if (!ReadTrees(bits)) return Status::kCorrupt;
    }
    const int sym = main_.Decode(bits);
    if (sym < 0) return Status::kCorrupt;
    --block_left_;
    if (sym < kLiterals) {
      window_[total_++ & kWindowMask] = static_cast<std::uint8_t>(sym);
    } else if (sym < kModeCode) {
      std::uint32_t dist;
      std::uint32_t length = 2;
      if (sym >= kLiterals + kOldDistCodes) {
        const int dist_bits = sym - (kLiterals + kOldDistCodes);
        dist = dist_bits < 2 ? static_cast<std::uint32_t>(dist_bits)
                             : bits.Read(dist_bits - 1) + (std::uint32_t{1} << (dist_bits - 1));
        old_dist_ = {dist, old_dist_[0], old_dist_[1], old_dist_[2]};
        if (dist > kFarDistance2) ++length;
        if (dist > kFarDistance3) ++length;
      } else {
        const int index = sym - kLiterals;
        dist = old_dist_[index];
        for (int k = index; k > 0; --k) old_dist_[k] = old_dist_[k - 1];
        old_dist_[0] = dist;
        if (index > 1) ++length;
      }
      const int len_sym = lengths_.Decode(bits);
      if (len_sym < 0) return Status::kCorrupt;
      length += static_cast<std::uint32_t>(len_sym);
      const std::uint64_t back = std::uint64_t{dist} + 1;
      if (back > total_ || back > dict_size) return Status::kCorrupt;
      const std::uint64_t n = std::min<std::uint64_t>(length, end - total_);
      for (std::uint64_t k = 0; k < n; ++k, ++total_) {
        window_[total_ & kWindowMask] = window_[(total_ - back) & kWindowMask];
      }
    } else {
      Status s = Flush(out, true);
      if (s == Status::kOk) s = StartMode(bits);
      if (s != Status::kOk) return s;
    }
    if (bits.overrun()) return Status::kTruncated;
    Status s = Flush(out, false);
    if (s != Status::kOk) return s;
  }
  return Flush(out, true);
}

}  // namespace ace
