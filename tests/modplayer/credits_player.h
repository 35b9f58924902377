#pragma once
// The player as the credits window sets it up; its parameter string is checked in parameter_string_test.cpp.
#include "moduleplayer.h"

inline PlayerParameters CreditsPlayer() {
  PlayerParameters p;
  p.LoopSong = true;
  p.BackColor = "000000";
  p.VUColor = "00FF00";
  p.SPColor = "FF0000";
  p.VUColorTop = "FF0000";
  p.SPColorTop = "FFFF00";
  p.Caption = "MOD";
  p.Width = 25;
  p.Height = 25;
  return p;
}
