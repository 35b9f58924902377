#pragma once
// Bit input for ACE compressed data: little-endian 32-bit words, each read from its top bit down.
#include <cstdint>
#include <vector>

#include "ace_decoder.h"

namespace ace {

class BitReader {
 public:
  BitReader(Source& source, std::uint64_t offset, std::uint64_t size);

  // Next n bits (1..32) without consuming them.
  std::uint32_t Peek(int n) {
    if (count_ < n) Refill();
    return static_cast<std::uint32_t>(acc_ >> (64 - n));
  }
  void Skip(int n) {
    if (count_ < n) Refill();
    acc_ <<= n;
    count_ -= n;
  }
  std::uint32_t Read(int n) {
    const std::uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  // True once the reader had to invent more than a little padding past the member's data.
  bool overrun() const { return padding_words_ > 2; }
  // Bits taken so far.
  std::uint64_t consumed() const { return words_ * 32 - static_cast<std::uint64_t>(count_); }

 private:
  void Refill();
  bool FillBuffer();

  Source& source_;
  std::uint64_t next_offset_;
  std::uint64_t left_;  // member bytes not yet in buffer_
  std::vector<std::uint8_t> buffer_;
  std::size_t buffer_pos_ = 0;
  std::size_t buffer_end_ = 0;
  std::uint64_t acc_ = 0;  // valid bits at the top
  int count_ = 0;
  int padding_words_ = 0;
  std::uint64_t words_ = 0;  // 32-bit words put into acc_, padding included
};

}  // namespace ace
