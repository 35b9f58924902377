// RAR 1.5 decoding.
#include <algorithm>

#include "rar_lz.h"

namespace rar {

namespace {

// Symbols per code length 1..12 of the fixed codes, in symbol order.
constexpr std::uint16_t kLength1Counts[12] = {0, 2, 1, 2, 2, 4, 5, 4, 4, 8, 0, 224};
constexpr std::uint16_t kLength2Counts[12] = {0, 0, 5, 2, 2, 4, 5, 4, 4, 8, 2, 220};
constexpr std::uint16_t kByteCounts[5][12] = {
    {0, 0, 0, 8, 8, 8, 9, 0, 0, 0, 0, 224},    {0, 0, 0, 0, 4, 40, 16, 16, 4, 0, 47, 130},
    {0, 0, 0, 0, 2, 5, 46, 64, 116, 24, 0, 0}, {0, 0, 0, 0, 0, 2, 14, 202, 33, 6, 0, 0},
    {0, 0, 0, 0, 0, 0, 0, 255, 2, 0, 0, 0},
};

// Short match selectors: each code's bits at the top of a byte, and its length. The first match
// in index order wins, so with the short form of entry 1 (or 3) entry 14 is out of reach.
constexpr std::uint8_t kShortCodes[2][15] = {
    {0x00, 0xA0, 0xD0, 0xE0, 0xF0, 0xF8, 0xFC, 0xFE, 0xFF, 0xC0, 0x80, 0x90, 0x98, 0x9C, 0xB0},
    {0x00, 0x40, 0x60, 0xA0, 0xD0, 0xE0, 0xF0, 0xF8, 0xFC, 0xC0, 0x80, 0x90, 0x98, 0x9C, 0xB0},
};
constexpr std::uint8_t kShortLengths[2][15] = {
    {1, 3, 4, 4, 5, 6, 7, 8, 8, 4, 4, 5, 6, 6, 4},
    {2, 3, 3, 3, 4, 4, 5, 6, 6, 4, 4, 5, 6, 6, 4},
};
constexpr int kAlternateEntry[2] = {1, 3};  // whose code grows to 4 bits in the alternate form

// Sorts the counts back into eight bands of 32 entries, keeping the values in place.
void Rebalance(std::uint16_t* table, std::uint16_t* rank) {
  for (int band = 0; band < 8; ++band) {
    for (int j = 0; j < 32; ++j) {
      std::uint16_t& e = table[band * 32 + j];
      e = static_cast<std::uint16_t>((e & 0xFF00) | (7 - band));
    }
  }
  std::fill_n(rank, 256, 0);
  for (int count = 0; count < 7; ++count) rank[count] = static_cast<std::uint16_t>((7 - count) * 32);
}

// Returns the value at index and moves it one use up: it trades places with the first entry of
// its count. Counts reaching limit start the bands over.
std::uint8_t Promote(std::uint16_t* table, std::uint16_t* rank, unsigned limit, unsigned index) {
  std::uint16_t value = table[index];
  if ((value & 0xFFu) >= limit) {
    Rebalance(table, rank);
    value = table[index];
  }
  const unsigned to = rank[value & 0xFF]++ & 0xFFu;
  table[index] = table[to];
  table[to] = static_cast<std::uint16_t>(value + 1);
  return static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

Unpack15::Unpack15() {
  length1_.BuildFromCounts(kLength1Counts, 12);
  length2_.BuildFromCounts(kLength2Counts, 12);
  for (int i = 0; i < 5; ++i) byte_codes_[i].BuildFromCounts(kByteCounts[i], 12);
  for (int variant = 0; variant < 4; ++variant) {
    const int set = variant / 2;
    std::uint8_t lengths[15];
    std::copy(std::begin(kShortLengths[set]), std::end(kShortLengths[set]), lengths);
    if (variant & 1) lengths[kAlternateEntry[set]] = 4;
    for (unsigned byte = 0; byte < 256; ++byte) {
      std::uint16_t entry = 0;
      for (unsigned i = 0; i < 15; ++i) {
        if (((byte ^ kShortCodes[set][i]) & (0xFF00u >> lengths[i]) & 0xFF) == 0) {
          entry = static_cast<std::uint16_t>((i << 4) | lengths[i]);
          break;
        }
      }
      short_codes_[variant][byte] = entry;
    }
  }
  Reset();
}

void Unpack15::Reset() {
  avg_literal_ = 0x3500;
  avg_offset_ = avg_long_ = avg_short_ = avg_near_ = 0;
  max_near_ = 0x2001;
  literal_weight_ = match_weight_ = 0x80;
  literal_run_ = 0;
  alternate_short_ = false;
  for (unsigned i = 0; i < 256; ++i) {
    literals_[i] = static_cast<std::uint16_t>(i << 8);
    offsets_[i] = static_cast<std::uint16_t>(i << 8);
    flag_bytes_[i] = static_cast<std::uint16_t>(((0x100 - i) & 0xFF) << 8);
    short_offsets_[i] = static_cast<std::uint8_t>(i);
  }
  std::fill(std::begin(literal_rank_), std::end(literal_rank_), 0);
  std::fill(std::begin(flag_rank_), std::end(flag_rank_), 0);
  Rebalance(offsets_, offset_rank_);
  std::fill(std::begin(old_distances_), std::end(old_distances_), 0);
  old_index_ = 0;
  last_distance_ = last_length_ = 0;
}

Status Unpack15::Decode(BitReader& bits, Window& window, std::uint64_t size) {
  flag_bits_ = 0;
  literal_mode_ = false;
  repeats_ = 0;
  while (window.produced() < size) {
    if (window.Due() && !window.Flush()) return Status::kSinkFailed;
    if (bits.overrun()) return Status::kCorrupt;
    Status s;
    if (literal_mode_) {
      s = Literal(bits, window);
    } else {
      // The weights say which of literal and long match gets the one-bit flag.
      const bool expect_match = match_weight_ > literal_weight_;
      bool bit = false;
      if (!FlagBit(bits, bit)) return Status::kCorrupt;
      if (bit) {
        s = expect_match ? LongMatch(bits, window) : Literal(bits, window);
      } else {
        if (!FlagBit(bits, bit)) return Status::kCorrupt;
        if (bit) {
          s = expect_match ? Literal(bits, window) : LongMatch(bits, window);
        } else {
          s = ShortMatch(bits, window);
        }
      }
    }
    if (s != Status::kOk) return s;
  }
  return Status::kOk;
}

bool Unpack15::FlagBit(BitReader& bits, bool& bit) {
  if (flag_bits_ == 0) {
    const int code = byte_codes_[2].Decode(bits);
    if (code < 0 || code > 255) return false;
    flags_ = Promote(flag_bytes_, flag_rank_, 0xFF, static_cast<unsigned>(code));
    flag_bits_ = 8;
  }
  --flag_bits_;
  bit = ((flags_ >> flag_bits_) & 1) != 0;
  return true;
}

Status Unpack15::Literal(BitReader& bits, Window& window) {
  const int table = avg_literal_ < 0x0E00   ? 0
                    : avg_literal_ < 0x3600 ? 1
                    : avg_literal_ < 0x5E00 ? 2
                    : avg_literal_ < 0x7600 ? 3
                                            : 4;
  const int code = byte_codes_[table].Decode(bits);
  if (code < 0) return Status::kCorrupt;
  unsigned index;
  if (literal_mode_) {
    // Code 0 escapes: back to flags, or a short match.
    if (code == 0) {
      if (bits.Read(1)) {
        literal_mode_ = false;
        literal_run_ = 0;
        return Status::kOk;
      }
      const std::uint32_t length = bits.Read(1) ? 4 : 3;
      const int high = byte_codes_[2].Decode(bits);
      if (high < 0) return Status::kCorrupt;
      const std::uint32_t distance = (static_cast<std::uint32_t>(high) << 5) | bits.Read(5);
      return window.Copy(distance, length) ? Status::kOk : Status::kCorrupt;
    }
    index = static_cast<unsigned>(code - 1);
  } else {
    index = static_cast<unsigned>(code) & 0xFF;
    if (literal_run_++ >= 16 && flag_bits_ == 0) literal_mode_ = true;
  }
  avg_literal_ += index;
  avg_literal_ -= avg_literal_ >> 8;
  literal_weight_ += 16;
  if (literal_weight_ > 0xFF) {
    literal_weight_ = 0x90;
    match_weight_ >>= 1;
  }
  window.Put(Promote(literals_, literal_rank_, 0xA1, index));
  return Status::kOk;
}

Status Unpack15::LongMatch(BitReader& bits, Window& window) {
  literal_run_ = 0;
  match_weight_ += 16;
  if (match_weight_ > 0xFF) {
    match_weight_ = 0x90;
    literal_weight_ >>= 1;
  }
  const std::uint32_t old_avg_long = avg_long_;
  int raw;
  if (avg_long_ >= 122) {
    raw = length2_.Decode(bits);
  } else if (avg_long_ >= 64) {
    raw = length1_.Decode(bits);
  } else {
    // Unary up to seven, else eight zeros and the length in a byte.
    raw = 0;
    while (raw < 8 && bits.Read(1) == 0) ++raw;
    if (raw == 8) raw = static_cast<int>(bits.Read(8));
  }
  if (raw < 0) return Status::kCorrupt;
  avg_long_ += static_cast<std::uint32_t>(raw);
  avg_long_ -= avg_long_ >> 5;

  const int table = avg_offset_ > 0x28FF ? 2 : avg_offset_ > 0x06FF ? 1 : 0;
  const int code = byte_codes_[table].Decode(bits);
  if (code < 0 || code > 255) return Status::kCorrupt;
  avg_offset_ += static_cast<std::uint32_t>(code);
  avg_offset_ -= avg_offset_ >> 8;
  const std::uint32_t high = Promote(offsets_, offset_rank_, 0xFF, static_cast<unsigned>(code));
  const std::uint32_t distance = (high << 7) | bits.Read(7);

  const std::uint32_t old_near = avg_near_;
  if (raw != 1 && raw != 4) {
    if (raw == 0 && distance <= max_near_) {
      ++avg_near_;
      avg_near_ -= avg_near_ >> 8;
    } else if (avg_near_ > 0) {
      --avg_near_;
    }
  }
  std::uint32_t length = static_cast<std::uint32_t>(raw) + 3;
  if (distance >= max_near_) ++length;
  if (distance <= 256) length += 8;
  max_near_ = (old_near > 0xB0 || (avg_literal_ >= 0x2A00 && old_avg_long < 0x40)) ? 0x7F00 : 0x2001;
  return Match(window, distance, length, true);
}

Status Unpack15::ShortMatch(BitReader& bits, Window& window) {
  literal_run_ = 0;
  if (repeats_ == 2) {
    if (bits.Read(1)) return Match(window, last_distance_, last_length_, false);
    repeats_ = 0;
  }
  const int variant = (avg_short_ >= 37 ? 2 : 0) + (alternate_short_ ? 1 : 0);
  const std::uint16_t entry = short_codes_[variant][bits.Peek16() >> 8];
  if (entry == 0) return Status::kCorrupt;
  bits.Skip(entry & 15);
  const unsigned selector = entry >> 4;

  if (selector < 9) {
    repeats_ = 0;
    avg_short_ += selector;
    avg_short_ -= avg_short_ >> 4;
    const int code = byte_codes_[2].Decode(bits);
    if (code < 0) return Status::kCorrupt;
    const unsigned place = static_cast<unsigned>(code) & 0xFF;
    const std::uint8_t distance = short_offsets_[place];
    if (place > 0) {
      short_offsets_[place] = short_offsets_[place - 1];
      short_offsets_[place - 1] = distance;
    }
    return Match(window, distance + 1u, selector + 2, true);
  }
  if (selector == 9) {
    ++repeats_;
    return Match(window, last_distance_, last_length_, false);
  }
  repeats_ = 0;
  if (selector == 14) {
    const int code = length2_.Decode(bits);
    if (code < 0) return Status::kCorrupt;
    last_length_ = static_cast<std::uint32_t>(code) + 5;
    last_distance_ = bits.Read(15) + 0x8000;
    return Match(window, last_distance_, last_length_, false);
  }
  const std::uint32_t distance = old_distances_[(old_index_ - (selector - 9)) & 3];
  const int code = length1_.Decode(bits);
  if (code < 0) return Status::kCorrupt;
  std::uint32_t length = static_cast<std::uint32_t>(code) + 2;
  // The longest length after the second-newest distance switches the short codes' form.
  if (length == 0x101 && selector == 10) {
    alternate_short_ = !alternate_short_;
    return Status::kOk;
  }
  if (distance > 256) ++length;
  if (distance >= max_near_) ++length;
  return Match(window, distance, length, true);
}

Status Unpack15::Match(Window& window, std::uint32_t distance, std::uint32_t length, bool remember) {
  if (remember) {
    old_distances_[old_index_++ & 3] = distance;
    last_distance_ = distance;
    last_length_ = length;
  }
  return window.Copy(distance, length) ? Status::kOk : Status::kCorrupt;
}

}  // namespace rar
