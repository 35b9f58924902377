#pragma once
// ACE 1.0 LZ77 and the ACE 2.0 blocked format: Huffman-coded literals, lengths and distances
// over a sliding window, plus the 2.0 mode switches to filtered LZ, sound and picture coding.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "ace_bits.h"
#include "ace_decoder.h"
#include "ace_huffman.h"
#include "ace_picture.h"
#include "ace_sound.h"

namespace ace {

class LzDecoder {
 public:
  static constexpr int kMaxDictBits = 22;

  LzDecoder();
  // Forget the window (start of a non-solid member).
  void Reset();
  // Puts a stored member's bytes into the window: later solid members may copy from them.
  void Append(const std::uint8_t* data, std::size_t size);
  // Decodes size bytes of one member into out. Each member starts with an empty distance history;
  // only the window carries over to the next solid member.
  Status Decode(BitReader& bits, bool blocked, int dict_bits, std::uint64_t size, const Sink& out);

 private:
  enum Mode { kModePlain = 0, kModeDelta = 1, kModeExe = 2, kModeSound = 3, kModeSoundLast = 6, kModePicture = 7 };

  // Each decodes up to the member's end or through the next mode switch.
  Status DecodeLz(BitReader& bits, std::uint64_t end, std::uint64_t dict_size, const Sink& out);
  Status DecodeSound(BitReader& bits, std::uint64_t end, const Sink& out);
  Status DecodePicture(BitReader& bits, std::uint64_t end, const Sink& out);
  bool ReadTrees(BitReader& bits);
  // Finishes the current mode's output and reads the next mode with its parameters.
  Status SwitchMode(BitReader& bits, const Sink& out);
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

  // ACE 2.0 modes; the filters work on the bytes leaving the window, while sound and picture
  // coding put their bytes into it like LZ does.
  int mode_ = kModePlain;
  bool exe_jumps_too_ = false;
  std::uint32_t delta_dist_ = 1;
  std::uint32_t delta_len_ = 1;
  std::vector<std::uint8_t> filter_buf_;
  std::vector<std::uint8_t> exe_buf_;  // window bytes from flushed_ on, being converted
  std::uint64_t exe_scan_ = 0;         // next byte to look at for an opcode
  std::uint64_t member_start_ = 0;     // window position of the member's first byte
  std::unique_ptr<SoundDecoder> sound_;
  std::unique_ptr<PictureDecoder> picture_;
};

}  // namespace ace
