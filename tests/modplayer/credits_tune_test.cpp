#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <libopenmpt/libopenmpt.h>

#include "test_support.h"

namespace {

struct ModuleDeleter {
  void operator()(openmpt_module* m) const { openmpt_module_destroy(m); }
};
using Module = std::unique_ptr<openmpt_module, ModuleDeleter>;

Module OpenTune() {
  std::vector<std::uint8_t> bytes = testing_support::ReadBytes("credits.mod");
  return Module(openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                                   openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr));
}

std::string Metadata(openmpt_module* m, const char* key) {
  const char* value = openmpt_module_get_metadata(m, key);
  std::string text = value ? value : "";
  openmpt_free_string(value);
  return text;
}

TEST(CreditsTune, IsAFourChannelProTrackerModule) {
  Module tune = OpenTune();
  ASSERT_NE(tune, nullptr);
  EXPECT_EQ(Metadata(tune.get(), "type"), "mod");
  EXPECT_EQ(openmpt_module_get_num_channels(tune.get()), 4);
  EXPECT_GE(openmpt_module_get_num_patterns(tune.get()), 4);
  EXPECT_GE(openmpt_module_get_num_samples(tune.get()), 4);
  const double seconds = openmpt_module_get_duration_seconds(tune.get());
  EXPECT_GT(seconds, 20.0);
  EXPECT_LT(seconds, 60.0);
}

// Renders at a low rate to keep the test quick.
TEST(CreditsTune, SoundsThroughoutAndLoops) {
  Module tune = OpenTune();
  ASSERT_NE(tune, nullptr);
  openmpt_module_set_repeat_count(tune.get(), -1);
  const int rate = 8000;
  const double length = openmpt_module_get_duration_seconds(tune.get());
  std::vector<std::int16_t> second(rate * 2);
  int clipped = 0;
  // Every second of one and a half rounds carries sound.
  for (int s = 0; s < static_cast<int>(length * 1.5); ++s) {
    ASSERT_EQ(openmpt_module_read_interleaved_stereo(tune.get(), rate, rate, second.data()), static_cast<size_t>(rate))
        << "at second " << s;
    int peak = 0;
    for (std::int16_t v : second) {
      peak = std::max(peak, std::abs(static_cast<int>(v)));
      if (v == 32767 || v == -32768) ++clipped;
    }
    EXPECT_GT(peak, 1000) << "at second " << s;
  }
  EXPECT_EQ(clipped, 0);
}

}  // namespace
