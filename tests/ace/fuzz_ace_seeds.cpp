// Writes a few small stored ACE archives into a folder, as starting points for the decoder fuzzer.
// Built natively by scripts/fuzz-ace.sh; not part of the Windows build.
#include <cstdio>
#include <string>
#include <vector>

#include "ace_writer.h"

namespace {

bool Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  using ace_testing::Bytes;
  using ace_testing::MakeStoredArchive;
  using ace_testing::StoredMember;
  const std::string folder = argv[1];
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
  const bool ok = Write(folder + "/stored-one.ace", one) && Write(folder + "/stored-stub.ace", with_stub) &&
                  Write(folder + "/stored-mixed.ace", MakeStoredArchive(mixed)) &&
                  Write(folder + "/stored-solid.ace", MakeStoredArchive(mixed, true)) &&
                  Write(folder + "/stored-empty.ace", MakeStoredArchive({}));
  if (!ok) std::fprintf(stderr, "%s: cannot write into %s\n", argv[0], folder.c_str());
  return ok ? 0 : 1;
}
