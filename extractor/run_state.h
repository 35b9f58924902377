#pragma once
// What one run of Go reads and writes, as plain data; the main window owns it.
#include <chrono>
#include <cstdint>
#include <string>

#include "description.h"
#include "guess.h"

namespace quennex {

struct RunState {
  // CurrentItemIndex, GuessPassDone, UserHelpCount and the remembered Choices.
  GuessState Guess;
  bool StopRequested = false;
  bool ListReady = false;  // the list holds the source folder's archives, so a column click sorts it
  bool WriteFailed = false;
  std::int32_t SortColumn = 0;
  std::int32_t RarCount = 0, AceCount = 0, ZipCount = 0;
  // Taken when Go starts; the elapsed time is read from it, so ticks that come late lose nothing.
  std::chrono::steady_clock::time_point StartedAt;
  // Minutes count on past 255 rather than wrap.
  std::uint32_t ElapsedMinutes = 0;
  std::uint8_t ElapsedSeconds = 0;
  std::string ReportText;
  // The description in hand; the viewer shows it.
  DescriptionBuffer Description;
  // The temp folder with its trailing backslash; empty when it cannot be used.
  std::string TempDir;
  bool ViewerMode = false;  // the description is read for the viewer, uncleaned
};

}  // namespace quennex
