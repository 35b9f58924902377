#include "rar_bits.h"

#include <algorithm>

namespace rar {

namespace {
constexpr std::size_t kChunk = 64 * 1024;
}

BitReader::BitReader(Source& source, std::uint64_t offset, std::uint64_t size)
    : source_(source),
      next_offset_(offset),
      left_(size),
      buffer_(static_cast<std::size_t>(std::min<std::uint64_t>(size, kChunk))),
      total_bits_(size * 8) {}

void BitReader::Refill() {
  while (count_ <= 56) {
    std::uint8_t byte = 0;
    if (buffer_pos_ == buffer_end_ && left_ > 0) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left_, buffer_.size()));
      const std::size_t got = source_.ReadAt(next_offset_, buffer_.data(), want);
      next_offset_ += got;
      left_ = got == want ? left_ - got : 0;
      buffer_pos_ = 0;
      buffer_end_ = got;
    }
    if (buffer_pos_ < buffer_end_) byte = buffer_[buffer_pos_++];
    acc_ |= static_cast<std::uint64_t>(byte) << (56 - count_);
    count_ += 8;
  }
}

bool PrefixCode::Build(const std::uint8_t* lengths, int count) {
  int counts[kMaxLength + 1] = {};
  for (int i = 0; i < count; ++i) {
    if (lengths[i] > kMaxLength) return false;
    ++counts[lengths[i]];
  }
  std::uint32_t next = 0;
  std::uint16_t index = 0;
  for (int length = 1; length <= kMaxLength; ++length) {
    first_[length] = next;
    index_[length] = index;
    next += static_cast<std::uint32_t>(counts[length]) << (16 - length);
    if (next > 0x10000) {
      quick_.clear();
      return false;
    }
    limit_[length] = next;
    index = static_cast<std::uint16_t>(index + counts[length]);
  }
  symbols_.assign(index, 0);
  std::uint16_t fill[kMaxLength + 1];
  std::copy(std::begin(index_), std::end(index_), fill);
  for (int i = 0; i < count; ++i) {
    if (lengths[i] != 0) symbols_[fill[lengths[i]]++] = static_cast<std::uint16_t>(i);
  }
  quick_.assign(std::size_t{1} << kQuickBits, 0);
  for (int length = 1; length <= kQuickBits; ++length) {
    for (int k = 0; k < counts[length]; ++k) {
      const std::uint32_t code = first_[length] + (static_cast<std::uint32_t>(k) << (16 - length));
      const std::uint32_t start = code >> (16 - kQuickBits);
      const std::uint16_t entry = static_cast<std::uint16_t>((symbols_[index_[length] + k] << 4) | length);
      std::fill_n(quick_.begin() + start, std::size_t{1} << (kQuickBits - length), entry);
    }
  }
  return true;
}

bool PrefixCode::BuildFromCounts(const std::uint16_t* counts, int max_length) {
  std::vector<std::uint8_t> lengths;
  for (int length = 1; length <= max_length; ++length) lengths.insert(lengths.end(), counts[length - 1], length);
  return Build(lengths.data(), static_cast<int>(lengths.size()));
}

int PrefixCode::Decode(BitReader& bits) const {
  if (quick_.empty()) return -1;
  const std::uint32_t v = bits.Peek16();
  const std::uint16_t quick = quick_[v >> (16 - kQuickBits)];
  if (quick != 0) {
    bits.Skip(quick & 15);
    return quick >> 4;
  }
  for (int length = kQuickBits + 1; length <= kMaxLength; ++length) {
    if (v < limit_[length]) {
      bits.Skip(length);
      return symbols_[index_[length] + ((v - first_[length]) >> (16 - length))];
    }
  }
  return -1;
}

bool Window::Flush() {
  std::uint32_t pending = (pos_ - mark_) & (kSize - 1);
  while (pending > 0 && left_ > 0) {
    const std::uint32_t run = std::min(pending, kSize - mark_);
    const std::uint32_t give = static_cast<std::uint32_t>(std::min<std::uint64_t>(run, left_));
    crc_ = Crc32(crc_, &bytes_[mark_], give);
    if (sink_ && *sink_ && sink_ok_ && !(*sink_)(&bytes_[mark_], give)) sink_ok_ = false;
    left_ -= give;
    mark_ = (mark_ + run) & (kSize - 1);
    pending -= run;
  }
  mark_ = pos_;
  return sink_ok_;
}

}  // namespace rar
