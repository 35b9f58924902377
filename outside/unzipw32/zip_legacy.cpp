#include "zip_legacy.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zip {

namespace {

using outside::Le16;
using outside::Le32;

constexpr std::uint8_t kEndSignature[] = {'P', 'K', 5, 6};
constexpr std::uint8_t kCentralSignature[] = {'P', 'K', 1, 2};
constexpr std::uint8_t kLocalSignature[] = {'P', 'K', 3, 4};
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxComment = 0xFFFF;
// Directories of archives from the days of these methods are a few KB; this bounds the memory.
constexpr std::uint64_t kMaxDirectory = 16u << 20;
// A local header lies at most this far before its data.
constexpr std::uint64_t kMaxLocalSize = kLocalSize + 2 * 0xFFFF;
// Local headers read to place one entry's data.
constexpr int kMaxCandidates = 16;

// Calls visit(entry, local header offset) for each legacy entry of the directory.
template <typename Visit>
void ForEachLegacyEntry(const std::vector<std::uint8_t>& b, std::uint64_t correction, Visit visit) {
  std::size_t at = 0;
  while (at + kCentralSize <= b.size() && std::memcmp(&b[at], kCentralSignature, 4) == 0) {
    const std::uint8_t* p = &b[at];
    Entry entry;
    entry.flags = Le16(p + 8);
    entry.method = Le16(p + 10);
    entry.crc = Le32(p + 16);
    entry.packed_size = Le32(p + 20);
    entry.size = Le32(p + 24);
    const std::uint64_t local = std::uint64_t{Le32(p + 42)} + correction;
    at += kCentralSize + Le16(p + 28) + Le16(p + 30) + Le16(p + 32);
    if (IsLegacyMethod(entry.method) && entry.packed_size != 0xFFFFFFFFu && entry.size != 0xFFFFFFFFu) {
      visit(entry, local);
    }
  }
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  return ~outside::Crc32Steps(0xFFFFFFFFu, data, size);
}

Status Decode(const Entry& entry, const std::uint8_t* packed, std::uint8_t* out) {
  if (entry.encrypted()) return Status::kUnsupported;
  Status status;
  switch (entry.method) {
    case 1:
      status = Unshrink(packed, entry.packed_size, out, entry.size);
      break;
    case 2:
    case 3:
    case 4:
    case 5:
      status = Unreduce(packed, entry.packed_size, entry.method - 1, out, entry.size);
      break;
    case 6:
      status =
          Explode(packed, entry.packed_size, (entry.flags & 0x0002) != 0, (entry.flags & 0x0004) != 0, out, entry.size);
      break;
    default:
      return Status::kUnsupported;
  }
  if (status != Status::kOk) return status;
  return Crc32(out, entry.size) == entry.crc ? Status::kOk : Status::kCrcMismatch;
}

LegacyDirectory::LegacyDirectory(Source& source) : source_(source), size_(source.Size()) {
  std::vector<std::uint8_t> directory;
  std::uint64_t correction = 0;
  status_ = ReadDirectory(directory, correction);
  if (status_ != Status::kOk) return;
  ForEachLegacyEntry(directory, correction, [&](const Entry& e, std::uint64_t local) {
    entries_.push_back({local, entries_.size(), e});
  });
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const Listed& a, const Listed& b) { return a.header_offset > b.header_offset; });
}

// Reads the central directory named by the end record nearest the end of the file.
Status LegacyDirectory::ReadDirectory(std::vector<std::uint8_t>& directory, std::uint64_t& correction) {
  if (size_ < kEndSize) return Status::kNotFound;
  tail_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size_, kEndSize + kMaxComment)));
  tail_at_ = size_ - tail_.size();
  if (source_.ReadAt(tail_at_, tail_.data(), tail_.size()) != tail_.size()) {
    tail_.clear();
    return Status::kNotFound;
  }
  // The end record nearest the end whose comment fits in the file.
  std::size_t end = tail_.size() - kEndSize;
  for (;; --end) {
    if (std::memcmp(&tail_[end], kEndSignature, 4) == 0 && end + kEndSize + Le16(&tail_[end + 20]) <= tail_.size()) {
      break;
    }
    if (end == 0) return Status::kNotFound;
  }
  const std::uint32_t size = Le32(&tail_[end + 12]);
  const std::uint32_t offset = Le32(&tail_[end + 16]);
  if (size == 0xFFFFFFFFu || offset == 0xFFFFFFFFu) return Status::kUnsupported;  // ZIP64
  const std::uint64_t end_at = tail_at_ + end;
  if (size == 0 || size > end_at || size > kMaxDirectory) return Status::kNotFound;
  const auto directory_at = [&](std::uint64_t at) {
    std::uint8_t signature[4];
    return ReadAt(at, signature, 4) == 4 && std::memcmp(signature, kCentralSignature, 4) == 0;
  };
  // The directory ends where the end record begins; when it lies further on than the record says,
  // something was put in front of the archive and every offset moves by as much.
  std::uint64_t start = end_at - size;
  if (start >= offset && directory_at(start)) {
    correction = start - offset;
  } else if (directory_at(offset)) {
    start = offset;
    correction = 0;
  } else {
    return Status::kNotFound;
  }
  directory.resize(size);
  return ReadAt(start, directory.data(), size) == size ? Status::kOk : Status::kNotFound;
}

bool LegacyDirectory::PlaceData(std::uint64_t offset, Entry& entry) const {
  std::uint8_t h[kLocalSize];
  if (ReadAt(offset, h, kLocalSize) != kLocalSize || std::memcmp(h, kLocalSignature, 4) != 0) return false;
  if (Le16(h + 8) != entry.method) return false;
  entry.data_offset = offset + kLocalSize + Le16(h + 26) + Le16(h + 28);
  return entry.data_offset + entry.packed_size <= size_;
}

std::size_t LegacyDirectory::ReadAt(std::uint64_t offset, std::uint8_t* out, std::size_t size) const {
  if (offset >= tail_at_ && !tail_.empty() && offset - tail_at_ <= tail_.size()) {
    const std::size_t at = static_cast<std::size_t>(offset - tail_at_);
    const std::size_t n = std::min(size, tail_.size() - at);
    std::memcpy(out, tail_.data() + at, n);
    return n;
  }
  return source_.ReadAt(offset, out, size);
}

Status LegacyDirectory::Find(std::uint64_t data_offset, Entry& entry) const {
  if (status_ != Status::kOk) return status_;
  if (data_offset < kLocalSize) return Status::kNotFound;
  // The nearest headers in front of the data first.
  auto it = std::partition_point(entries_.begin(), entries_.end(),
                                 [&](const Listed& l) { return l.header_offset > data_offset - kLocalSize; });
  for (int tries = 0; it != entries_.end() && tries < kMaxCandidates; ++it, ++tries) {
    if (data_offset - it->header_offset > kMaxLocalSize) break;
    Entry e = it->entry;
    if (PlaceData(it->header_offset, e) && e.data_offset == data_offset) {
      entry = e;
      return Status::kOk;
    }
  }
  return Status::kNotFound;
}

std::vector<Entry> LegacyDirectory::List() const {
  std::vector<const Listed*> ordered;
  for (const Listed& l : entries_) ordered.push_back(&l);
  std::sort(ordered.begin(), ordered.end(), [](const Listed* a, const Listed* b) { return a->order < b->order; });
  std::vector<Entry> entries;
  for (const Listed* l : ordered) {
    Entry e = l->entry;
    if (PlaceData(l->header_offset, e)) entries.push_back(e);
  }
  return entries;
}

}  // namespace zip
