#include "block_walk.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace unrar {

namespace {

constexpr std::uint8_t kSignature[] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
constexpr std::uint64_t kSelfExtractorSearch = 128u << 10;  // as far as libarchive looks for the signature

constexpr unsigned kMarker = 0x72, kMain = 0x73, kFile = 0x74, kService = 0x7A, kEnd = 0x7B;
constexpr unsigned kLongBlock = 0x8000;   // other blocks: a 32-bit data size follows the header fields
constexpr unsigned kLargeSizes = 0x0100;  // file and service blocks: high halves of the sizes follow
constexpr std::size_t kFileFields = 32, kLargeFileFields = 40;

std::uint32_t Field(const std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width && at + i < bytes.size(); ++i) value |= std::uint32_t{bytes[at + i]} << (8 * i);
  return value;
}

bool SignatureAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return at + sizeof kSignature <= bytes.size() && std::memcmp(bytes.data() + at, kSignature, sizeof kSignature) == 0;
}

// Where libarchive's RAR 4 reader finds the first block: at the start, or in a self-extractor at the
// first signature on a 16-byte step.
std::optional<std::uint64_t> FirstBlock(const ReadAt& read, std::uint64_t file_size) {
  std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(file_size, 8)));
  head.resize(read(0, head.data(), head.size()));
  if (SignatureAt(head, 0)) return 0;
  static const std::uint8_t kElf[] = {0x7F, 'E', 'L', 'F'};
  const bool executable =
      head.size() >= 4 && ((head[0] == 'M' && head[1] == 'Z') || std::memcmp(head.data(), kElf, sizeof kElf) == 0);
  if (!executable) return std::nullopt;
  head.resize(static_cast<std::size_t>(std::min<std::uint64_t>(file_size, kSelfExtractorSearch + 8)));
  head.resize(read(0, head.data(), head.size()));
  for (std::size_t at = 16; at < head.size(); at += 16) {
    if (SignatureAt(head, at)) return at;
  }
  return std::nullopt;
}

// Block headers through a window of the file, so that a run of small blocks costs one read.
class Window {
 public:
  explicit Window(const ReadAt& read) : read_(read) {}
  // Up to size bytes at offset, fewer at the end of the file.
  std::vector<std::uint8_t> Read(std::uint64_t offset, std::size_t size) {
    if (offset < start_ || offset - start_ + size > bytes_.size()) {
      bytes_.resize(4096);
      bytes_.resize(read_(offset, bytes_.data(), bytes_.size()));
      start_ = offset;
    }
    const std::size_t from = static_cast<std::size_t>(offset - start_);
    const std::size_t n = std::min(size, bytes_.size() - from);
    return {bytes_.begin() + static_cast<std::ptrdiff_t>(from), bytes_.begin() + static_cast<std::ptrdiff_t>(from + n)};
  }

 private:
  const ReadAt& read_;
  std::uint64_t start_ = 0;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

std::optional<std::uint32_t> EntriesBeforeHazard(const ReadAt& read, std::uint64_t file_size) {
  const std::optional<std::uint64_t> first = FirstBlock(read, file_size);
  if (!first) return std::nullopt;
  Window window(read);
  std::uint32_t entries = 0;
  // Every block takes at least 7 bytes, so the walk ends.
  for (std::uint64_t at = *first; at < file_size;) {
    const std::vector<std::uint8_t> h = window.Read(at, kLargeFileFields);
    if (h.size() < 7) return std::nullopt;  // libarchive finds no further header
    const unsigned type = h[2], flags = Field(h, 3, 2), size = Field(h, 5, 2);
    std::uint64_t extent = size;
    switch (type) {
      case kMarker:
        if (!SignatureAt(h, 0)) return entries;
        extent = sizeof kSignature;
        break;
      case kMain:
        if (size < 13) return entries;
        break;
      case kFile:
      case kService: {
        const std::size_t fields = (flags & kLargeSizes) ? kLargeFileFields : kFileFields;
        if (size < fields || h.size() < fields) return entries;
        const std::uint64_t high = (flags & kLargeSizes) ? Field(h, 32, 4) : 0;
        const std::uint64_t packed = (high << 32) | Field(h, 7, 4);
        // Unix, Mac OS and BeOS hosts store the mode, which may say link.
        const bool link = h[15] >= 3 && h[15] <= 5 && (Field(h, 28, 4) & 0xF000) == 0xA000;
        if ((type == kService || link) && (packed > kMaxWholeBlock - size || size + packed > file_size - at)) {
          return entries;
        }
        if (type == kFile) ++entries;
        // A file's data may run past the end; its header is read all the same, and nothing after it.
        if (packed > file_size - at) return entries;
        extent += packed;
        break;
      }
      case 0x75:  // comment, extra information, subblock, recovery record, signature
      case 0x76:
      case 0x77:
      case 0x78:
      case 0x79:
      case kEnd:
        if (size < 7 || ((flags & kLongBlock) && size < 11)) return entries;
        if (flags & kLongBlock) extent += Field(h, 7, 4);
        break;
      default:
        return entries;
    }
    if (extent > file_size - at) return entries;
    if (type == kEnd) return std::nullopt;
    at += extent;
  }
  return std::nullopt;
}

}  // namespace unrar
