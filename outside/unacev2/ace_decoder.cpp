#include "ace_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "ace_bits.h"
#include "ace_lz.h"

namespace ace {

namespace {

using outside::Le16;
using outside::Le32;

constexpr char kSignature[] = "**ACE**";
constexpr std::size_t kMainFixedSize = 26;  // type .. reserved
constexpr std::size_t kFileFixedSize = 31;  // type .. name size
constexpr std::uint16_t kFlagAddSize = 0x0001;
constexpr std::uint16_t kFlagLargeSizes = 0x0004;
// How far in front of the main header a self-extractor stub may reach.
constexpr std::uint64_t kMaxStubSize = 512 * 1024;
constexpr int kMaxStubCandidates = 64;

struct RawHeader {
  std::uint64_t offset = 0;
  std::vector<std::uint8_t> bytes;  // from HEAD_TYPE, HEAD_SIZE bytes
  std::uint8_t type() const { return bytes[0]; }
  std::uint16_t flags() const { return Le16(&bytes[1]); }
};

Status ReadHeader(Source& source, std::uint64_t offset, RawHeader& header) {
  std::uint8_t head[4];
  if (source.ReadAt(offset, head, 4) != 4) return Status::kTruncated;
  const std::uint16_t crc = Le16(head);
  const std::uint16_t size = Le16(head + 2);
  if (size < 3) return Status::kBadHeader;
  header.offset = offset;
  header.bytes.resize(size);
  if (source.ReadAt(offset + 4, header.bytes.data(), size) != size) return Status::kTruncated;
  if ((Crc32(kCrcStart, header.bytes.data(), size) & 0xFFFF) != crc) return Status::kHeaderCrc;
  return Status::kOk;
}

bool IsMainHeader(const RawHeader& h) {
  return h.bytes.size() >= kMainFixedSize && h.type() == 0 && std::memcmp(&h.bytes[3], kSignature, 7) == 0;
}

// Finds the main header at the start, or behind a self-extractor stub.
Status FindMainHeader(Source& source, RawHeader& header) {
  RawHeader candidate;
  Status first = ReadHeader(source, 0, candidate);
  if (first == Status::kOk && IsMainHeader(candidate)) {
    header = std::move(candidate);
    return Status::kOk;
  }
  const std::uint64_t limit = std::min<std::uint64_t>(source.Size(), kMaxStubSize);
  std::vector<std::uint8_t> scan(static_cast<std::size_t>(limit));
  if (source.ReadAt(0, scan.data(), scan.size()) != scan.size()) return Status::kTruncated;
  // A hostile stub could repeat the signature; a real one carries it a few times at most.
  int tries = 0;
  for (std::size_t at = 7; at + 7 <= scan.size() && tries < kMaxStubCandidates; ++at) {
    if (std::memcmp(&scan[at], kSignature, 7) != 0 || scan[at - 3] != 0) continue;
    ++tries;
    if (ReadHeader(source, at - 7, candidate) == Status::kOk && IsMainHeader(candidate)) {
      header = std::move(candidate);
      return Status::kOk;
    }
  }
  // A damaged main header at the start says more than "not an archive".
  if (first == Status::kHeaderCrc && scan.size() >= 14 && std::memcmp(&scan[7], kSignature, 7) == 0) {
    return Status::kHeaderCrc;
  }
  return Status::kNotAce;
}

Status ParseMember(const RawHeader& h, Member& m) {
  const auto& b = h.bytes;
  if (b.size() < kFileFixedSize) return Status::kBadHeader;
  m.flags = h.flags();
  if (!(m.flags & kFlagAddSize)) return Status::kBadHeader;
  if (m.flags & kFlagLargeSizes) return Status::kUnsupported;
  m.packed_size = Le32(&b[3]);
  m.original_size = Le32(&b[7]);
  m.time = Le32(&b[11]);
  m.attributes = Le32(&b[15]);
  m.crc32 = Le32(&b[19]);
  m.method = b[23];
  m.quality = b[24];
  m.params = Le16(&b[25]);
  const std::uint16_t name_size = Le16(&b[29]);
  if (kFileFixedSize + name_size > b.size()) return Status::kBadHeader;
  m.name.assign(reinterpret_cast<const char*>(&b[kFileFixedSize]), name_size);
  // A NUL inside the name would cut it short later; refuse it here.
  if (m.name.find('\0') != std::string::npos) return Status::kBadHeader;
  m.data_offset = h.offset + 4 + b.size();
  return Status::kOk;
}

}  // namespace

const char* StatusText(Status status) {
  switch (status) {
    case Status::kOk:
      return "ok";
    case Status::kNotAce:
      return "not an ACE archive";
    case Status::kTruncated:
      return "archive is truncated";
    case Status::kBadHeader:
      return "bad header";
    case Status::kHeaderCrc:
      return "header CRC error";
    case Status::kEncrypted:
      return "member is encrypted";
    case Status::kMultiVolume:
      return "member spans volumes";
    case Status::kUnsupported:
      return "unsupported compression";
    case Status::kCorrupt:
      return "corrupt compressed data";
    case Status::kCrcMismatch:
      return "CRC error";
    case Status::kTooLarge:
      return "member too large";
    case Status::kSinkFailed:
      return "output failed";
  }
  return "unknown";
}

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  return outside::Crc32Steps(crc, data, size);
}

std::string Member::file_part() const {
  const std::size_t cut = name.find_last_of("\\/:");
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

Directory ReadDirectory(Source& source) {
  Directory dir;
  RawHeader h;
  dir.status = FindMainHeader(source, h);
  if (dir.status != Status::kOk) return dir;
  dir.info.flags = h.flags();
  dir.info.version_extract = h.bytes[10];
  dir.info.version_created = h.bytes[11];
  dir.info.host = h.bytes[12];
  dir.info.volume = h.bytes[13];
  dir.info.time_created = Le32(&h.bytes[14]);

  const std::uint64_t end = source.Size();
  std::uint64_t offset = h.offset + 4 + h.bytes.size();
  while (offset < end) {
    Status s = ReadHeader(source, offset, h);
    if (s != Status::kOk) {
      dir.status = s;
      return dir;
    }
    std::uint64_t extra = 0;
    if (h.type() == 1) {
      Member m;
      s = ParseMember(h, m);
      if (s != Status::kOk) {
        dir.status = s;
        return dir;
      }
      extra = m.packed_size;
      if (m.data_offset + extra > end) {
        dir.status = Status::kTruncated;
        return dir;
      }
      dir.members.push_back(std::move(m));
    } else if (h.flags() & kFlagAddSize) {
      // Recovery records and other blocks carry their data size in the same place.
      if (h.bytes.size() < 7) {
        dir.status = Status::kBadHeader;
        return dir;
      }
      extra = Le32(&h.bytes[3]);
    }
    offset += 4 + h.bytes.size() + extra;
  }
  if (offset > end) dir.status = Status::kTruncated;
  return dir;
}

// ---------------------------------------------------------------------------------------------

class Unpacker::Impl {
 public:
  Impl(Source& source, std::uint64_t unkept_limit) : source_(source), unkept_left_(unkept_limit) {}

  Status Unpack(const Member& m, const Sink& sink) {
    Status s = UnpackChecked(m, sink);
    // Later solid members build on this one's window; after a failure they cannot be trusted.
    if (s != Status::kOk) chain_broken_ = true;
    return s;
  }

 private:
  Status UnpackChecked(const Member& m, const Sink& sink) {
    if (m.continued_from_previous() || m.continues_in_next()) return Status::kMultiVolume;
    if (m.encrypted()) return Status::kEncrypted;
    if (m.is_folder()) return Status::kOk;
    if (m.method != kStored && m.method != kLz77 && m.method != kBlocked) return Status::kUnsupported;

    const bool compressed = m.method != kStored;
    if (compressed) {
      if (m.solid() && chain_broken_) return Status::kCorrupt;
      if (!sink) {
        if (m.original_size > unkept_left_) return Status::kTooLarge;
        unkept_left_ -= m.original_size;
      }
    }
    if (!lz_) lz_ = std::make_unique<LzDecoder>();
    // Only a fresh window mends a broken chain.
    if (!m.solid()) {
      lz_->Reset();
      chain_broken_ = false;
    }

    std::uint32_t crc = kCrcStart;
    bool sink_ok = true;
    auto out = [&](const std::uint8_t* data, std::size_t size) {
      crc = Crc32(crc, data, size);
      if (sink && sink_ok && !sink(data, size)) sink_ok = false;
      return sink_ok;
    };

    Status s;
    if (compressed) {
      BitReader bits(source_, m.data_offset, m.packed_size);
      s = lz_->Decode(bits, m.method == kBlocked, (m.params & 0x0F) + 10, m.original_size, out);
    } else {
      s = CopyStored(m, out);
    }
    if (!sink_ok) return Status::kSinkFailed;
    if (s != Status::kOk) return s;
    if (crc != m.crc32) return Status::kCrcMismatch;
    return Status::kOk;
  }

  // Stored bytes enter the window like decoded ones: the next solid member may copy from them.
  template <typename Out>
  Status CopyStored(const Member& m, Out& out) {
    if (m.packed_size != m.original_size) return Status::kCorrupt;
    std::vector<std::uint8_t> buffer(64 * 1024);
    std::uint64_t offset = m.data_offset;
    std::uint64_t left = m.original_size;
    while (left > 0) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
      if (source_.ReadAt(offset, buffer.data(), want) != want) return Status::kTruncated;
      if (!out(buffer.data(), want)) return Status::kSinkFailed;
      lz_->Append(buffer.data(), want);
      offset += want;
      left -= want;
    }
    return Status::kOk;
  }

  Source& source_;
  std::uint64_t unkept_left_;
  std::unique_ptr<LzDecoder> lz_;
  bool chain_broken_ = false;
};

Unpacker::Unpacker(Source& source, std::uint64_t unkept_limit) : impl_(std::make_unique<Impl>(source, unkept_limit)) {}
Unpacker::~Unpacker() = default;
Status Unpacker::Unpack(const Member& member, const Sink& sink) { return impl_->Unpack(member, sink); }

Status UnpackToBuffer(Unpacker& unpacker, const Member& member, std::uint64_t limit, std::vector<std::uint8_t>& out) {
  out.clear();
  if (member.original_size > limit) return Status::kTooLarge;
  return unpacker.Unpack(member, [&](const std::uint8_t* data, std::size_t size) {
    if (out.size() + size > limit) return false;
    out.insert(out.end(), data, data + size);
    return true;
  });
}

}  // namespace ace
