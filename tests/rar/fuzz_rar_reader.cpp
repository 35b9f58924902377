// libFuzzer entry for our RAR reader: arbitrary bytes go through the probe, the header walk and
// the decoding of every member in archive order, with limits like unrar.dll's, and through the
// checks unrar.dll makes beside libarchive (the block walk ahead of it, the stored CRC). Built
// natively by scripts/fuzz.sh; not part of the Windows build.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "block_walk.h"
#include "rar_format.h"
#include "stored_crc.h"

namespace {

constexpr std::uint64_t kKeepLimit = 1024 * 1024;   // what the DLL extracts at most
constexpr std::uint64_t kBudget = 8 * 1024 * 1024;  // bytes decoded per input, for speed
constexpr int kMaxEntries = 512;

[[noreturn]] void Fail(const char* what, int member) {
  std::fprintf(stderr, "fuzz_rar_reader: member %d: %s\n", member, what);
  std::abort();
}

void DecodeArchive(const std::uint8_t* data, std::size_t size) {
  rar::MemorySource source(data, size);
  rar::CachedSource cached(source);
  rar::DecodesHere(cached);
  rar::Walker walker(cached);
  if (walker.Start() != rar::Status::kOk) return;
  rar::Unpacker unpacker(source);
  std::uint64_t budget = kBudget;
  rar::Entry e;
  for (int i = 0; i < kMaxEntries && walker.Next(e) == rar::Status::kOk; ++i) {
    if (e.name.find('\0') != std::string::npos) Fail("a NUL in the name", i);
    std::vector<std::uint8_t> kept;
    const bool keep = e.unpacked_size <= kKeepLimit;
    bool over = false;
    const rar::Status s = unpacker.Unpack(e, [&](const std::uint8_t* bytes, std::size_t n) {
      if (n > budget) return false;
      budget -= n;
      if (keep) {
        if (kept.size() + n > e.unpacked_size) over = true;
        kept.insert(kept.end(), bytes, bytes + n);
      }
      return !over;
    });
    if (over) Fail("more output than the unpacked size", i);
    if (s != rar::Status::kOk || !keep || e.folder()) continue;
    if (kept.size() != e.unpacked_size) Fail("success with missing bytes", i);
    if (rar::Crc32(0, kept.data(), kept.size()) != e.crc) Fail("success under a wrong CRC", i);
  }
}

// The block walk over the whole input, and the stored CRC check from its start and, as for a header
// libarchive found further on, from each offset the walk of the input's blocks reaches.
void CheckBlocks(const std::uint8_t* data, std::size_t size) {
  rar::MemorySource source(data, size);
  unrar::EntriesBeforeHazard(
      [&source](std::uint64_t offset, std::uint8_t* out, std::size_t n) { return source.ReadAt(offset, out, n); },
      size);
  const std::vector<std::uint8_t> whole(data, data + size);
  const std::uint32_t crc = size >= 4 ? rar::Crc32(0, data + size - 4, 4) : 0;
  for (bool rar5 : {false, true}) {
    unrar::CheckStoredCrc(whole, true, rar5, crc);
    unrar::CheckStoredCrc(whole, false, rar5, crc);
  }
  // RAR 4 block heads from the signature on: 2 bytes CRC, type, 2 bytes flags, 2 bytes size, and with
  // flag 0x8000 the size of the data that follows the head (a file's packed bytes).
  std::uint64_t at = 7;
  for (int block = 0; block < 16 && at + 7 <= size; ++block) {
    const std::vector<std::uint8_t> rest(data + at, data + size);
    unrar::CheckStoredCrc(rest, false, false, crc);
    const std::uint64_t head = data[at + 5] | (data[at + 6] << 8);
    if (head < 7) break;
    std::uint64_t added = 0;
    if ((data[at + 4] & 0x80) && at + 11 <= size) {
      for (int k = 0; k < 4; ++k) added |= static_cast<std::uint64_t>(data[at + 7 + k]) << (8 * k);
    }
    at += head + added;
  }
}

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// Mutations rarely keep a header's CRC right, which would hide everything behind it. Rewrites
// the CRC of each block from the start; false when every one was right already.
bool FixHeaderCrcs(std::vector<std::uint8_t>& bytes) {
  bool changed = false;
  std::size_t at = 7;
  while (at + 7 <= bytes.size()) {
    const std::size_t head = Le16(&bytes[at + 5]);
    if (head < 7 || at + head > bytes.size()) break;
    const std::uint16_t crc = static_cast<std::uint16_t>(rar::Crc32(0, &bytes[at + 2], head - 2));
    if (Le16(&bytes[at]) != crc) {
      bytes[at] = static_cast<std::uint8_t>(crc);
      bytes[at + 1] = static_cast<std::uint8_t>(crc >> 8);
      changed = true;
    }
    std::uint64_t extra = 0;
    if ((bytes[at + 2] == 0x74 || (bytes[at + 4] & 0x80)) && head >= 11) {
      const std::uint8_t* p = &bytes[at + 7];
      extra = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint64_t{p[3]} << 24);
    }
    const std::uint64_t next = at + head + extra;
    if (next >= bytes.size()) break;
    at = static_cast<std::size_t>(next);
  }
  return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CheckBlocks(data, size);
  DecodeArchive(data, size);
  std::vector<std::uint8_t> fixed(data, data + size);
  if (FixHeaderCrcs(fixed)) {
    CheckBlocks(fixed.data(), fixed.size());
    DecodeArchive(fixed.data(), fixed.size());
  }
  return 0;
}
