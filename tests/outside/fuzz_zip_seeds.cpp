// Writes bare Shrink, Reduce and Implode streams into a folder, behind the header fuzz_zip_legacy
// reads for them (method - 1, flags, size in 3 bytes): what the real archives do not reach, such as
// partial clears, a full code table, Reduce factor 3, Implode with 8 KB and 2 trees. Built natively
// by scripts/fuzz.sh.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "../support/seed_files.h"

namespace {

class Seed {
 public:
  Seed(int method, int flags, std::uint32_t size)
      : bytes_{static_cast<std::uint8_t>(method - 1), static_cast<std::uint8_t>(flags), static_cast<std::uint8_t>(size),
               static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size >> 16)} {}
  // Bits from the lowest up.
  void Put(std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i, ++used_) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      bytes_.back() |= static_cast<std::uint8_t>(((value >> i) & 1) << (used_ % 8));
    }
  }
  // A code from its top bit down, as Implode stores them.
  void PutCode(std::uint32_t code, int width) {
    for (int i = width - 1; i >= 0; --i) Put((code >> i) & 1, 1);
  }
  bool Write(const std::string& path) const { return seeds::WriteFile(path, bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t used_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  if (!seeds::FolderArgument(argc, argv, folder)) return 2;
  bool ok = true;

  // Partial clears that keep prefixes and leave a code whose prefix the next one defines.
  Seed clears(1, 0, 21);
  for (int code : std::vector<int>{'a', 'b', 257, 258, 'c', 259, 261, 256, 2, 'd', 260, 261, 259}) clears.Put(code, 9);
  ok = clears.Write(folder + "/shrink-clears") && ok;

  // Every code up to 8191 in use, then cleared.
  Seed full(1, 0, 7941);
  full.Put('a', 9);
  for (int width = 9; width < 13; ++width) {
    full.Put(256, width);
    full.Put(1, width);
  }
  for (int i = 1; i < 7935; ++i) full.Put('a' + i * 7 % 26, 13);
  for (int code : std::vector<int>{8190, 256, 2, 'Q', 'R', 258}) full.Put(code, 13);
  ok = full.Write(folder + "/shrink-full") && ok;

  // Plain bytes, then copies near, far and before the start, for each factor.
  for (int factor = 1; factor <= 4; ++factor) {
    Seed reduce(1 + factor, 0, 313 + (0xFFu >> factor));
    for (int set = 0; set < 256; ++set) reduce.Put(0, 6);  // no follower sets: every byte in 8 bits
    for (int i = 0; i < 300; ++i) reduce.Put(1 + i % 100, 8);
    for (std::uint32_t b : {144u, (1u << (8 - factor)) | (0xFFu >> factor), 5u, 9u, 144u, 0u, 144u, 1u, 2u}) {
      reduce.Put(b, 8);
    }
    ok = reduce.Write(folder + "/reduce-" + std::to_string(factor)) && ok;
  }

  // Every length and distance code 6 bits long, literals 8 bits; all four kinds of Implode.
  for (int flags : {0, 2, 4, 6}) {
    const bool literal_tree = flags & 4;
    Seed implode(6, flags, literal_tree ? 169 : 168);
    if (literal_tree) {
      implode.Put(15, 8);
      for (int g = 0; g < 16; ++g) implode.Put(0xF7, 8);
    }
    for (int tree = 0; tree < 2; ++tree) {
      implode.Put(3, 8);
      for (int g = 0; g < 4; ++g) implode.Put(0xF5, 8);
    }
    for (int c : {'A', 'B', 'C'}) {
      implode.Put(1, 1);
      if (literal_tree) {
        implode.PutCode(255 - c, 8);
      } else {
        implode.Put(c, 8);
      }
    }
    implode.Put(0, 1);  // a match 3 back; the length 63 plus a byte
    implode.Put(2, flags & 2 ? 7 : 6);
    implode.PutCode(63 - 0, 6);
    implode.PutCode(63 - 63, 6);
    implode.Put(100, 8);
    ok = implode.Write(folder + "/implode-" + std::to_string(flags)) && ok;
  }
  if (!ok) std::fprintf(stderr, "%s: cannot write into %s\n", argv[0], folder.c_str());
  return ok ? 0 : 1;
}
