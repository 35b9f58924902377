#include "ace_writer.h"

#include "ace_decoder.h"

namespace ace_testing {

namespace {
void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
// Header CRC, size, then the header body from its type byte on.
void PutHeader(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& body) {
  Put16(out, ace::Crc32(ace::kCrcStart, body.data(), body.size()) & 0xFFFF);
  Put16(out, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}
constexpr std::size_t kMainHeaderSize = 4 + 26;
std::size_t MemberHeaderSize(const StoredMember& m) { return 4 + 31 + m.name.size(); }
}  // namespace

std::vector<std::uint8_t> MakeStoredArchive(const std::vector<StoredMember>& members, bool solid) {
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> main = {0};
  Put16(main, solid ? 0x8000 : 0);
  for (char c : std::string("**ACE**")) main.push_back(static_cast<std::uint8_t>(c));
  main.insert(main.end(), {20, 20, 2, 0});
  Put32(main, 0x5B8B75D8);
  main.insert(main.end(), 8, 0);
  PutHeader(out, main);
  for (const StoredMember& m : members) {
    std::vector<std::uint8_t> h = {1};
    Put16(h, 0x0001 | (solid ? 0x8000 : 0) | m.extra_flags);
    Put32(h, static_cast<std::uint32_t>(m.data.size()));
    Put32(h, static_cast<std::uint32_t>(m.data.size()));
    Put32(h, 0x5B8B75D8);
    Put32(h, m.attributes);
    const std::uint32_t crc = ace::Crc32(ace::kCrcStart, m.data.data(), m.data.size());
    Put32(h, m.wrong_crc ? crc ^ 1 : crc);
    h.insert(h.end(), {0, 0, 0, 0, 0, 0});  // stored, quality, parameters, reserved
    Put16(h, static_cast<std::uint32_t>(m.name.size()));
    h.insert(h.end(), m.name.begin(), m.name.end());
    PutHeader(out, h);
    out.insert(out.end(), m.data.begin(), m.data.end());
  }
  return out;
}

std::size_t DataOffset(const std::vector<StoredMember>& members, std::size_t index) {
  std::size_t offset = kMainHeaderSize;
  for (std::size_t i = 0; i < index; ++i) offset += MemberHeaderSize(members[i]) + members[i].data.size();
  return offset + MemberHeaderSize(members[index]);
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

}  // namespace ace_testing
