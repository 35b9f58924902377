// Writes starting points for the text fuzzer into a folder: descriptions as old archives carry them
// (Ctrl-Z and a SAUCE record, quotes, box drawing, several version lines), under each way of taking
// lines. Built natively by scripts/fuzz.sh.
#include <cstdint>
#include <string>
#include <vector>

#include "../support/seed_files.h"

namespace {

// Options byte: lines to take (0 all, 1 first, 2 guess) + 4 strip blanks + 8 plain characters
// + 16 word mode + 32 ask. Then the word length and pick byte, the block size, and the fields.
std::vector<std::uint8_t> Input(std::uint8_t options, std::uint8_t guess, std::uint8_t block, const std::string& name,
                                const std::string& custom, const std::vector<std::string>& descriptions) {
  std::string bytes{static_cast<char>(options), static_cast<char>(guess), static_cast<char>(block)};
  bytes += name + '\xFF' + custom;
  for (const std::string& description : descriptions) bytes += '\xFF' + description;
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  if (!seeds::FolderArgument(argc, argv, folder)) return 2;
  const std::string sauce = std::string(
                                "\x1A"
                                "SAUCE00Art 1.0 by someone\r\n") +
                            std::string(40, '\0');
  const std::vector<std::vector<std::uint8_t>> inputs = {
      Input(0, 3, 80, "TOOL", "CD1", {"  Tool 1.0\r\n  Does things\r\n" + sauce, "\"Best\" 2.0\r\n"}),
      Input(1, 3, 7, "MY;TOOL", "CD \"7\";shelf", {"\"Tool 1.0 - the best\r\nmore\r\n", "x;y;z\r\n"}),
      Input(2 + 32, 3 + 7, 80, "A", "", {"intro\r\nTool 1.00\r\nTOOL 1.00\r\nTool 2.00 beta\r\n", "Art 1.0" + sauce}),
      Input(2 + 16 + 32, 1, 13, "B B", "CD", {"\xC9\xCD\xBB Fantastic things\r\n\xC8\xCD\xBC\r\n", "tiny\r\n"}),
      Input(0 + 4 + 8, 0, 1, "C", "x", {"**  Tool\t1.0\r\n\r\n\r\nlast", "a\na\na\n"}),
  };
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (!seeds::WriteFile(folder + "/seed" + std::to_string(i), inputs[i])) return 1;
  }
  return 0;
}
