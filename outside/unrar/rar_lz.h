#pragma once
// The two LZ decoders. Each keeps its state between the members of a solid chain; Reset starts
// a chain afresh. Decode produces one member's bytes into the window.
#include <cstdint>

#include "rar_bits.h"

namespace rar {

// RAR 1.5: fixed prefix codes chosen by running averages, and byte tables that move the most
// used values towards the shortest codes.
class Unpack15 {
 public:
  Unpack15();
  void Reset();
  Status Decode(BitReader& bits, Window& window, std::uint64_t size);

 private:
  bool FlagBit(BitReader& bits, bool& bit);
  Status Literal(BitReader& bits, Window& window);
  Status LongMatch(BitReader& bits, Window& window);
  Status ShortMatch(BitReader& bits, Window& window);
  Status Match(Window& window, std::uint32_t distance, std::uint32_t length, bool remember);

  // Codes that never change.
  PrefixCode length1_, length2_, byte_codes_[5];
  std::uint16_t short_codes_[4][256];  // by the next 8 bits: index << 4 | length, 0 for none

  // Adaptive byte tables: each entry is value << 8 | use count; rank_ gives where the entries of
  // each count begin.
  std::uint16_t literals_[256], literal_rank_[256];
  std::uint16_t offsets_[256], offset_rank_[256];
  std::uint16_t flag_bytes_[256], flag_rank_[256];
  std::uint8_t short_offsets_[256];

  std::uint32_t avg_literal_ = 0, avg_offset_ = 0, avg_long_ = 0, avg_short_ = 0, avg_near_ = 0;
  std::uint32_t max_near_ = 0;
  std::uint32_t literal_weight_ = 0, match_weight_ = 0;
  std::uint32_t literal_run_ = 0;
  bool alternate_short_ = false;
  std::uint32_t old_distances_[4] = {};
  std::uint32_t old_index_ = 0;
  std::uint32_t last_distance_ = 0, last_length_ = 0;

  // Per member.
  std::uint32_t flags_ = 0;
  int flag_bits_ = 0;
  bool literal_mode_ = false;  // long literal runs: plain bytes with an escape
  int repeats_ = 0;
};

// RAR 2.0: prefix codes sent in the data, LZ with four recent distances, and a mode for sampled
// sound that predicts each byte from the ones before it in its channel.
class Unpack20 {
 public:
  void Reset();
  Status Decode(BitReader& bits, Window& window, std::uint64_t size);

 private:
  struct Channel {
    int weights[5] = {};
    int deltas[4] = {};
    int last_delta = 0;
    std::uint32_t errors[11] = {};
    std::uint32_t count = 0;
    int last_byte = 0;
  };

  bool ReadTables(BitReader& bits);
  std::uint8_t DecodeSample(Channel& channel, int delta);
  Status Match(Window& window, std::uint32_t distance, std::uint32_t length);

  static constexpr int kMainSymbols = 298, kDistanceSymbols = 48, kLengthSymbols = 28, kAudioSymbols = 257;
  std::uint8_t lengths_[kAudioSymbols * 4] = {};
  PrefixCode main_, distance_, length_, audio_codes_[4];
  bool tables_read_ = false;
  bool audio_ = false;
  int channels_ = 1;
  int current_channel_ = 0;
  int channel_delta_ = 0;
  Channel channel_state_[4];
  std::uint32_t old_distances_[4] = {};
  std::uint32_t old_index_ = 0;
  std::uint32_t last_distance_ = 0, last_length_ = 0;
};

}  // namespace rar
