#include "scroller.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

using scroller::Box;

TEST(ScrollTexts, BigJoinsWithBlanksSmallRunsBackwards) {
  EXPECT_EQ(scroller::JoinBigText({"Coded by", "", "Tune by"}), "Coded by  Tune by ");
  EXPECT_EQ(scroller::JoinSmallText({"first", "second", "third"}), "third --- second --- first --- ");
  EXPECT_EQ(scroller::JoinBigText({}), "");
  EXPECT_EQ(scroller::JoinSmallText({}), "");
}

TEST(StripSizes, WidthsFollowTheTextLength) {
  EXPECT_EQ(scroller::BigStripWidth(0), 320);
  EXPECT_EQ(scroller::BigStripWidth(100), 1720);
  EXPECT_EQ(scroller::SmallStripWidth(0), 320);
  EXPECT_EQ(scroller::SmallStripWidth(100), 1320);
  EXPECT_EQ(scroller::ScrollWidth(0), 320);
  EXPECT_EQ(scroller::ScrollWidth(1000), 1320);
}

TEST(StripSizes, OverflowRaisesInsteadOfWrapping) {
  EXPECT_THROW(scroller::BigStripWidth(200'000'000), std::overflow_error);
  EXPECT_THROW(scroller::SmallStripWidth(std::numeric_limits<std::size_t>::max()), std::overflow_error);
  EXPECT_THROW(scroller::ScrollWidth(std::numeric_limits<std::int32_t>::max() - 100), std::overflow_error);
  EXPECT_EQ(scroller::BigStripWidth((std::numeric_limits<std::int32_t>::max() - 320) / 14),
            (std::numeric_limits<std::int32_t>::max() - 320) / 14 * 14 + 320);
}

TEST(Scrollers, SmallCycleTakesWidthPlusOneFrames) {
  const std::int32_t width = 5;
  std::int32_t x = width;
  std::vector<std::int32_t> seen;
  for (int frame = 0; frame < 7; ++frame) seen.push_back(x = scroller::NextSmallX(x, width));
  EXPECT_EQ(seen, (std::vector<std::int32_t>{4, 3, 2, 1, 0, 5, 4}));
}

TEST(Scrollers, BigRunsInEvenStepsUpToItsWidthThenRestarts) {
  for (std::int32_t width : {8, 9}) {
    std::int32_t x = 0;
    std::vector<std::int32_t> seen;
    for (int frame = 0; frame < 6; ++frame) seen.push_back(x = scroller::NextBigX(x, width));
    EXPECT_EQ(seen, (std::vector<std::int32_t>{2, 4, 6, 8, 0, 2})) << width;
  }
  // At the top of the range the step does not wrap.
  const std::int32_t top = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(scroller::NextBigX(top - 1, top), 0);
}

// Tops of frames 1..n after a showing, and the state after each.
std::vector<scroller::Bounce> RunBounce(int frames, scroller::Bounce b = scroller::kBounceStart) {
  std::vector<scroller::Bounce> states{b};
  for (int i = 0; i < frames; ++i) {
    scroller::StepBounce(b);
    states.push_back(b);
  }
  return states;
}

TEST(Bounce, FirstFramesFallFromTheTop) {
  const auto states = RunBounce(22);
  std::vector<int> tops;
  for (int frame = 1; frame <= 6; ++frame) tops.push_back(scroller::BounceTop(states[frame].Y));
  EXPECT_EQ(tops, (std::vector<int>{0, 0, 1, 3, 6, 10}));
  EXPECT_LT(states[21].Y, 196.0);
  EXPECT_EQ(states[22].Y, 196.0);  // 210 would be past the floor
  EXPECT_EQ(states[22].Speed, -19.0);
}

TEST(Bounce, EachBounceRisesLessHigh) {
  const auto states = RunBounce(480);
  std::vector<std::pair<int, int>> apexes;  // (frame, top) where the line turns back down
  for (int frame = 23; frame < 400; ++frame) {
    if (states[frame].Speed == 0.0 && states[frame].Y < 196.0)
      apexes.push_back({frame, scroller::BounceTop(states[frame].Y)});
  }
  ASSERT_GE(apexes.size(), 5u);
  EXPECT_EQ(apexes[0], std::make_pair(41, 25));
  EXPECT_EQ(apexes[1], std::make_pair(78, 43));
  EXPECT_EQ(apexes[2].second, 60);
  EXPECT_EQ(apexes[3].second, 76);
  EXPECT_EQ(apexes[4].second, 91);
  for (const auto& state : states) EXPECT_EQ(state.Y, static_cast<double>(scroller::BounceTop(state.Y)));
}

TEST(Bounce, RestingLineIsKickedAfterEightyOneApexFrames) {
  const auto states = RunBounce(820);
  EXPECT_EQ(states[400].Speed, -1.0);  // its last little hop
  for (int frame = 401; frame <= 461; ++frame) {
    EXPECT_EQ(states[frame].Y, 196.0) << frame;
    EXPECT_EQ(states[frame].Speed, 0.0) << frame;
  }
  EXPECT_EQ(states[461].ApexCount, 80);
  EXPECT_EQ(states[462].Speed, 16.0);
  EXPECT_EQ(states[462].ApexCount, 0);
  EXPECT_EQ(states[463].Speed, -16.0);
  EXPECT_EQ(scroller::BounceTop(states[463].Y), 196);
  EXPECT_EQ(scroller::BounceTop(states[464].Y), 181);
  EXPECT_EQ(states[479].Speed, 0.0);
  EXPECT_EQ(scroller::BounceTop(states[479].Y), 76);
  for (int frame = 463; frame + 337 <= 820; ++frame) {
    EXPECT_EQ(states[frame].Y, states[frame + 337].Y) << frame;
    EXPECT_EQ(states[frame].Speed, states[frame + 337].Speed) << frame;
    EXPECT_EQ(states[frame].ApexCount, states[frame + 337].ApexCount) << frame;
  }
}

TEST(Bounce, NegativeZeroOnTheFloorCountsAsApex) {
  // Resting on the floor, the throw back turns a zero speed into -0.
  scroller::Bounce b{0.0, 196.0, 3};
  scroller::StepBounce(b);
  EXPECT_TRUE(std::signbit(b.Speed));
  EXPECT_EQ(b.Y, 196.0);
  EXPECT_EQ(b.ApexCount, 4);
}

TEST(StripCopies, OnlyThePartInsideStripAndBufferIsCopied) {
  // Inside: copied whole.
  auto copy = scroller::ClipStripCopy(scroller::BigSource(400), 2000, 37, 0, 50, 307, 230);
  EXPECT_EQ(copy.source, (Box{400, 0, 707, 37}));
  EXPECT_EQ(copy.targetTop, 50);
  // SmallX 100: the source runs from -207; strip columns 0..99 go to 207..306, the background shows left of them.
  copy = scroller::ClipStripCopy(scroller::SmallSource(100), 900, 16, 0, 0, 307, 230);
  EXPECT_EQ(copy.source, (Box{0, 0, 100, 16}));
  EXPECT_EQ(copy.targetLeft, 207);
  // Past the strip's right end.
  copy = scroller::ClipStripCopy(scroller::BigSource(1900), 2000, 37, 0, 10, 307, 230);
  EXPECT_EQ(copy.source, (Box{1900, 0, 2000, 37}));
  EXPECT_EQ(copy.targetLeft, 0);
  // The big line on the floor: rows below the buffer are dropped.
  copy = scroller::ClipStripCopy(scroller::BigSource(0), 2000, 37, 0, 196, 307, 230);
  EXPECT_EQ(copy.source, (Box{0, 0, 307, 34}));
}

TEST(StripCopies, NothingWhenNoPartOverlaps) {
  const std::int32_t top = std::numeric_limits<std::int32_t>::max();
  EXPECT_TRUE(scroller::ClipStripCopy(scroller::SmallSource(0), 900, 16, 0, 0, 307, 230).Empty());
  EXPECT_TRUE(scroller::ClipStripCopy(scroller::BigSource(2000), 2000, 37, 0, 10, 307, 230).Empty());
  EXPECT_TRUE(scroller::ClipStripCopy(scroller::BigSource(0), 0, 0, 0, 0, 307, 230).Empty());
  EXPECT_TRUE(scroller::ClipStripCopy(scroller::BigSource(top), 2000, 37, 0, 0, 307, 230).Empty());
  EXPECT_TRUE(
      scroller::ClipStripCopy(scroller::BigSource(0), 2000, 37, 0, std::numeric_limits<int>::max(), 307, 230).Empty());
  EXPECT_TRUE(
      scroller::ClipStripCopy(scroller::BigSource(0), 2000, 37, std::numeric_limits<int>::min(), 0, 307, 230).Empty());
}

}  // namespace
