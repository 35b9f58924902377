#include "stored_crc.h"

#include <cstring>
#include <vector>

namespace unrar {

namespace {

constexpr int kMaxBlocks = 64;

// Bounds-checked little-endian reads from one buffer.
class Cursor {
 public:
  Cursor(const std::vector<std::uint8_t>& bytes, size_t at) : bytes_(bytes), at_(at) {}
  bool ok() const { return ok_; }
  size_t at() const { return at_; }
  // A field of 1 to 4 bytes.
  std::uint32_t Fixed(int width) {
    std::uint32_t value = 0;
    if (width > 4 || !Has(static_cast<size_t>(width))) {
      ok_ = false;
      return 0;
    }
    for (int i = 0; i < width; ++i) value |= static_cast<std::uint32_t>(bytes_[at_ + i]) << (8 * i);
    at_ += static_cast<size_t>(width);
    return value;
  }
  void Skip(size_t count) {
    if (Has(count)) at_ += count;
  }
  std::uint64_t Vint() {
    std::uint64_t value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (!Has(1)) return 0;
      const std::uint8_t byte = bytes_[at_++];
      value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
      if (!(byte & 0x80)) return value;
    }
    ok_ = false;
    return 0;
  }

 private:
  bool Has(size_t n) {
    if (!ok_ || n > bytes_.size() || at_ > bytes_.size() - n) ok_ = false;
    return ok_;
  }
  const std::vector<std::uint8_t>& bytes_;
  size_t at_;
  bool ok_ = true;
};

CrcCheck Compare(std::uint32_t stored, std::uint32_t crc) {
  return stored == crc ? CrcCheck::kMatches : CrcCheck::kDiffers;
}

CrcCheck CheckRar4(const std::vector<std::uint8_t>& bytes, bool at_start, std::uint32_t crc) {
  static const std::uint8_t kSignature[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
  size_t at = bytes.size() >= 7 && std::memcmp(bytes.data(), kSignature, 7) == 0 ? 7 : 0;
  if (at_start && at == 0) return CrcCheck::kNotApplicable;  // a self-extractor's stub comes first
  for (int block = 0; block < kMaxBlocks; ++block) {
    Cursor c(bytes, at);
    c.Fixed(2);
    const std::uint32_t type = c.Fixed(1), flags = c.Fixed(2), size = c.Fixed(2);
    if (!c.ok() || size < 7) return CrcCheck::kNotApplicable;
    if (type == 0x74) {
      c.Skip(4 + 4 + 1);  // packed and unpacked size, host
      const std::uint32_t stored = c.Fixed(4);
      c.Skip(4 + 1);  // time, version
      const std::uint32_t method = c.Fixed(1);
      // Encrypted and split entries are not ours to judge.
      if (!c.ok() || method != 0x30 || (flags & 0x0007)) return CrcCheck::kNotApplicable;
      return Compare(stored, crc);
    }
    std::uint64_t next = at + size;
    if (flags & 0x8000) next += c.Fixed(4);
    if (!c.ok() || next > bytes.size()) return CrcCheck::kNotApplicable;
    at = static_cast<size_t>(next);
  }
  return CrcCheck::kNotApplicable;
}

CrcCheck CheckRar5(const std::vector<std::uint8_t>& bytes, bool at_start, std::uint32_t crc) {
  static const std::uint8_t kSignature[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x01, 0x00};
  size_t at = bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0 ? 8 : 0;
  if (at_start && at == 0) return CrcCheck::kNotApplicable;
  for (int block = 0; block < kMaxBlocks; ++block) {
    Cursor c(bytes, at);
    c.Fixed(4);
    const std::uint64_t size = c.Vint();
    const size_t start = c.at();
    const std::uint64_t type = c.Vint(), flags = c.Vint();
    if (flags & 0x1) c.Vint();  // extra area size
    const std::uint64_t data = (flags & 0x2) ? c.Vint() : 0;
    if (!c.ok() || type == 4) return CrcCheck::kNotApplicable;  // encrypted headers follow
    if (type == 2) {
      const std::uint64_t file_flags = c.Vint();
      c.Vint();  // unpacked size
      c.Vint();  // attributes
      if (file_flags & 0x2) c.Fixed(4);
      const std::uint32_t stored = (file_flags & 0x4) ? c.Fixed(4) : 0;
      const std::uint64_t compression = c.Vint();
      // Split entries (header flags 0x8, 0x10) are checked across volumes, which we never open.
      if (!c.ok() || !(file_flags & 0x4) || ((compression >> 7) & 7) != 0 || (flags & 0x18)) {
        return CrcCheck::kNotApplicable;
      }
      return Compare(stored, crc);
    }
    const std::uint64_t next = start + size + data;
    if (size > bytes.size() || data > bytes.size() || next > bytes.size()) return CrcCheck::kNotApplicable;
    at = static_cast<size_t>(next);
  }
  return CrcCheck::kNotApplicable;
}

}  // namespace

CrcCheck CheckStoredCrc(const std::vector<std::uint8_t>& blocks, bool at_start, bool rar5, std::uint32_t crc) {
  return rar5 ? CheckRar5(blocks, at_start, crc) : CheckRar4(blocks, at_start, crc);
}

}  // namespace unrar
