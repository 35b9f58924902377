#pragma once
// ACE 2.0 sound coding: per channel, an adaptive linear predictor whose residuals are Huffman
// coded, with runs of zero residuals and a choice of trees that follows how busy the channel is.
#include <array>
#include <cstdint>

#include "ace_bits.h"
#include "ace_huffman.h"

namespace ace {

class SoundDecoder {
 public:
  static constexpr int kSwitch = -1;   // the stream switches to another mode here
  static constexpr int kCorrupt = -2;  // invalid code

  // Fresh channels and trees for a layout: 0 for 8-bit samples, 1 for 16-bit, 2 and 3 for the two
  // 32-bit interleavings.
  void Start(int layout);
  // The byte at position index of the current stretch (counted from its switch), kSwitch or kCorrupt.
  int Decode(BitReader& bits, std::uint64_t index);

 private:
  static constexpr int kMaxChannels = 3;
  static constexpr int kTreesPerChannel = 3;

  struct Channel {
    int base_tree = 0;
    int state = 0;  // 0: residual or run code next, 1: a residual must follow a run, 2: in a run
    int code = 0;   // the code being worked off; in a run, the zeros left after this one
    int busy = 0;   // decaying sum of residual sizes; picks the tree in state 0
    bool busy_tree = false;
    std::uint32_t count = 0;
    int last = 0;  // previous sample, as a signed byte
    std::array<int, 4> deltas{};
    std::array<int, 4> weights{};
    std::array<int, 9> misses{};  // how each weight change would have done since the last update
    std::array<int, 2> scores{};  // the weighted guess against the plain last sample
    std::array<int, 2> old_scores{};

    int Guess() const;
    int Predict() const { return scores[0] > scores[1] ? last : Guess(); }
    void Learn(int sample);
  };

  int layout_ = 0;
  int channel_count_ = 1;
  std::array<Channel, kMaxChannels> channels_{};
  std::array<Huffman, kMaxChannels * kTreesPerChannel> trees_;
  std::uint32_t block_left_ = 0;
};

}  // namespace ace
