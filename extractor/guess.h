#pragma once
// Picking the line that names the program out of a cleaned description, and replaying the user's picks.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "description.h"

namespace quennex {

bool IsDigitChar(char ch);
bool IsLetterChar(char ch);
// 1-based position of the first digit (full stop) when it lies before the last character, else 0.
int PosOfFirstDigit(std::string_view text);
int PosOfFirstDot(std::string_view text);
// The first full stop after the first digit is followed by a digit that is not the line's last character.
bool HasVersionNumber(std::string_view line);
// min_length letters in a row, followed by at least two more characters.
bool HasMinLengthWord(std::string_view line, int min_length);

// One pick made in the best-match window.
struct TVorschlag {
  std::int32_t ItemIndex = 0;
  std::string Line;
};

// Drops every candidate that equals an earlier one, a to z folded to capitals. The first one always stays.
void ReduceCandidates(std::vector<std::string>& candidates);

enum DetectionMode : int { kVersionNumber = 0, kWord = 1 };

// The controls the guess reads.
struct GuessOptions {
  int detection_mode = kVersionNumber;  // RadioGroup2
  int min_word_length = 6;              // Label12
  bool ask = false;                     // CheckBox6
};

// What the best-match window hands back when it closes.
struct BestMatch {
  std::string line;          // the line taken (may be one the user changed or added)
  bool stop_asking = false;  // "Stop asking" was pressed
};

// Shows the best-match window for archive item_index over the candidates, which the user may change in place.
using AskUser = std::function<BestMatch(std::int32_t item_index, std::vector<std::string>& candidates)>;

// The run state the guess reads and writes.
struct GuessState {
  std::int32_t GuessPassDone = 0;  // above 0: later writers replay
  std::int32_t CurrentItemIndex = 0;
  std::int32_t UserHelpCount = 0;
  std::vector<TVorschlag> Choices;

  // Index of the last record, -1 when there is none.
  std::int32_t ChoiceHigh() const { return static_cast<std::int32_t>(Choices.size()) - 1; }

  // What Go and Stop do to it.
  void ResetForRun() { *this = GuessState(); }
  void ForgetChoices() { Choices.clear(); }
};

// Reduces buffer to the guessed line (or leaves it whole when no line passes either test).
// While GuessPassDone is 0 it tests, and asks when options.ask is set and several different lines match;
// an answer is remembered in Choices and a "Stop asking" clears options.ask. Afterwards it replays the
// remembered line for CurrentItemIndex, or for an archive without one guesses again without asking,
// so every catalogue of a run gets the same line.
void GuessDescriptionLine(DescriptionBuffer& buffer, GuessOptions& options, GuessState& state, const AskUser& ask_user);

}  // namespace quennex
