#pragma once
// ACE 2.0 picture coding: rows of interleaved planes; each byte is predicted from its neighbours
// above and to the left, the predictor chosen per context of local gradients, and the residual
// Golomb-Rice coded with a parameter that tracks the context's average residual.
#include <array>
#include <cstdint>
#include <vector>

#include "ace_bits.h"

namespace ace {

class PictureDecoder {
 public:
  // Bounds on what the stream may declare; real pictures stay far below them.
  static constexpr std::uint32_t kMaxWidth = 1u << 20;
  static constexpr std::uint32_t kMaxPlanes = 64;

  // Reads the row width and plane count and starts with fresh statistics and a zero row above.
  bool Start(BitReader& bits);
  // Decodes the next row; false when the stream is invalid.
  bool DecodeRow(BitReader& bits);
  // The last row decoded.
  const std::uint8_t* row() const { return above_.data(); }
  std::uint32_t width() const { return width_; }

 private:
  static constexpr int kContexts = 365;

  struct Context {
    int used = 0;
    int average = 4;  // sum of residual sizes over the uses, both halved now and then
    int predictor = 0;
    std::array<int, 4> errors{};
  };
  // The neighbours of the byte being decoded: c a d above, b x on its own row.
  struct Pixels {
    int a = 0, b = 0, c = 0, d = 0, x = 0;
    int Predict(int predictor) const;
  };

  bool DecodePixel(BitReader& bits, Context& context, Pixels& p);

  std::uint32_t width_ = 0;
  std::uint32_t planes_ = 0;
  std::vector<std::uint8_t> above_;  // the row above, width + planes bytes; those past width stay zero
  std::vector<std::uint8_t> row_;    // the row being decoded
  std::vector<Context> first_plane_;
  std::vector<Context> other_planes_;
};

}  // namespace ace
