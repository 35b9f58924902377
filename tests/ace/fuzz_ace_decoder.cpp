// libFuzzer entry for the ACE decoder: arbitrary bytes go through the directory walk and the
// decoding of every member, in the order and with the limits UnAceV2.Dll uses. Built natively by
// scripts/fuzz-ace.sh; not part of the Windows build.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ace_decoder.h"

namespace {

// The DLL extracts nothing bigger; in a solid archive it still decodes such a member for the window,
// as long as all it decodes without writing stays under the second limit.
constexpr std::uint64_t kExtractLimit = 1024 * 1024;
constexpr std::uint64_t kSkipLimit = 32 * 1024 * 1024;

[[noreturn]] void Fail(const char* what, std::size_t member) {
  std::fprintf(stderr, "fuzz_ace_decoder: member %zu: %s\n", member, what);
  std::abort();
}

struct Result {
  ace::Status status = ace::Status::kOk;
  std::vector<std::uint8_t> bytes;
};

// Decodes one member, checking what a caller relies on: never more bytes than the header
// promises, and success only with all of them under the right CRC.
Result Extract(ace::Unpacker& unpacker, const ace::Member& m, std::size_t index) {
  Result r;
  if (m.original_size > kExtractLimit) {
    r.status = unpacker.Unpack(m, nullptr);
    return r;
  }
  // The buffer refuses only bytes past the size the header gave.
  r.status = ace::UnpackToBuffer(unpacker, m, m.original_size, r.bytes);
  if (r.status == ace::Status::kSinkFailed) Fail("more output than the original size", index);
  if (r.status != ace::Status::kOk) return r;
  if (m.is_folder()) {
    if (!r.bytes.empty()) Fail("a folder with contents", index);
    return r;
  }
  if (r.bytes.size() != m.original_size) Fail("success with missing bytes", index);
  if (ace::Crc32(ace::kCrcStart, r.bytes.data(), r.bytes.size()) != m.crc32) Fail("success under a wrong CRC", index);
  return r;
}

void DecodeArchive(const std::uint8_t* data, std::size_t size) {
  ace::MemorySource source(data, size);
  const ace::Directory dir = ace::ReadDirectory(source);
  for (std::size_t i = 0; i < dir.members.size(); ++i) {
    // The DLL writes extracted files under this name into the destination folder.
    if (dir.members[i].file_part().find_first_of("\\/:") != std::string::npos) Fail("a path in the file part", i);
  }

  ace::Unpacker unpacker(source, kSkipLimit);
  for (std::size_t i = 0; i < dir.members.size(); ++i) {
    const ace::Member& m = dir.members[i];
    const Result in_order = Extract(unpacker, m, i);
    if (i == 0 || m.solid() || m.original_size > kExtractLimit) continue;
    // A member that is not solid owes nothing to the ones before it.
    ace::Unpacker fresh(source, kSkipLimit);
    const Result alone = Extract(fresh, m, i);
    if (alone.status != in_order.status || alone.bytes != in_order.bytes) {
      Fail("depends on the members before it", i);
    }
  }
}

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// Mutations rarely keep a header's CRC-16 right, which would hide everything behind it. Walks the
// header chain from the start and rewrites each CRC; false when every one was right already.
bool FixHeaderCrcs(std::vector<std::uint8_t>& bytes) {
  bool changed = false;
  std::size_t at = 0;
  while (at + 4 <= bytes.size()) {
    const std::size_t body = Le16(&bytes[at + 2]);
    if (body < 3 || at + 4 + body > bytes.size()) break;
    const std::uint16_t crc = static_cast<std::uint16_t>(ace::Crc32(ace::kCrcStart, &bytes[at + 4], body));
    if (Le16(&bytes[at]) != crc) {
      bytes[at] = static_cast<std::uint8_t>(crc);
      bytes[at + 1] = static_cast<std::uint8_t>(crc >> 8);
      changed = true;
    }
    std::uint64_t extra = 0;
    const std::uint8_t type = bytes[at + 4];
    if (type != 0 && (bytes[at + 5] & 0x01) && body >= 7) {
      const std::uint8_t* p = &bytes[at + 7];
      extra = p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint64_t{p[3]} << 24);
    }
    const std::uint64_t next = at + 4 + body + extra;
    if (next >= bytes.size()) break;
    at = static_cast<std::size_t>(next);
  }
  return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  DecodeArchive(data, size);
  std::vector<std::uint8_t> fixed(data, data + size);
  if (FixHeaderCrcs(fixed)) DecodeArchive(fixed.data(), fixed.size());
  return 0;
}
