#include "ace_bits.h"

#include <algorithm>

namespace ace {

namespace {
constexpr std::size_t kChunk = 64 * 1024;
}

BitReader::BitReader(Source& source, std::uint64_t offset, std::uint64_t size)
    : source_(source), next_offset_(offset), left_(size), buffer_(kChunk) {}

bool BitReader::FillBuffer() {
  if (left_ == 0) return false;
  const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left_, kChunk));
  const std::size_t got = source_.ReadAt(next_offset_, buffer_.data(), want);
  next_offset_ += got;
  left_ = got == want ? left_ - got : 0;
  buffer_pos_ = 0;
  buffer_end_ = got;
  return got > 0;
}

void BitReader::Refill() {
  while (count_ <= 32) {
    std::uint32_t word = 0;
    int bytes = 0;
    for (; bytes < 4; ++bytes) {
      if (buffer_pos_ == buffer_end_ && !FillBuffer()) break;
      word |= static_cast<std::uint32_t>(buffer_[buffer_pos_++]) << (8 * bytes);
    }
    if (bytes == 0 && padding_words_ < 1000) ++padding_words_;
    acc_ |= static_cast<std::uint64_t>(word) << (32 - count_);
    count_ += 32;
    ++words_;
  }
}

}  // namespace ace
