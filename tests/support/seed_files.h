#pragma once
// For the fuzzers' seed programs, which write their archives into the folder named on their command
// line. Header only: the seed programs build natively, apart from the test support library.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace seeds {

// The folder argument; false, after a usage line, when there is none.
inline bool FolderArgument(int argc, char** argv, std::string& folder) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return false;
  }
  folder = argv[1];
  return true;
}

inline bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace seeds
