#include "run_report.h"

#include <cstdio>

namespace run_report {

std::string HeadLines(const HeadOptions& options) {
  std::string text;
  if (options.removeInitialSpaces) text += "Initial unused spaces were removed.\r";
  if (options.removeUnusualChars) text += "All unusal characters were removed.\r";
  if (!options.customString.empty()) {
    text += "The string \"" + options.customString + "\" was added at the end of the description line.\r";
  }
  text += "\r";
  return text;
}

std::string ProbeLine(int scanned, int found) {
  return "Scanned " + std::to_string(scanned) + " archives and found " + std::to_string(found) + " descriptions.\r";
}

std::string TailLines(const TailValues& values) {
  std::string text;
  if (values.writeFailed) text += "Check target directory for available diskspace or other errors.\r";
  if (values.userHelpCount > 0) text += "\rUser helped " + std::to_string(values.userHelpCount) + " times.\r";
  char time[64];
  std::snprintf(time, sizeof time, "\rThat took %.2u:%.2u minutes.\r", static_cast<unsigned>(values.elapsedMinutes),
                static_cast<unsigned>(values.elapsedSeconds));
  text += time;
  return text;
}

}  // namespace run_report
