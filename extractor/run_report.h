#pragma once
// The lines of a run's report. Lines end with a single CR.
#include <cstdint>
#include <string>

namespace run_report {

struct HeadOptions {
  bool removeInitialSpaces = false;  // CheckBox4
  bool removeUnusualChars = false;   // CheckBox5
  std::string customString;          // Edit2
};
// The head lines, added when the listing found archives; they end with an empty line.
std::string HeadLines(const HeadOptions& options);

// "Scanned %d archives and found %d descriptions."
std::string ProbeLine(int scanned, int found);

struct TailValues {
  bool writeFailed = false;
  int userHelpCount = 0;
  std::uint32_t elapsedMinutes = 0;
  std::uint32_t elapsedSeconds = 0;
};
// The disk-space hint (once), the help count and the elapsed time.
std::string TailLines(const TailValues& values);

}  // namespace run_report
