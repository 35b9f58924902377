// Writes small RAR 2.0 archives into a folder as starting points for the reader's fuzzer: the
// multimedia mode and a solid chain that switches to it, which random mutations hardly reach.
// Their CRCs are what our own decoder makes of them. Built natively by scripts/fuzz.sh.
#include <cstdio>
#include <string>
#include <vector>

#include "rar_format.h"
#include "../support/seed_files.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class BitWriter {
 public:
  void Put(std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ % 8 == 0) out_.push_back(0);
      if ((value >> i) & 1) out_.back() = static_cast<std::uint8_t>(out_.back() | (0x80 >> (used_ % 8)));
      ++used_;
    }
  }
  // Tables with every code of one length: 5 bits for the length codes, then 9 bits for each of
  // count symbols (so each symbol's code is its value).
  void Tables(bool audio, int channels, int count) {
    Put(audio ? 1 : 0, 1);
    Put(0, 1);
    if (audio) Put(static_cast<std::uint32_t>(channels - 1), 2);
    for (int i = 0; i < 19; ++i) Put(5, 4);
    for (int i = 0; i < count; ++i) Put(9, 5);
  }
  Bytes bytes() const { return out_; }

 private:
  Bytes out_;
  std::size_t used_ = 0;
};

void Put16(Bytes& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}
void PutBlock(Bytes& out, const Bytes& body) {
  Put16(out, rar::Crc32(0, body.data(), body.size()) & 0xFFFF);
  out.insert(out.end(), body.begin(), body.end());
}

struct Member {
  std::string name;
  Bytes packed;
  std::uint32_t size;
  bool solid;
};

Bytes Archive(const std::vector<Member>& members, const std::vector<std::uint32_t>& crcs) {
  Bytes out = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};
  PutBlock(out, {0x73, 0, 0, 13, 0, 0, 0, 0, 0, 0, 0});
  for (std::size_t i = 0; i < members.size(); ++i) {
    const Member& m = members[i];
    Bytes file = {0x74};
    Put16(file, 0x8000 | (m.solid ? 0x10 : 0));
    Put16(file, static_cast<std::uint32_t>(32 + m.name.size()));
    Put32(file, static_cast<std::uint32_t>(m.packed.size()));
    Put32(file, m.size);
    file.push_back(2);
    Put32(file, i < crcs.size() ? crcs[i] : 0);
    Put32(file, 0x2D2A6000);
    file.push_back(20);
    file.push_back(0x35);
    Put16(file, static_cast<std::uint32_t>(m.name.size()));
    Put32(file, 0x20);
    file.insert(file.end(), m.name.begin(), m.name.end());
    PutBlock(out, file);
    out.insert(out.end(), m.packed.begin(), m.packed.end());
  }
  PutBlock(out, {0x7B, 0x00, 0x40, 7, 0});
  return out;
}

// The archive with each member's CRC set to what our decoder makes of it. A member whose CRC is
// still wrong breaks the solid chain for the next, so each pass gets one more member right.
Bytes WithCrcs(const std::vector<Member>& members) {
  std::vector<std::uint32_t> crcs;
  for (std::size_t pass = 0; pass <= members.size(); ++pass) {
    const Bytes draft = Archive(members, crcs);
    rar::MemorySource source(draft.data(), draft.size());
    rar::Walker walker(source);
    rar::Unpacker unpacker(source);
    rar::Entry e;
    crcs.clear();
    if (walker.Start() != rar::Status::kOk) return draft;
    while (walker.Next(e) == rar::Status::kOk) {
      std::uint32_t crc = 0;
      unpacker.Unpack(e, [&](const std::uint8_t* data, std::size_t size) {
        crc = rar::Crc32(crc, data, size);
        return true;
      });
      crcs.push_back(crc);
    }
  }
  return Archive(members, crcs);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  if (!seeds::FolderArgument(argc, argv, folder)) return 2;

  // Two channels of a slow wave, as sample deltas.
  BitWriter audio;
  audio.Tables(true, 2, 2 * 257);
  const std::uint32_t samples = 600;
  for (std::uint32_t i = 0; i < samples; ++i) audio.Put((i / 2) % 16 < 8 ? 3 : 253, 9);

  // Text, then a solid member that switches from LZ to the multimedia mode.
  BitWriter text;
  text.Tables(false, 1, 298 + 48 + 28);
  const std::string line = "FILE_ID.DIZ of a solid archive\r\n";
  for (char c : line) text.Put(static_cast<std::uint8_t>(c), 9);
  BitWriter then_audio;
  then_audio.Put(269, 9);
  then_audio.Tables(true, 1, 257);
  for (std::uint32_t i = 0; i < 100; ++i) then_audio.Put(i % 5, 9);

  std::vector<Member> sound(1), chain(2);
  sound[0] = {"sound.wav", audio.bytes(), samples, false};
  chain[0] = {"file_id.diz", text.bytes(), static_cast<std::uint32_t>(line.size()), false};
  chain[1] = {"sound.wav", then_audio.bytes(), 100, true};
  const bool ok = seeds::WriteFile(folder + "/audio.rar", WithCrcs(sound)) &&
                  seeds::WriteFile(folder + "/solid-audio.rar", WithCrcs(chain));
  if (!ok) std::fprintf(stderr, "%s: cannot write into %s\n", argv[0], folder.c_str());
  return ok ? 0 : 1;
}
