#pragma once
// ACE 1.0 LZ77 and the ACE 2.0 blocked format: Huffman-coded literals, lengths and distances
// over a sliding window, plus the 2.0 mode switches.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "ace_bits.h"
#include "ace_decoder.h"

namespace ace {

// Lookup-table Huffman decoder; codes are given by their widths only.
class Huffman {
 public:
  // False when the widths do not form a usable prefix code.
  bool Build(int max_width, const std::uint8_t* widths, int count);
  // Symbol, or -1 when the bits hit an unassigned code.
  int Decode(BitReader& bits) const {
    const std::uint16_t sym = table_[bits.Peek(max_width_)];
    if (sym == kNone) return -1;
    bits.Skip(widths_[sym]);
    return sym;
  }

 private:
  static constexpr std::uint16_t kNone = 0xFFFF;
  int max_width_ = 1;
  std::vector<std::uint16_t> table_ = std::vector<std::uint16_t>(2, kNone);
  std::vector<std::uint8_t> widths_;
};

class LzDecoder {
 public:
  static constexpr int kMaxDictBits = 22;

  LzDecoder();
  // Forget the window and the distance history (start of a non-solid member).
  void Reset();
  // Decodes size bytes of one member into out.
  Status Decode(BitReader& bits, bool blocked, int dict_bits, std::uint64_t size, const Sink& out);

 private:
  enum Mode { kModePlain = 0, kModeDelta = 1, kModeExe = 2 };

  bool ReadTrees(BitReader& bits);
  Status StartMode(BitReader& bits);
  // Hands on decoded bytes through the current mode's filter; all = up to the last byte.
  Status Flush(const Sink& out, bool all);
  Status FlushPlain(std::uint64_t limit, const Sink& out);
  Status FlushExe(bool all, const Sink& out);
  Status FlushDelta(std::uint64_t limit, const Sink& out);
  Status Emit(const std::uint8_t* data, std::size_t size, const Sink& out);
  std::uint8_t At(std::uint64_t pos) const;

  std::unique_ptr<std::uint8_t[]> window_;  // never read before written: distances are checked
  std::uint64_t total_ = 0;                 // bytes put into the window since Reset
  std::uint64_t flushed_ = 0;               // of those, bytes handed on
  std::array<std::uint32_t, 4> old_dist_{};
  Huffman main_;
  Huffman lengths_;
  std::uint32_t block_left_ = 0;
  bool main_tree_has_modes_ = false;

  // ACE 2.0 modes; their filters work on the bytes leaving the window.
  int mode_ = kModePlain;
  bool exe_jumps_too_ = false;
  std::uint32_t delta_dist_ = 1;
  std::uint32_t delta_len_ = 1;
  std::vector<std::uint8_t> filter_buf_;
  std::vector<std::uint8_t> exe_buf_;  // window bytes from flushed_ on, being converted
  std::uint64_t exe_scan_ = 0;         // next byte to look at for an opcode
  std::uint64_t member_start_ = 0;     // window position of the member's first byte
};

}  // namespace ace
