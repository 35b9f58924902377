#pragma once
// What the RAR 1.5 and 2.0 decoders share: bit input read from each byte's top bit down, prefix
// codes given by their lengths, and the sliding window that hands out a member's bytes.
#include <cstdint>
#include <vector>

#include "rar_format.h"

namespace rar {

class BitReader {
 public:
  BitReader(Source& source, std::uint64_t offset, std::uint64_t size);

  // The next 16 bits, zeros past the end, without consuming them.
  std::uint32_t Peek16() {
    if (count_ < 16) Refill();
    return static_cast<std::uint32_t>(acc_ >> 48);
  }
  void Skip(int n) {
    if (count_ < n) Refill();
    acc_ <<= n;
    count_ -= n;
    consumed_ += static_cast<std::uint64_t>(n);
  }
  // n from 0 to 16.
  std::uint32_t Read(int n) {
    const std::uint32_t v = Peek16() >> (16 - n);
    Skip(n);
    return v;
  }
  // True once more bits were taken than the member holds, past a little slack.
  bool overrun() const { return consumed_ > total_bits_ + 64; }
  // Whole bytes not yet reached.
  std::uint64_t bytes_left() const { return consumed_ >= total_bits_ ? 0 : (total_bits_ - consumed_) / 8; }

 private:
  void Refill();

  Source& source_;
  std::uint64_t next_offset_;
  std::uint64_t left_;  // member bytes not yet in buffer_
  std::vector<std::uint8_t> buffer_;
  std::size_t buffer_pos_ = 0;
  std::size_t buffer_end_ = 0;
  std::uint64_t acc_ = 0;  // valid bits at the top
  int count_ = 0;
  std::uint64_t consumed_ = 0;
  std::uint64_t total_bits_;
};

// A canonical prefix code: shorter codes first, and within one length in symbol order.
class PrefixCode {
 public:
  static constexpr int kMaxLength = 15;

  // lengths[i] is symbol i's code length, 0 when unused; false for more codes than fit.
  bool Build(const std::uint8_t* lengths, int count);
  // Builds the code whose length n has counts[n - 1] symbols, in symbol order.
  bool BuildFromCounts(const std::uint16_t* counts, int max_length);
  // The next symbol, or -1 for a bit pattern no symbol has.
  int Decode(BitReader& bits) const;

 private:
  static constexpr int kQuickBits = 10;
  std::uint32_t first_[kMaxLength + 1] = {};  // first code of each length, as a 16-bit prefix
  std::uint32_t limit_[kMaxLength + 1] = {};  // one past the last
  std::uint16_t index_[kMaxLength + 1] = {};  // where that length's symbols begin in symbols_
  std::vector<std::uint16_t> symbols_;
  std::vector<std::uint16_t> quick_;  // by the first kQuickBits bits: symbol << 4 | length, 0 if longer
};

// The dictionary. Decoders put bytes here; they go to the sink a member at a time.
class Window {
 public:
  static constexpr std::uint32_t kSize = 1u << 20;  // RAR 2.0's largest dictionary
  // Unflushed bytes that make a flush due. One decoding step adds at most a few hundred, so the
  // window never wraps onto bytes not handed out yet.
  static constexpr std::uint32_t kFlushAt = kSize / 2;

  Window() : bytes_(kSize) {}

  // Forgets all history: the next member starts a new solid chain.
  void Reset() {
    pos_ = 0;
    history_ = 0;
  }
  // Starts the output of one member of size bytes.
  void Begin(std::uint64_t size, const Sink* sink) {
    mark_ = pos_;
    produced_ = 0;
    left_ = size;
    sink_ = sink;
    sink_ok_ = true;
    crc_ = 0;
  }

  void Put(std::uint8_t byte) {
    bytes_[pos_] = byte;
    pos_ = (pos_ + 1) & (kSize - 1);
    ++produced_;
    if (history_ < kSize) ++history_;
  }
  // Repeats length bytes from distance back; false when that reaches before the chain's start.
  bool Copy(std::uint32_t distance, std::uint32_t length) {
    if (distance == 0 || distance > history_) return length == 0;
    std::uint32_t from = (pos_ - distance) & (kSize - 1);
    for (std::uint32_t i = 0; i < length; ++i) {
      Put(bytes_[from]);
      from = (from + 1) & (kSize - 1);
    }
    return true;
  }

  std::uint64_t produced() const { return produced_; }
  // CRC-32 of the member's bytes flushed so far.
  std::uint32_t crc() const { return crc_; }
  bool Due() const { return ((pos_ - mark_) & (kSize - 1)) >= kFlushAt; }
  // Hands the bytes since the last flush (at most the member's size) to the sink.
  bool Flush();

 private:
  std::vector<std::uint8_t> bytes_;
  std::uint32_t pos_ = 0;
  std::uint32_t history_ = 0;  // bytes behind pos_ that belong to the chain
  std::uint32_t mark_ = 0;
  std::uint64_t produced_ = 0;
  std::uint64_t left_ = 0;
  const Sink* sink_ = nullptr;
  bool sink_ok_ = true;
  std::uint32_t crc_ = 0;
};

}  // namespace rar
