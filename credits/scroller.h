#pragma once
// The arithmetic of the credits window's two scrollers and the bouncing line, without windows.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace scroller {

// The picture area that every frame fills.
constexpr int kPictureWidth = 307;
constexpr int kPictureHeight = 230;
// Blank pixels in front of the big text and added to both measured widths.
constexpr int kLeadIn = 320;
constexpr int kBigStripHeight = 37;
constexpr int kSmallStripHeight = 16;
// Lowest top of the big line within the picture area.
constexpr double kFloor = 196.0;
// Frames with zero speed before the resting line is thrown up again.
constexpr std::int32_t kApexLimit = 80;

// The credits lines joined into one line, each followed by one blank.
std::string JoinBigText(const std::vector<std::string>& lines);
// The link lines from the last to the first, each followed by " --- ".
std::string JoinSmallText(const std::vector<std::string>& lines);

// Strip widths from the text's length in characters; std::overflow_error past the 32-bit range.
std::int32_t BigStripWidth(std::size_t characters);
std::int32_t SmallStripWidth(std::size_t characters);
// A measured text width plus the lead-in; std::overflow_error past the 32-bit range.
std::int32_t ScrollWidth(std::int32_t measuredWidth);

// One frame of each scroller: the small one moves left through its strip, the big one right.
std::int32_t NextSmallX(std::int32_t smallX, std::int32_t smallWidth);
std::int32_t NextBigX(std::int32_t bigX, std::int32_t bigWidth);

// The bouncing big line: its speed (positive is downwards), its top and the frames at zero speed.
struct Bounce {
  double Speed = -16.0;
  double Y = 0.0;
  std::int32_t ApexCount = 0;
};
// The state at each showing of the window.
constexpr Bounce kBounceStart{};
// One frame of the bounce.
void StepBounce(Bounce& bounce);
// The big line's top in the picture area: Y truncated towards zero.
int BounceTop(double y);

// A rectangle, right and bottom exclusive.
struct Box {
  std::int64_t left = 0, top = 0, right = 0, bottom = 0;
  std::int64_t Width() const { return right - left; }
  std::int64_t Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const Box&) const = default;
};

// A copy of a source rectangle onto a target at a place, both sides clipped to their bitmaps.
struct StripCopy {
  Box source;  // inside the strip, empty when nothing is copied
  std::int64_t targetLeft = 0, targetTop = 0;
  bool Empty() const { return source.Empty(); }
};
// Copies source (a rectangle of strip coordinates, possibly reaching outside the strip) to the same-sized
// rectangle at (targetLeft, targetTop) of a target. Source pixels outside the strip count as blank and
// target pixels outside the target are dropped, so only the part inside both is copied.
StripCopy ClipStripCopy(const Box& source, int stripWidth, int stripHeight, int targetLeft, int targetTop,
                        int targetWidth, int targetHeight);

// The two copies of a frame.
Box SmallSource(std::int32_t smallX);  // (SmallX - 307, 0, SmallX, 16)
Box BigSource(std::int32_t bigX);      // (BigX, 0, BigX + 307, 37)

}  // namespace scroller
