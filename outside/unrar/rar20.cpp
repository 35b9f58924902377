// RAR 2.0 decoding, multimedia mode included.
#include <algorithm>
#include <cstdlib>

#include "rar_lz.h"

namespace rar {

namespace {

constexpr std::uint8_t kLengthBase[28] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  10,  12,  14,  16,  20,
                                          24, 28, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224};
constexpr std::uint8_t kLengthBits[28] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2,
                                          2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5};
constexpr std::uint32_t kDistanceBase[48] = {
    0,      1,      2,      3,      4,      6,      8,      12,     16,     24,     32,     48,
    64,     96,     128,    192,    256,    384,    512,    768,    1024,   1536,   2048,   3072,
    4096,   6144,   8192,   12288,  16384,  24576,  32768,  49152,  65536,  98304,  131072, 196608,
    262144, 327680, 393216, 458752, 524288, 589824, 655360, 720896, 786432, 851968, 917504, 983040};
constexpr std::uint8_t kDistanceBits[48] = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                            7,  7,  8,  8,  9,  9,  10, 10, 11, 11, 12, 12, 13, 13, 14, 14,
                                            15, 15, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16};
constexpr std::uint8_t kShortBase[8] = {0, 4, 8, 16, 32, 64, 128, 192};
constexpr std::uint8_t kShortBits[8] = {2, 2, 3, 4, 5, 6, 6, 6};

constexpr int kTableSymbols = 19;
constexpr int kSwitchTables = 269, kAudioSwitchTables = 256;

}  // namespace

void Unpack20::Reset() {
  std::fill(std::begin(lengths_), std::end(lengths_), 0);
  tables_read_ = false;
  audio_ = false;
  channels_ = 1;
  current_channel_ = 0;
  channel_delta_ = 0;
  for (Channel& c : channel_state_) c = Channel{};
  std::fill(std::begin(old_distances_), std::end(old_distances_), 0);
  old_index_ = 0;
  last_distance_ = last_length_ = 0;
}

bool Unpack20::ReadTables(BitReader& bits) {
  tables_read_ = false;
  audio_ = bits.Read(1) != 0;
  // Lengths are sent as changes to the previous table's, unless this bit is clear.
  if (!bits.Read(1)) std::fill(std::begin(lengths_), std::end(lengths_), 0);
  int count = kMainSymbols + kDistanceSymbols + kLengthSymbols;
  if (audio_) {
    channels_ = static_cast<int>(bits.Read(2)) + 1;
    if (current_channel_ >= channels_) current_channel_ = 0;
    count = kAudioSymbols * channels_;
  }
  std::uint8_t table_lengths[kTableSymbols];
  for (std::uint8_t& length : table_lengths) length = static_cast<std::uint8_t>(bits.Read(4));
  PrefixCode table;
  if (!table.Build(table_lengths, kTableSymbols)) return false;
  for (int i = 0; i < count;) {
    if (bits.overrun()) return false;
    const int code = table.Decode(bits);
    if (code < 0) return false;
    if (code < 16) {
      lengths_[i] = static_cast<std::uint8_t>((lengths_[i] + code) & 15);
      ++i;
    } else if (code == 16) {
      if (i == 0) return false;
      for (int n = static_cast<int>(bits.Read(2)) + 3; n > 0 && i < count; --n, ++i) lengths_[i] = lengths_[i - 1];
    } else {
      const int n = code == 17 ? static_cast<int>(bits.Read(3)) + 3 : static_cast<int>(bits.Read(7)) + 11;
      for (int k = 0; k < n && i < count; ++k) lengths_[i++] = 0;
    }
  }
  if (audio_) {
    for (int c = 0; c < channels_; ++c) {
      if (!audio_codes_[c].Build(&lengths_[c * kAudioSymbols], kAudioSymbols)) return false;
    }
  } else if (!main_.Build(lengths_, kMainSymbols) || !distance_.Build(&lengths_[kMainSymbols], kDistanceSymbols) ||
             !length_.Build(&lengths_[kMainSymbols + kDistanceSymbols], kLengthSymbols)) {
    return false;
  }
  tables_read_ = true;
  return true;
}

// Predicts the next sample from the channel's last byte and deltas with five weights, subtracts
// the coded difference, and every 32 samples nudges the weight whose sign would have erred least.
std::uint8_t Unpack20::DecodeSample(Channel& c, int delta) {
  ++c.count;
  c.deltas[3] = c.deltas[2];
  c.deltas[2] = c.deltas[1];
  c.deltas[1] = c.last_delta - c.deltas[0];
  c.deltas[0] = c.last_delta;
  const int predicted = ((8 * c.last_byte + c.weights[0] * c.deltas[0] + c.weights[1] * c.deltas[1] +
                          c.weights[2] * c.deltas[2] + c.weights[3] * c.deltas[3] + c.weights[4] * channel_delta_) >>
                         3) &
                        0xFF;
  const int byte = (predicted - delta) & 0xFF;
  const int error = static_cast<int>(static_cast<std::int8_t>(delta)) * 8;
  const int against[5] = {c.deltas[0], c.deltas[1], c.deltas[2], c.deltas[3], channel_delta_};
  c.errors[0] += static_cast<std::uint32_t>(std::abs(error));
  for (int k = 0; k < 5; ++k) {
    c.errors[1 + 2 * k] += static_cast<std::uint32_t>(std::abs(error - against[k]));
    c.errors[2 + 2 * k] += static_cast<std::uint32_t>(std::abs(error + against[k]));
  }
  c.last_delta = static_cast<std::int8_t>(byte - c.last_byte);
  channel_delta_ = c.last_delta;
  c.last_byte = byte;
  if ((c.count & 0x1F) == 0) {
    int best = 0;
    for (int k = 1; k < 11; ++k) {
      if (c.errors[k] < c.errors[best]) best = k;
    }
    std::fill(std::begin(c.errors), std::end(c.errors), 0);
    if (best > 0) {
      int& weight = c.weights[(best - 1) / 2];
      if (best % 2 == 1) {
        if (weight >= -16) --weight;
      } else if (weight < 16) {
        ++weight;
      }
    }
  }
  return static_cast<std::uint8_t>(byte);
}

Status Unpack20::Decode(BitReader& bits, Window& window, std::uint64_t size) {
  if (size == 0) return Status::kOk;
  if (!tables_read_ && !ReadTables(bits)) return Status::kCorrupt;
  while (window.produced() < size) {
    if (window.Due() && !window.Flush()) return Status::kSinkFailed;
    if (bits.overrun()) return Status::kCorrupt;
    if (audio_) {
      const int code = audio_codes_[current_channel_].Decode(bits);
      if (code < 0) return Status::kCorrupt;
      if (code == kAudioSwitchTables) {
        if (!ReadTables(bits)) return Status::kCorrupt;
        continue;
      }
      window.Put(DecodeSample(channel_state_[current_channel_], code));
      if (++current_channel_ == channels_) current_channel_ = 0;
      continue;
    }
    const int code = main_.Decode(bits);
    if (code < 0) return Status::kCorrupt;
    if (code < 256) {
      window.Put(static_cast<std::uint8_t>(code));
      continue;
    }
    std::uint32_t distance, length;
    if (code > kSwitchTables) {
      const int slot = code - 270;
      length = kLengthBase[slot] + 3u + bits.Read(kLengthBits[slot]);
      const int d = distance_.Decode(bits);
      if (d < 0) return Status::kCorrupt;
      distance = kDistanceBase[d] + 1 + bits.Read(kDistanceBits[d]);
      if (distance >= 0x2000) ++length;
      if (distance >= 0x40000) ++length;
    } else if (code == kSwitchTables) {
      if (!ReadTables(bits)) return Status::kCorrupt;
      continue;
    } else if (code == 256) {
      distance = last_distance_;
      length = last_length_;
    } else if (code < 261) {
      distance = old_distances_[(old_index_ - static_cast<std::uint32_t>(code - 256)) & 3];
      const int slot = length_.Decode(bits);
      if (slot < 0) return Status::kCorrupt;
      length = kLengthBase[slot] + 2u + bits.Read(kLengthBits[slot]);
      if (distance >= 0x101) ++length;
      if (distance >= 0x2000) ++length;
      if (distance >= 0x40000) ++length;
    } else {
      const int slot = code - 261;
      distance = kShortBase[slot] + 1u + bits.Read(kShortBits[slot]);
      length = 2;
    }
    const Status s = Match(window, distance, length);
    if (s != Status::kOk) return s;
  }
  // A member may end with the switch to the tables the next member of a solid chain starts with.
  if (bits.bytes_left() >= 5) {
    const int code = audio_ ? audio_codes_[current_channel_].Decode(bits) : main_.Decode(bits);
    if (code == (audio_ ? kAudioSwitchTables : kSwitchTables)) ReadTables(bits);
  }
  return Status::kOk;
}

Status Unpack20::Match(Window& window, std::uint32_t distance, std::uint32_t length) {
  old_distances_[old_index_++ & 3] = distance;
  last_distance_ = distance;
  last_length_ = length;
  return window.Copy(distance, length) ? Status::kOk : Status::kCorrupt;
}

}  // namespace rar
