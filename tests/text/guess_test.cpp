#include "guess.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace quennex {
namespace {

using Lines = std::vector<std::string>;

TEST(LineTests, VersionNumberNeedsADigitAfterTheDotBeforeTheLineEnds) {
  for (const char* line : {"SuperTool 2.10", "SuperTool 2.1 beta", "Mr. Tool 1.0b", "1.23"}) {
    EXPECT_TRUE(HasVersionNumber(line)) << line;
  }
  for (const char* line : {"SuperTool 2.1", "2 files. 3 disks", "Tool 2", "1.", "1.2", ""}) {
    EXPECT_FALSE(HasVersionNumber(line)) << line;
  }
  EXPECT_EQ(PosOfFirstDigit("ab3d"), 3);
  EXPECT_EQ(PosOfFirstDigit("abc3"), 0);
  EXPECT_EQ(PosOfFirstDot("a."), 0);
  EXPECT_FALSE(IsLetterChar('\xE9'));
}

TEST(LineTests, WordNeedsTwoCharactersAfterIt) {
  EXPECT_TRUE(HasMinLengthWord("abcdefgh", 6));
  EXPECT_FALSE(HasMinLengthWord("abcdefg", 6));
  EXPECT_FALSE(HasMinLengthWord("Scheduler", 9));
  EXPECT_FALSE(HasMinLengthWord("A great tool for doing things.", 6));
  EXPECT_FALSE(HasMinLengthWord("abc12defgh", 6));
}

TEST(ReduceCandidates, DropsOnlyRepeatsOfEarlierLines) {
  Lines lines{"b", "a", "c", "A"};
  ReduceCandidates(lines);
  EXPECT_EQ(lines, (Lines{"b", "a", "c"}));
  Lines cased{"Tool 1.0", "TOOL 1.0", "\xE9t\xE9", "\xC9T\xC9", "Tool"};
  ReduceCandidates(cased);
  EXPECT_EQ(cased, (Lines{"Tool 1.0", "\xE9t\xE9", "\xC9T\xC9", "Tool"}));
}

// A million lines, every second one a repeat: comparing each line with every kept one would take hours.
TEST(ReduceCandidates, AMillionLinesKeepTheirOrder) {
  Lines lines, expected;
  char text[16];
  for (int i = 0; i < 500000; ++i) {
    std::snprintf(text, sizeof text, "v1.%07d", i);
    lines.push_back(text);
    expected.push_back(text);
    std::snprintf(text, sizeof text, "V1.%07d", i / 2);
    lines.push_back(text);
  }
  ReduceCandidates(lines);
  EXPECT_EQ(lines, expected);
}

AskUser Pick(int& calls, std::size_t pick, bool stop_asking = false) {
  return [&calls, pick, stop_asking](std::int32_t, Lines& candidates) {
    ++calls;
    return BestMatch{candidates.at(pick), stop_asking};
  };
}

const AskUser kNeverAsk = [](std::int32_t, Lines& candidates) {
  ADD_FAILURE() << "asked about " << candidates.size() << " lines";
  return BestMatch{candidates.front(), false};
};

Lines Guessed(Lines buffer, GuessOptions options = {}) {
  GuessState state;
  GuessDescriptionLine(buffer, options, state, kNeverAsk);
  return buffer;
}

TEST(Guess, VersionThenWordThenEverything) {
  EXPECT_EQ(Guessed({"A great tool for doing things.", "SuperTool 2.1"}), Lines{"SuperTool 2.1"});
  EXPECT_EQ(Guessed({"Fantastic things here", "Tool 1.10", "Tool 2.10"}), Lines{"Tool 1.10"});
  EXPECT_EQ(Guessed({"abc", "de 1"}), (Lines{"abc", "de 1"}));
  // In word mode the version test is never tried.
  EXPECT_EQ(Guessed({"v 1.10", "Something useful"}, {kWord, 6, false}), Lines{"Something useful"});
  EXPECT_EQ(Guessed({"v 1.10", "tiny"}, {kWord, 6, false}), (Lines{"v 1.10", "tiny"}));
}

TEST(Guess, AsksOnlyAboutDifferentCandidatesAndRemembersTheAnswer) {
  GuessOptions options{kVersionNumber, 6, true};
  GuessState state;
  DescriptionBuffer buffer{"Tool 1.00", "TOOL 1.00"};
  GuessDescriptionLine(buffer, options, state, kNeverAsk);
  EXPECT_EQ(buffer, Lines{"Tool 1.00"});
  EXPECT_TRUE(state.Choices.empty());

  int calls = 0;
  state.CurrentItemIndex = 4;
  buffer = {"intro", "Tool 1.00", "Tool 2.00 beta"};
  GuessDescriptionLine(buffer, options, state, Pick(calls, 1, true));
  EXPECT_EQ(buffer, Lines{"Tool 2.00 beta"});
  EXPECT_EQ(state.UserHelpCount, 1);
  ASSERT_EQ(state.ChoiceHigh(), 0);
  EXPECT_EQ(state.Choices[0].ItemIndex, 4);
  EXPECT_EQ(state.Choices[0].Line, "Tool 2.00 beta");
  EXPECT_FALSE(options.ask);  // "Stop asking"

  buffer = {"Tool 1.00", "Tool 2.00"};
  GuessDescriptionLine(buffer, options, state, kNeverAsk);
  EXPECT_EQ(buffer, Lines{"Tool 1.00"});
}

TEST(Guess, ReplayTakesTheFirstRecordOrGuessesWithoutAsking) {
  GuessOptions options{kVersionNumber, 6, true};
  GuessState state;
  state.GuessPassDone = 12;
  state.Choices = {{3, "other"}, {5, "first pick"}, {5, "second pick"}};
  state.CurrentItemIndex = 5;
  DescriptionBuffer buffer{"Tool 1.00", "Tool 2.00"};
  GuessDescriptionLine(buffer, options, state, kNeverAsk);
  EXPECT_EQ(buffer, Lines{"first pick"});

  state.CurrentItemIndex = 2;
  buffer = {"intro", "Tool 1.00", "Tool 2.00"};
  GuessDescriptionLine(buffer, options, state, kNeverAsk);
  EXPECT_EQ(buffer, Lines{"Tool 1.00"});
  EXPECT_EQ(state.Choices.size(), 3u);
  EXPECT_EQ(state.UserHelpCount, 0);
}

}  // namespace
}  // namespace quennex
