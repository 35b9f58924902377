#include "ace_sound.h"

#include <bit>
#include <cstdlib>

namespace ace {

namespace {
constexpr int kRunCodes = 32;
constexpr int kSwitchCode = 256 + kRunCodes;
constexpr int kCodes = kSwitchCode + 1;
constexpr int kCodeWidth = 10;

// Which channel each byte of a group of four belongs to, per layout.
constexpr int kChannelCount[4] = {1, 2, 3, 3};
constexpr int kChannelOf[4][4] = {{0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 0, 2}, {1, 0, 2, 0}};

int Signed8(int v) { return ((v & 0xFF) ^ 0x80) - 0x80; }

// Size class of a byte difference: bits of its magnitude, the byte read as signed.
constexpr std::array<int, 256> MakeSizes() {
  std::array<int, 256> sizes{};
  for (int i = 1; i <= 128; ++i) {
    sizes[i] = std::bit_width(static_cast<unsigned>(i));
    sizes[(256 - i) & 0xFF] = sizes[i];
  }
  return sizes;
}
constexpr auto kSizes = MakeSizes();
}  // namespace

void SoundDecoder::Start(int layout) {
  layout_ = layout;
  channel_count_ = kChannelCount[layout];
  for (int i = 0; i < kMaxChannels; ++i) {
    channels_[i] = Channel{};
    channels_[i].base_tree = i * kTreesPerChannel;
  }
  block_left_ = 0;
}

int SoundDecoder::Channel::Guess() const {
  int sum = 8 * last;
  for (int k = 0; k < 4; ++k) sum += weights[k] * deltas[k];
  return (sum >> 3) & 0xFF;
}

void SoundDecoder::Channel::Learn(int sample) {
  ++count;
  const int miss = Signed8(Guess() - sample) * 8;
  for (int k = 0; k < 4; ++k) {
    misses[2 * k] += std::abs(miss - deltas[k]);
    misses[2 * k + 1] += std::abs(miss + deltas[k]);
  }
  misses[8] += std::abs(miss);
  const int delta = Signed8(sample - last);
  scores[0] += kSizes[(miss >> 3) & 0xFF];
  scores[1] += kSizes[(last - sample) & 0xFF];
  last = sample;

  if ((count & 0x1F) == 0) {
    // Nudge the weight whose change would have missed least; ties go to the lower one.
    int best = 8;
    int least = 0xFFFF;
    for (int k = 8; k >= 0; --k) {
      if (misses[k] <= least) {
        least = misses[k];
        best = k;
      }
      misses[k] = 0;
    }
    if (best != 8) {
      int& weight = weights[best >> 1];
      if ((best & 1) == 0) {
        if (weight >= -16) --weight;
      } else if (weight <= 16) {
        ++weight;
      }
    }
    if ((count & 0xFF) == 0) {
      for (int k = 0; k < 2; ++k) {
        scores[k] -= old_scores[k];
        old_scores[k] = scores[k];
      }
    }
  }
  deltas[3] = deltas[2];
  deltas[2] = deltas[1];
  deltas[1] = delta - deltas[0];
  deltas[0] = delta;
}

int SoundDecoder::Decode(BitReader& bits, std::uint64_t index) {
  Channel& ch = channels_[kChannelOf[layout_][index & 3]];
  if (ch.state != 2) {
    while (block_left_ == 0) {
      for (int t = 0; t < channel_count_ * kTreesPerChannel; ++t) {
        if (!trees_[t].Read(bits, kCodeWidth, kCodes) || bits.overrun()) return kCorrupt;
      }
      block_left_ = bits.Read(15);
      if (bits.overrun()) return kCorrupt;
    }
    --block_left_;
    const int tree = ch.base_tree + (ch.state == 0 ? (ch.busy_tree ? 1 : 0) : 2);
    const int code = trees_[tree].Decode(bits);
    if (code < 0) return kCorrupt;
    if (code == kSwitchCode) return kSwitch;
    ch.code = code;
  }
  int value = 0;
  if (ch.state == 0) {
    if (ch.code >= kRunCodes) {
      value = ch.code - kRunCodes;
      ch.busy = (ch.busy * 7 >> 3) + value;
      ch.busy_tree = ch.busy > 40;
    } else {
      ch.state = 2;  // a run of code + 1 zero residuals, then a residual from the third tree
    }
  } else if (ch.state == 1) {
    value = ch.code;
    ch.state = 0;
  }
  if (ch.state == 2) {
    if (ch.code == 0) {
      ch.state = 1;
    } else {
      --ch.code;
    }
    value = 0;
  }
  // Residuals alternate in sign: 0, -1, +1, -2, ...
  const int residual = (value & 1) ? -(value >> 1) - 1 : value >> 1;
  const int sample = (residual + ch.Predict()) & 0xFF;
  ch.Learn(Signed8(sample));
  return sample;
}

}  // namespace ace
