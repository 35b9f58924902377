// Writes a few small ACE archives into a folder, as starting points for the decoder fuzzer: stored
// members, and blocked ones that switch to the sound and picture modes no fixture uses.
// Built natively by scripts/fuzz-ace.sh; not part of the Windows build.
#include <cstdio>
#include <string>
#include <vector>

#include "ace_writer.h"
#include "blocked_writer.h"
#include "../support/seed_files.h"

namespace {

using ace_testing::BlockedMember;
using ace_testing::BlockedStream;

std::vector<int> SoundCodes(std::size_t count, std::uint32_t seed, bool runs) {
  std::vector<int> codes;
  for (std::size_t i = 0; i < count; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int spread = static_cast<int>((seed >> 16) % 64);
    codes.push_back(runs && spread < 6 ? spread * 5 : 32 + spread * (i % 7 == 0 ? 3 : 1));
  }
  return codes;
}

// Some text, then per mode a stretch in it (switching to it twice) and back to LZ, then a copy
// from every stretch.
BlockedMember Mixed(const std::string& name, const std::vector<int>& modes, std::uint32_t planes = 1) {
  BlockedStream s;
  s.Literals(ace_testing::Bytes("RIFF....WAVEfmt "));
  std::vector<std::uint64_t> starts;
  for (int mode : modes) {
    starts.push_back(s.size());
    if (mode == BlockedStream::kPicture) {
      s.Switch(mode, 48, planes);
      s.PictureRows(3, 7);
      s.Switch(mode);
      s.PictureRows(2, 9);
    } else {
      const bool runs = mode == BlockedStream::kSound8;
      s.Switch(mode);
      s.SoundCodes(SoundCodes(200, static_cast<std::uint32_t>(mode), runs));
      s.Switch(mode);
      s.SoundCodes(SoundCodes(100, 77, runs));
    }
    s.Switch(BlockedStream::kLz);
    s.Literals(ace_testing::Bytes("data"));
  }
  for (std::uint64_t start : starts) s.Match(static_cast<std::uint32_t>(s.size() - start), 40);
  return {name, s.Finish(), static_cast<std::uint32_t>(s.size())};
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  if (!seeds::FolderArgument(argc, argv, folder)) return 2;
  using ace_testing::Bytes;
  using ace_testing::MakeStoredArchive;
  using ace_testing::StoredMember;
  const std::vector<StoredMember> mixed = {
      {"FILE_ID.DIZ", Bytes("A small program\r\nversion 1.0\r\n")},
      {"DOCS", {}, 0, 0x10},
      {"DOCS\\readme.txt", Bytes("read me")},
      {"bad.txt", Bytes("crc is off"), 0, 0x20, true},
      {"secret.txt", Bytes("locked"), 0x4000},
      {"split.txt", Bytes("half"), 0x2000},
  };
  // A self-extractor puts its program in front of the archive.
  std::vector<std::uint8_t> with_stub = Bytes("MZ" + std::string(200, '\0'));
  const auto one = MakeStoredArchive({{"file_id.diz", Bytes("one line")}});
  with_stub.insert(with_stub.end(), one.begin(), one.end());
  using B = BlockedStream;
  const auto sound =
      ace_testing::MakeBlockedArchive({Mixed("s8.wav", {B::kSound8}), Mixed("s16.wav", {B::kSound16}),
                                       Mixed("s32a.wav", {B::kSound32A}), Mixed("s32b.wav", {B::kSound32B})},
                                      false);
  const auto pictures =
      ace_testing::MakeBlockedArchive({Mixed("grey.bmp", {B::kPicture}), Mixed("rgb.bmp", {B::kPicture}, 3)}, false);
  // Modes one after another, and a solid member that copies from the one before.
  BlockedStream copy;
  copy.Match(1000, 200);
  const auto solid = ace_testing::MakeBlockedArchive(
      {Mixed("all.bin", {B::kSound16, B::kPicture, B::kSound8}), {"file_id.diz", copy.Finish(), 200}}, true);
  const bool ok = seeds::WriteFile(folder + "/stored-one.ace", one) &&
                  seeds::WriteFile(folder + "/stored-stub.ace", with_stub) &&
                  seeds::WriteFile(folder + "/stored-mixed.ace", MakeStoredArchive(mixed)) &&
                  seeds::WriteFile(folder + "/stored-solid.ace", MakeStoredArchive(mixed, true)) &&
                  seeds::WriteFile(folder + "/stored-empty.ace", MakeStoredArchive({})) &&
                  seeds::WriteFile(folder + "/blocked-sound.ace", sound) &&
                  seeds::WriteFile(folder + "/blocked-pictures.ace", pictures) &&
                  seeds::WriteFile(folder + "/blocked-solid.ace", solid);
  if (!ok) std::fprintf(stderr, "%s: cannot write into %s\n", argv[0], folder.c_str());
  return ok ? 0 : 1;
}
