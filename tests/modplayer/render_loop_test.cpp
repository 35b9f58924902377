// The credits tune through the renderer the player library plays from, with the credits window's parameters.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "credits_player.h"
#include "player_options.h"
#include "renderer.h"

namespace {

using npmod32::ModuleRenderer;

constexpr int kRate = ModuleRenderer::kRate;
constexpr std::size_t kBlockFrames = kRate / 20;  // 50 ms, as the player queues them
// Below this a block counts as silent; the threshold for a second of sound is far above it.
constexpr double kSilentRms = 30.0;
constexpr double kSoundRms = 500.0;

// What the credits window hands the library.
const std::string kCreditsParameters = BuildParameterString(CreditsPlayer());

double Rms(const std::int16_t* samples, std::size_t count) {
  if (count == 0) return 0.0;
  double sum = 0.0;
  for (std::size_t i = 0; i < count; ++i) sum += static_cast<double>(samples[i]) * samples[i];
  return std::sqrt(sum / static_cast<double>(count));
}

// Every block as the player would render it, until the song ends or max_frames are done.
struct Rendering {
  std::vector<double> block_rms;  // one per 50 ms
  std::size_t frames = 0;
  bool ended = false;  // a block came back empty
};

Rendering Render(ModuleRenderer& renderer, std::size_t max_frames) {
  Rendering result;
  std::vector<std::int16_t> block(kBlockFrames * 2);
  while (result.frames < max_frames) {
    const std::size_t rendered = renderer.Render(block.data(), kBlockFrames);
    if (rendered == 0) {
      result.ended = true;
      break;
    }
    result.frames += rendered;
    result.block_rms.push_back(Rms(block.data(), rendered * 2));
  }
  return result;
}

// RMS of each whole second from the block values.
std::vector<double> SecondRms(const Rendering& r) {
  std::vector<double> seconds;
  for (std::size_t first = 0; first + 20 <= r.block_rms.size(); first += 20) {
    double sum = 0.0;
    for (std::size_t i = first; i < first + 20; ++i) sum += r.block_rms[i] * r.block_rms[i];
    seconds.push_back(std::sqrt(sum / 20.0));
  }
  return seconds;
}

// The longest run of silent blocks that starts in [from, to) seconds, in seconds.
double LongestSilence(const Rendering& r, double from, double to) {
  std::size_t longest = 0;
  for (std::size_t i = static_cast<std::size_t>(from * 20); i < r.block_rms.size() && i < to * 20; ++i) {
    std::size_t run = 0;
    while (i + run < r.block_rms.size() && r.block_rms[i + run] < kSilentRms) ++run;
    longest = std::max(longest, run);
  }
  return static_cast<double>(longest) / 20.0;
}

bool LoadTune(ModuleRenderer& renderer, bool loop) { return renderer.LoadFile("credits.mod", loop); }

// One pass without looping: its length in seconds.
double PassSeconds() {
  ModuleRenderer once;
  if (!LoadTune(once, false)) return 0.0;
  return static_cast<double>(Render(once, 600u * kRate).frames) / kRate;
}

TEST(TuneRendering, CreditsWindowAsksForALoop) {
  EXPECT_TRUE(npmod32::ParsePlayerOptions(kCreditsParameters).loop);
  std::string once = kCreditsParameters;
  once.replace(once.size() - 4, 4, "false");
  EXPECT_FALSE(npmod32::ParsePlayerOptions(once).loop);
}

TEST(TuneRendering, WithoutLoopEndsAfterOnePassAndStartsOverWhenRewound) {
  ModuleRenderer renderer;
  ASSERT_TRUE(LoadTune(renderer, false));
  const Rendering pass = Render(renderer, 600u * kRate);
  ASSERT_TRUE(pass.ended);
  const double seconds = static_cast<double>(pass.frames) / kRate;
  std::printf("one pass: %.2f s\n", seconds);
  EXPECT_GT(seconds, 20.0);
  EXPECT_LT(seconds, 60.0);
  for (double rms : SecondRms(pass)) EXPECT_GT(rms, kSoundRms);
  // Past the end the blocks stay empty and zeroed.
  std::vector<std::int16_t> block(kBlockFrames * 2, 1234);
  EXPECT_EQ(renderer.Render(block.data(), kBlockFrames), 0u);
  EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](std::int16_t v) { return v == 0; }));
  // As Play does after the song ended.
  renderer.Rewind();
  const Rendering again = Render(renderer, kRate);
  EXPECT_EQ(again.frames, static_cast<std::size_t>(kRate));
  EXPECT_GT(SecondRms(again).at(0), kSoundRms);
}

TEST(TuneRendering, LoopsWithoutAPauseAsTheCreditsWindowPlaysIt) {
  const double pass = PassSeconds();
  ASSERT_GT(pass, 1.0);
  ModuleRenderer renderer;
  ASSERT_TRUE(LoadTune(renderer, npmod32::ParsePlayerOptions(kCreditsParameters).loop));
  const std::size_t wanted = static_cast<std::size_t>(pass * 1.3 * kRate);
  const DWORD start = GetTickCount();
  const Rendering r = Render(renderer, wanted);
  std::printf("%.1f s rendered in %lu ms\n", static_cast<double>(r.frames) / kRate, GetTickCount() - start);
  ASSERT_FALSE(r.ended);
  EXPECT_GE(r.frames, wanted);
  const std::vector<double> seconds = SecondRms(r);
  ASSERT_GE(seconds.size(), static_cast<std::size_t>(pass * 1.3) - 1);
  double quietest = seconds.at(0);
  for (std::size_t s = 0; s < seconds.size(); ++s) {
    EXPECT_GT(seconds[s], kSoundRms) << "at second " << s;
    quietest = std::min(quietest, seconds[s]);
  }
  std::printf("quietest second: RMS %.0f\n", quietest);
  // Sound goes on after the first pass, and no gap opens where it starts over.
  const std::size_t after = static_cast<std::size_t>(std::ceil(pass));
  ASSERT_GT(seconds.size(), after + 2);
  EXPECT_GT(seconds[after], kSoundRms);
  EXPECT_GT(seconds[after + 1], kSoundRms);
  EXPECT_LT(LongestSilence(r, pass - 2.0, pass + 1.0), 1.5);
  EXPECT_LT(LongestSilence(r, 0.0, 1e9), 1.5);
}

}  // namespace
