#include "scroller.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

namespace scroller {

namespace {

std::int32_t Checked(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max() || value < std::numeric_limits<std::int32_t>::min()) {
    throw std::overflow_error("Integer overflow");
  }
  return static_cast<std::int32_t>(value);
}

std::int32_t StripWidth(std::size_t characters, std::int64_t pixelsPerCharacter) {
  if (characters > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw std::overflow_error("Integer overflow");
  }
  return Checked(static_cast<std::int64_t>(characters) * pixelsPerCharacter + kLeadIn);
}

}  // namespace

std::string JoinBigText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + ' ';
  return text;
}

std::string JoinSmallText(const std::vector<std::string>& lines) {
  std::string text;
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) text += *line + " --- ";
  return text;
}

std::int32_t BigStripWidth(std::size_t characters) { return StripWidth(characters, 14); }
std::int32_t SmallStripWidth(std::size_t characters) { return StripWidth(characters, 10); }
std::int32_t ScrollWidth(std::int32_t measuredWidth) { return Checked(std::int64_t{measuredWidth} + kLeadIn); }

std::int32_t NextSmallX(std::int32_t smallX, std::int32_t smallWidth) {
  const std::int64_t next = std::int64_t{smallX} - 1;
  return next < 0 ? smallWidth : static_cast<std::int32_t>(next);
}

std::int32_t NextBigX(std::int32_t bigX, std::int32_t bigWidth) {
  const std::int64_t next = std::int64_t{bigX} + 2;
  return next > bigWidth ? 0 : static_cast<std::int32_t>(next);
}

void StepBounce(Bounce& b) {
  double t = b.Speed + 1.0;
  if (t > 0) {
    if (b.Y + t > kFloor) {
      b.Y = kFloor;
      t = -b.Speed;  // thrown back with the speed it had before this frame
    } else {
      b.Y += t;
    }
  } else if (b.Y + t >= 0.0) {
    b.Y += t;
  } else {
    b.Y = 0.0;
    t = -1.0;
  }
  b.Speed = t;
  if (b.Speed == 0.0) ++b.ApexCount;
  if (b.ApexCount > kApexLimit) {
    b.ApexCount = 0;
    b.Speed = 16.0;
  }
}

int BounceTop(double y) { return static_cast<int>(std::clamp(y, 0.0, kFloor)); }

StripCopy ClipStripCopy(const Box& source, int stripWidth, int stripHeight, int targetLeft, int targetTop,
                        int targetWidth, int targetHeight) {
  // The target rectangle expressed in strip coordinates.
  const std::int64_t dx = std::int64_t{targetLeft} - source.left;
  const std::int64_t dy = std::int64_t{targetTop} - source.top;
  Box clipped{std::max<std::int64_t>({source.left, 0, -dx}), std::max<std::int64_t>({source.top, 0, -dy}),
              std::min<std::int64_t>({source.right, stripWidth, targetWidth - dx}),
              std::min<std::int64_t>({source.bottom, stripHeight, targetHeight - dy})};
  if (clipped.Empty()) return {};
  return {clipped, clipped.left + dx, clipped.top + dy};
}

Box SmallSource(std::int32_t smallX) { return {std::int64_t{smallX} - kPictureWidth, 0, smallX, kSmallStripHeight}; }

Box BigSource(std::int32_t bigX) { return {bigX, 0, std::int64_t{bigX} + kPictureWidth, kBigStripHeight}; }

}  // namespace scroller
