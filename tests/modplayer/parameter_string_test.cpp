#include <gtest/gtest.h>

#include "credits_player.h"
#include "moduleplayer.h"
#include "player_options.h"

namespace {

// The one place that spells the parameter strings out.
const char kCreditsParameters[] =
    "bgcolor|#000000|vucolor|#00FF00|spcolor|#FF0000|spcolorhi|#FFFF00|vucolorhi|#FF0000|hidden|false|Title|MOD|"
    "width|25|height|25|loop|true";

TEST(ParameterString, CreditsPlayerCharacterForCharacter) {
  EXPECT_EQ(BuildParameterString(CreditsPlayer()), kCreditsParameters);
}

TEST(ParameterString, StereoAppendsControls) {
  PlayerParameters p = CreditsPlayer();
  p.SpectrumStereo = true;
  EXPECT_EQ(BuildParameterString(p), std::string(kCreditsParameters) + "|controls|stereo");
}

TEST(ParameterString, BooleansCaptionAndSize) {
  PlayerParameters p = CreditsPlayer();
  p.SpectrumHide = true;
  p.LoopSong = false;
  p.Caption = "";
  p.Width = 169;
  p.Height = -3;
  EXPECT_EQ(BuildParameterString(p),
            "bgcolor|#000000|vucolor|#00FF00|spcolor|#FF0000|spcolorhi|#FFFF00|vucolorhi|#FF0000|hidden|true|Title||"
            "width|169|height|-3|loop|false");
}

TEST(ParameterString, BackColorOfWrongLengthFallsBackToBlack) {
  for (const char* colour : {"", "#123456", "12345"}) {
    PlayerParameters p = CreditsPlayer();
    p.BackColor = colour;
    EXPECT_EQ(BuildParameterString(p), kCreditsParameters) << colour;
  }
  PlayerParameters p = CreditsPlayer();
  p.BackColor = "123456";
  EXPECT_EQ(BuildParameterString(p).substr(0, 16), "bgcolor|#123456|");
}

TEST(ParameterString, OtherColoursOfWrongLengthLeaveTheirKeyOut) {
  PlayerParameters p = CreditsPlayer();
  p.VUColor = "#00FF00";
  p.SPColor = "";
  p.SPColorTop = "FFF";
  p.VUColorTop = "zzzzzz";  // six characters pass unexamined
  EXPECT_EQ(BuildParameterString(p),
            "bgcolor|#000000|vucolorhi|#zzzzzz|hidden|false|Title|MOD|width|25|height|25|loop|true");
}

// The library's side: what it reads from such strings.
TEST(PlayerOptions, ReadsLoopAndMeterSettings) {
  npmod32::PlayerOptions o = npmod32::ParsePlayerOptions(std::string(kCreditsParameters) + "|controls|stereo");
  EXPECT_TRUE(o.loop);
  EXPECT_FALSE(o.hidden);
  EXPECT_EQ(o.meter_top, 0xFF0000u);

  o = npmod32::ParsePlayerOptions("");
  EXPECT_FALSE(o.loop);
  EXPECT_EQ(o.meter, 0x00FF00u);

  // Malformed values leave the defaults.
  o = npmod32::ParsePlayerOptions("loop|yes|bgcolor|#12345G|vucolor|123456|hidden|TRUE|vucolorhi|#a0B1c2|loop");
  EXPECT_FALSE(o.loop);
  EXPECT_TRUE(o.hidden);
  EXPECT_EQ(o.background, 0x000000u);
  EXPECT_EQ(o.meter, 0x00FF00u);
  EXPECT_EQ(o.meter_top, 0xA0B1C2u);

  // Pairs are read in step, so a value that looks like a key is still a value.
  o = npmod32::ParsePlayerOptions("Title|loop|true|x|LOOP|true|");
  EXPECT_TRUE(o.loop);
  o = npmod32::ParsePlayerOptions("Title|loop|true");
  EXPECT_FALSE(o.loop);
}

}  // namespace
