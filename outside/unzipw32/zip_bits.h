#pragma once
// Bit input for the legacy ZIP methods: bytes from memory, each read from its lowest bit up.
#include <cstddef>
#include <cstdint>

namespace zip {

class BitInput {
 public:
  BitInput(const std::uint8_t* data, std::size_t size) : next_(data), end_(data + size), size_(size) {}

  // Next n bits (0..24) without consuming them; past the end of the data they read as zeros.
  std::uint32_t Peek(int n) {
    if (count_ < n) Refill();
    return static_cast<std::uint32_t>(acc_ & ((std::uint64_t{1} << n) - 1));
  }
  void Skip(int n) {
    if (count_ < n) Refill();
    acc_ >>= n;
    count_ -= n;
  }
  std::uint32_t Read(int n) {
    const std::uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  // True once more bits were consumed than the data holds.
  bool overrun() const {
    const std::uint64_t loaded =
        (static_cast<std::uint64_t>(size_ - static_cast<std::size_t>(end_ - next_)) + padding_) * 8;
    return loaded - static_cast<std::uint64_t>(count_) > static_cast<std::uint64_t>(size_) * 8;
  }

 private:
  void Refill() {
    while (count_ <= 56) {
      std::uint64_t byte = 0;
      if (next_ != end_) {
        byte = *next_++;
      } else {
        ++padding_;
      }
      acc_ |= byte << count_;
      count_ += 8;
    }
  }

  const std::uint8_t* next_;
  const std::uint8_t* end_;
  std::size_t size_;
  std::uint64_t padding_ = 0;  // zero bytes loaded past the end
  std::uint64_t acc_ = 0;      // valid bits at the bottom
  int count_ = 0;
};

}  // namespace zip
