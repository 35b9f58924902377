// libFuzzer entry for the Shrink, Reduce and Implode decoders. Arbitrary bytes go through the
// directory lookup and the decoding of every legacy entry with the limits Unzipw32.dll uses; the
// same bytes also go straight to a decoder, led by a small header: method, flags, size (3 bytes).
// Built natively by scripts/fuzz.sh; not part of the Windows build.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "zip_legacy.h"

namespace {

constexpr std::uint32_t kMaxSize = 1024 * 1024;
constexpr std::uint32_t kMaxPacked = 4u << 20;
constexpr std::size_t kMaxEntries = 64;

[[noreturn]] void Fail(const char* what, std::size_t entry) {
  std::fprintf(stderr, "fuzz_zip_legacy: entry %zu: %s\n", entry, what);
  std::abort();
}

void DecodeArchive(const std::uint8_t* data, std::size_t size) {
  zip::MemorySource source(data, size);
  const zip::LegacyDirectory directory(source);
  const std::vector<zip::Entry> entries = directory.List();
  for (std::size_t i = 0; i < entries.size() && i < kMaxEntries; ++i) {
    const zip::Entry& e = entries[i];
    if (e.data_offset > size || e.packed_size > size - e.data_offset) Fail("data outside the archive", i);
    zip::Entry found;
    if (directory.Find(e.data_offset, found) == zip::Status::kOk && found.data_offset != e.data_offset) {
      Fail("found elsewhere", i);
    }
    if (e.size > kMaxSize || e.packed_size > kMaxPacked) continue;
    std::vector<std::uint8_t> out(e.size);
    if (zip::Decode(e, data + e.data_offset, out.data()) == zip::Status::kOk &&
        zip::Crc32(out.data(), out.size()) != e.crc) {
      Fail("success under a wrong CRC", i);
    }
  }
}

void DecodeStream(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return;
  zip::Entry e;
  e.method = static_cast<std::uint16_t>(1 + data[0] % 6);
  e.flags = static_cast<std::uint16_t>(data[1] & 0x06);
  e.size = (data[2] | (data[3] << 8) | (std::uint32_t{data[4]} << 16)) % (kMaxSize + 1);
  e.packed_size = static_cast<std::uint32_t>(size - 5);
  std::vector<std::uint8_t> out(e.size);
  zip::Decode(e, data + 5, out.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  DecodeArchive(data, size);
  DecodeStream(data, size);
  return 0;
}
