#include "ace_picture.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace ace {

namespace {
// Residual codes of a real picture stay within a byte's range; this bounds what a damaged
// stream can ask for and keeps the running averages far from overflow.
constexpr std::uint32_t kMaxResidualCode = 1u << 16;

// Golomb-Rice code: r low bits, then the high part in unary (ones ended by a zero).
// False once the value would pass limit.
bool ReadRice(BitReader& bits, int r, std::uint32_t limit, std::uint32_t& value) {
  const std::uint32_t low = r > 0 ? bits.Read(r) : 0;
  std::uint64_t high = 0;
  for (;;) {
    const int ones = std::countl_one(bits.Peek(32));
    high += static_cast<unsigned>(ones);
    if ((high << r) > limit) return false;
    if (ones < 32) {
      bits.Skip(ones + 1);
      break;
    }
    bits.Skip(32);
  }
  const std::uint64_t full = (high << r) | low;
  if (full > limit) return false;
  value = static_cast<std::uint32_t>(full);
  return true;
}

// Quantised gradient: -4 .. 4.
int Step(int difference) {
  const int m = std::abs(difference);
  const int q = m == 0 ? 0 : m < 3 ? 1 : m < 7 ? 2 : m < 21 ? 3 : 4;
  return difference < 0 ? -q : q;
}

// Cost of a prediction error: bits of the error read as a signed byte, sign folded in.
constexpr std::array<int, 256> MakeErrorSizes() {
  std::array<int, 256> sizes{};
  for (int v = 0; v < 128; ++v) sizes[v] = std::bit_width(static_cast<unsigned>(2 * v));
  for (int v = 128; v < 256; ++v) sizes[v] = std::bit_width(static_cast<unsigned>(2 * (256 - v) - 1));
  return sizes;
}
constexpr auto kErrorSizes = MakeErrorSizes();

// Planes after the first may code their bytes as differences to the plane before, in full or
// scaled by 11/16; the neighbours are then taken in the same form, centred on 128.
int ToCoded(int form, int value, int reference) {
  switch (form) {
    case 1:
      return (128 + value - reference) & 0xFF;
    case 2:
      return (128 + value - (reference * 11 >> 4)) & 0xFF;
    default:
      return value;
  }
}
int FromCoded(int form, int coded, int reference) {
  switch (form) {
    case 1:
      return (coded + reference - 128) & 0xFF;
    case 2:
      return (coded + (reference * 11 >> 4) - 128) & 0xFF;
    default:
      return coded;
  }
}
}  // namespace

int PictureDecoder::Pixels::Predict(int predictor) const {
  switch (predictor) {
    case 0:
      return a;
    case 1:
      return b;
    case 2:
      return (a + b) >> 1;
    default:
      return (a + b - c) & 0xFF;
  }
}

bool PictureDecoder::Start(BitReader& bits) {
  std::uint32_t width = 0;
  std::uint32_t planes = 0;
  if (!ReadRice(bits, 12, kMaxWidth, width) || !ReadRice(bits, 2, kMaxPlanes, planes)) return false;
  if (width == 0 || planes == 0 || planes > width) return false;
  width_ = width;
  planes_ = planes;
  above_.assign(width + planes, 0);
  row_.assign(width + planes, 0);
  first_plane_.assign(kContexts, Context{});
  other_planes_.assign(kContexts, Context{});
  return true;
}

bool PictureDecoder::DecodePixel(BitReader& bits, Context& context, Pixels& p) {
  ++context.used;
  const int r = std::bit_width(static_cast<unsigned>(context.average / context.used));
  std::uint32_t code = 0;
  if (!ReadRice(bits, r, kMaxResidualCode, code)) return false;
  const int residual = (code & 1) ? -static_cast<int>(code >> 1) - 1 : static_cast<int>(code >> 1);
  p.x = (p.Predict(context.predictor) + residual) & 0xFF;
  context.average += std::abs(residual);
  if (context.used == 128) {
    context.used >>= 1;
    context.average >>= 1;
  }
  // Next time, the predictor that would have done best in this context so far.
  int best = 0;
  bool halve = false;
  for (int i = 0; i < 4; ++i) {
    context.errors[i] += kErrorSizes[(p.x - p.Predict(i)) & 0xFF];
    if (context.errors[i] < context.errors[best]) best = i;
    if (context.errors[i] > 0x7F) halve = true;
  }
  context.predictor = best;
  if (halve) {
    for (int& e : context.errors) e >>= 1;
  }
  return true;
}

bool PictureDecoder::DecodeRow(BitReader& bits) {
  std::fill(row_.begin(), row_.end(), 0);
  for (std::uint32_t plane = 0; plane < planes_; ++plane) {
    const int form = plane == 0 ? 0 : static_cast<int>(bits.Read(2));
    if (form == 3) return false;
    std::vector<Context>& contexts = plane == 0 ? first_plane_ : other_planes_;
    Pixels p;
    if (form != 0) p.a = p.b = p.c = p.x = 128;
    // Only the first plane has no plane before it, and it codes its bytes as they are.
    p.d = ToCoded(form, above_[plane], plane > 0 ? above_[plane - 1] : 0);
    for (std::uint32_t col = plane; col < width_; col += planes_) {
      p.c = p.a;
      p.a = p.d;
      p.b = p.x;
      p.d = ToCoded(form, above_[col + planes_], above_[col + planes_ - 1]);
      const int context = std::abs(81 * Step(p.d - p.a) + 9 * Step(p.a - p.c) + Step(p.c - p.b));
      if (!DecodePixel(bits, contexts[context], p) || bits.overrun()) return false;
      row_[col] = static_cast<std::uint8_t>(FromCoded(form, p.x, col > 0 ? row_[col - 1] : 0));
    }
  }
  above_.swap(row_);
  return true;
}

}  // namespace ace
