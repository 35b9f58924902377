#pragma once
// What every archive reader of ours needs: random access to the archive's bytes, its little-endian
// fields and the CRC-32 table. No Windows headers here, so the readers also build natively.
#include <cstddef>
#include <cstdint>

namespace outside {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads up to size bytes at offset; returns how many were read.
  virtual std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t size) = 0;
};

class MemorySource : public ByteSource {
 public:
  MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  std::size_t ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t size) override;

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

inline std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The table steps of the usual CRC-32 polynomial over data, from state; each format chooses its
// own start value and whether it inverts the end.
std::uint32_t Crc32Steps(std::uint32_t state, const std::uint8_t* data, std::size_t size);

}  // namespace outside
