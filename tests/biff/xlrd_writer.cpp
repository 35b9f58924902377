// Writes a sheet from a cell list for xlrd_check.py.
// Usage: biff_xlrd_writer CELLS OUTPUT. Each line of CELLS is "S row column hex-bytes" (a text cell) or
// "N row column hex-of-the-little-endian-double" (a number cell); rows and columns are 1-based.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "biffsheet.h"

namespace {

bool DecodeHex(const std::string& hex, std::string& bytes) {
  if (hex.size() % 2 != 0) return false;
  bytes.clear();
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    unsigned value = 0;
    if (std::sscanf(hex.substr(i, 2).c_str(), "%2x", &value) != 1) return false;
    bytes.push_back(static_cast<char>(value));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: biff_xlrd_writer CELLS OUTPUT\n";
    return 2;
  }
  std::ifstream cells(argv[1]);
  if (!cells) {
    std::cerr << "cannot read " << argv[1] << "\n";
    return 2;
  }
  TBiffSheet sheet;
  sheet.SetHidden(true);  // as on the main window
  sheet.BeginSheet();
  sheet.SetFileName(argv[2]);
  std::string line;
  while (std::getline(cells, line)) {
    std::istringstream fields(line);
    std::string kind, hex, bytes;
    std::int32_t row = 0, column = 0;
    const bool parsed = static_cast<bool>(fields >> kind >> row >> column);
    fields >> hex;  // absent for an empty text
    if (!parsed || !DecodeHex(hex, bytes)) {
      std::cerr << "bad line: " << line << "\n";
      return 2;
    }
    if (kind == "S") {
      sheet.WriteStringAt(row, column, bytes);
    } else if (kind == "N" && bytes.size() == 8) {
      std::uint64_t bits = 0;
      for (int i = 7; i >= 0; --i) bits = bits << 8 | static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(i)]);
      sheet.WriteNumberAt(row, column, std::bit_cast<double>(bits));
    } else {
      std::cerr << "bad line: " << line << "\n";
      return 2;
    }
  }
  sheet.EndSheet();
  try {
    sheet.SaveToFile();
  } catch (const EBiffSheetError& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  return 0;
}
