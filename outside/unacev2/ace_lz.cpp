#include "ace_lz.h"

#include <algorithm>
#include <cstring>

namespace ace {

namespace {
constexpr int kMainWidth = 11;
constexpr int kLengthWidth = 11;
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

}  // namespace

LzDecoder::LzDecoder() : window_(new std::uint8_t[kWindowSize]) {}

void LzDecoder::Reset() {
  total_ = 0;
  flushed_ = 0;
  mode_ = kModePlain;
}

void LzDecoder::Append(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const std::size_t start = static_cast<std::size_t>(total_ & kWindowMask);
    const std::size_t n = std::min(size, kWindowSize - start);
    std::memcpy(&window_[start], data, n);
    total_ += n;
    data += n;
    size -= n;
  }
  flushed_ = total_;
}

bool LzDecoder::ReadTrees(BitReader& bits) {
  if (!main_.Read(bits, kMainWidth, main_tree_has_modes_ ? kMainCodesV1 + 1 : kMainCodesV1)) return false;
  if (!lengths_.Read(bits, kLengthWidth, kLengthCodes)) return false;
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

Status LzDecoder::SwitchMode(BitReader& bits, const Sink& out) {
  Status s = Flush(out, true);
  if (s != Status::kOk) return s;
  const int previous = mode_;
  mode_ = static_cast<int>(bits.Read(8));
  switch (mode_) {
    case kModePlain:
      break;
    case kModeDelta:
      delta_dist_ = bits.Read(8);
      delta_len_ = bits.Read(17);
      if (delta_dist_ == 0 || delta_len_ == 0) return Status::kCorrupt;
      break;
    case kModeExe:
      exe_jumps_too_ = bits.Read(8) == 1;
      exe_buf_.clear();
      exe_scan_ = total_;
      break;
    case kModePicture:
      // Switching to the mode in force keeps its statistics.
      if (previous != mode_) {
        if (!picture_) picture_ = std::make_unique<PictureDecoder>();
        if (!picture_->Start(bits)) return Status::kCorrupt;
      }
      break;
    default:
      if (mode_ < kModeSound || mode_ > kModeSoundLast) return Status::kCorrupt;
      if (previous != mode_) {
        if (!sound_) sound_ = std::make_unique<SoundDecoder>();
        sound_->Start(mode_ - kModeSound);
      }
      break;
  }
  return bits.overrun() ? Status::kTruncated : Status::kOk;
}

Status LzDecoder::DecodeLz(BitReader& bits, std::uint64_t end, std::uint64_t dict_size, const Sink& out) {
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
      return SwitchMode(bits, out);
    }
    if (bits.overrun()) return Status::kTruncated;
    Status s = Flush(out, false);
    if (s != Status::kOk) return s;
  }
  return Status::kOk;
}

Status LzDecoder::DecodeSound(BitReader& bits, std::uint64_t end, const Sink& out) {
  for (std::uint64_t index = 0; total_ < end; ++index) {
    const int sample = sound_->Decode(bits, index);
    if (sample == SoundDecoder::kSwitch) return SwitchMode(bits, out);
    if (sample < 0) return Status::kCorrupt;
    if (bits.overrun()) return Status::kTruncated;
    window_[total_++ & kWindowMask] = static_cast<std::uint8_t>(sample);
    Status s = Flush(out, false);
    if (s != Status::kOk) return s;
  }
  return Status::kOk;
}

Status LzDecoder::DecodePicture(BitReader& bits, std::uint64_t end, const Sink& out) {
  while (total_ < end) {
    if (bits.Read(1) == 0) return SwitchMode(bits, out);
    if (!picture_->DecodeRow(bits)) return bits.overrun() ? Status::kTruncated : Status::kCorrupt;
    // A row running past the member's end is cut there.
    const std::uint64_t n = std::min<std::uint64_t>(picture_->width(), end - total_);
    const std::uint8_t* row = picture_->row();
    for (std::uint64_t k = 0; k < n; ++k) window_[total_++ & kWindowMask] = row[k];
    Status s = Flush(out, false);
    if (s != Status::kOk) return s;
  }
  return Status::kOk;
}

Status LzDecoder::Decode(BitReader& bits, bool blocked, int dict_bits, std::uint64_t size, const Sink& out) {
  if (dict_bits > kMaxDictBits) return Status::kUnsupported;
  const std::uint64_t dict_size = std::uint64_t{1} << dict_bits;
  main_tree_has_modes_ = blocked;
  block_left_ = 0;
  old_dist_ = {};
  member_start_ = total_;
  mode_ = kModePlain;
  const std::uint64_t end = total_ + size;
  while (total_ < end) {
    Status s;
    if (mode_ == kModePicture) {
      s = DecodePicture(bits, end, out);
    } else if (mode_ >= kModeSound && mode_ <= kModeSoundLast) {
      s = DecodeSound(bits, end, out);
    } else {
      s = DecodeLz(bits, end, dict_size, out);
    }
    if (s != Status::kOk) return s;
  }
  return Flush(out, true);
}

}  // namespace ace
