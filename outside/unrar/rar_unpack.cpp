#include <algorithm>
#include <vector>

#include "rar_format.h"
#include "rar_lz.h"

namespace rar {

class Unpacker::Impl {
 public:
  explicit Impl(Source& source) : source_(source) {}

  Status Unpack(const Entry& e, const Sink& sink) {
    if (e.split()) return Status::kSplit;
    if (e.encrypted()) return Status::kEncrypted;
    if (!Decodes(e)) return Status::kUnsupported;
    if (e.folder()) return Status::kOk;
    if (e.data_offset > source_.Size() || e.packed_size > source_.Size() - e.data_offset) return Status::kTruncated;
    if (e.stored()) return CopyStored(e, sink);
    // Nothing to decode, and the chain's state stays as it is.
    if (e.unpacked_size == 0) return e.crc == 0 ? Status::kOk : Status::kCrcMismatch;
    if (!window_) window_ = std::make_unique<Window>();
    if (!e.solid) {
      window_->Reset();
      if (rar15_) rar15_->Reset();
      if (rar20_) rar20_->Reset();
      broken_ = false;
    } else if (broken_) {
      return Status::kCorrupt;
    }
    window_->Begin(e.unpacked_size, &sink);
    BitReader bits(source_, e.data_offset, e.packed_size);
    Status s;
    if (e.version == 15) {
      if (!rar15_) rar15_ = std::make_unique<Unpack15>();
      s = rar15_->Decode(bits, *window_, e.unpacked_size);
    } else {
      if (!rar20_) {
        rar20_ = std::make_unique<Unpack20>();
        rar20_->Reset();
      }
      s = rar20_->Decode(bits, *window_, e.unpacked_size);
    }
    if (s == Status::kOk && !window_->Flush()) s = Status::kSinkFailed;
    if (s == Status::kOk && window_->crc() != e.crc) s = Status::kCrcMismatch;
    // The members after a failed one would build on a wrong window.
    if (s != Status::kOk) broken_ = true;
    return s;
  }

 private:
  Status CopyStored(const Entry& e, const Sink& sink) {
    if (e.packed_size != e.unpacked_size) return Status::kCorrupt;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(e.packed_size, 64 * 1024)));
    std::uint32_t crc = 0;
    for (std::uint64_t at = 0; at < e.packed_size;) {
      const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(e.packed_size - at, buffer.size()));
      if (source_.ReadAt(e.data_offset + at, buffer.data(), want) != want) return Status::kTruncated;
      crc = Crc32(crc, buffer.data(), want);
      if (sink && !sink(buffer.data(), want)) return Status::kSinkFailed;
      at += want;
    }
    return crc == e.crc ? Status::kOk : Status::kCrcMismatch;
  }

  Source& source_;
  std::unique_ptr<Window> window_;  // made at the first packed member
  std::unique_ptr<Unpack15> rar15_;
  std::unique_ptr<Unpack20> rar20_;
  bool broken_ = false;
};

Unpacker::Unpacker(Source& source) : impl_(std::make_unique<Impl>(source)) {}
Unpacker::~Unpacker() = default;

Status Unpacker::Unpack(const Entry& entry, const Sink& sink) { return impl_->Unpack(entry, sink); }

bool Unpacker::Decodes(const Entry& entry) {
  if (entry.stored()) return true;
  if (entry.method < 0x31 || entry.method > 0x35) return false;
  return entry.version == 15 || entry.version == 20 || entry.version == 26;
}

}  // namespace rar
