#include "guess.h"

#include <gtest/gtest.h>

namespace quennex {
namespace {

using Lines = std::vector<std::string>;

TEST(LineTests, CharacterClasses) {
  EXPECT_TRUE(IsDigitChar('0'));
  EXPECT_TRUE(IsDigitChar('9'));
  EXPECT_FALSE(IsDigitChar('a'));
  EXPECT_TRUE(IsLetterChar('A'));
  EXPECT_TRUE(IsLetterChar('z'));
  EXPECT_FALSE(IsLetterChar('@'));
  EXPECT_FALSE(IsLetterChar('['));
  EXPECT_FALSE(IsLetterChar('\xC4'));
  EXPECT_FALSE(IsLetterChar('\xE9'));
}

TEST(LineTests, PositionsCountOnlyBeforeTheLastCharacter) {
  EXPECT_EQ(PosOfFirstDigit("ab3d"), 3);
  EXPECT_EQ(PosOfFirstDigit("abc3"), 0);
  EXPECT_EQ(PosOfFirstDigit("abcd"), 0);
  EXPECT_EQ(PosOfFirstDigit(""), 0);
  EXPECT_EQ(PosOfFirstDot(".a"), 1);
  EXPECT_EQ(PosOfFirstDot("a."), 0);
  EXPECT_EQ(PosOfFirstDot("a.b."), 2);
}

TEST(LineTests, VersionNumber) {
  EXPECT_FALSE(HasVersionNumber("SuperTool 2.1"));
  EXPECT_TRUE(HasVersionNumber("SuperTool 2.10"));
  EXPECT_TRUE(HasVersionNumber("SuperTool 2.1 beta"));
  EXPECT_FALSE(HasVersionNumber("2 files. 3 disks"));
  EXPECT_TRUE(HasVersionNumber("Mr. Tool 1.0b"));
  EXPECT_FALSE(HasVersionNumber("Tool 2"));
  EXPECT_FALSE(HasVersionNumber("1."));
  EXPECT_FALSE(HasVersionNumber("1.2"));
  EXPECT_TRUE(HasVersionNumber("1.23"));
  EXPECT_FALSE(HasVersionNumber(""));
}

TEST(LineTests, MinLengthWordNeedsTwoCharactersAfterIt) {
  EXPECT_TRUE(HasMinLengthWord("abcdefgh", 6));
  EXPECT_FALSE(HasMinLengthWord("abcdefg", 6));
  EXPECT_FALSE(HasMinLengthWord("Scheduler", 9));
  EXPECT_TRUE(HasMinLengthWord("Scheduler..", 9));
  EXPECT_FALSE(HasMinLengthWord("A great tool for doing things.", 6));
  EXPECT_TRUE(HasMinLengthWord("SuperTool 2.1", 6));
  EXPECT_FALSE(HasMinLengthWord("abc12defgh", 6));
  EXPECT_FALSE(HasMinLengthWord("", 3));
}

TEST(ReduceCandidates, DropsOnlyRepeatsOfEarlierLines) {
  Lines one{"only"};
  ReduceCandidates(one);
  EXPECT_EQ(one, Lines{"only"});

  Lines lines{"b", "a", "c", "A"};
  ReduceCandidates(lines);
  EXPECT_EQ(lines, (Lines{"b", "a", "c"}));

  Lines cased{"Tool 1.0", "TOOL 1.0", "tool 1.0", "Other 2.0"};
  ReduceCandidates(cased);
  EXPECT_EQ(cased, (Lines{"Tool 1.0", "Other 2.0"}));

  Lines high{"\xE9t\xE9 1.0", "\xC9T\xC9 1.0"};  // only a to z are folded
  ReduceCandidates(high);
  EXPECT_EQ(high.size(), 2u);

  Lines prefix{"Tool", "Tool 1.0"};
  ReduceCandidates(prefix);
  EXPECT_EQ(prefix.size(), 2u);
}

struct AskLog {
  int calls = 0;
  Lines shown;
  std::int32_t item = -1;
};

AskUser Answer(AskLog& log, std::size_t pick, bool stop_asking = false) {
  return [&log, pick, stop_asking](std::int32_t item, Lines& candidates) {
    ++log.calls;
    log.shown = candidates;
    log.item = item;
    return BestMatch{candidates.at(pick), stop_asking};
  };
}

AskUser NeverAsk() {
  return [](std::int32_t, Lines& candidates) {
    ADD_FAILURE() << "asked about " << candidates.size() << " lines";
    return BestMatch{candidates.front(), false};
  };
}

TEST(Guess, DefaultsFallBackFromVersionToWord) {
  DescriptionBuffer buffer{"A great tool for doing things.", "SuperTool 2.1"};
  GuessOptions options;
  GuessState state;
  GuessDescriptionLine(buffer, options, state, NeverAsk());
  EXPECT_EQ(buffer, Lines{"SuperTool 2.1"});
}

TEST(Guess, VersionLineWinsOverEarlierWordLine) {
  DescriptionBuffer buffer{"Fantastic things here", "Tool 1.10"};
  GuessOptions options;
  GuessState state;
  GuessDescriptionLine(buffer, options, state, NeverAsk());
  EXPECT_EQ(buffer, Lines{"Tool 1.10"});
}

TEST(Guess, WordModeNeverTriesVersionNumbers) {
  DescriptionBuffer buffer{"v 1.10", "Something useful"};
  GuessOptions options{kWord, 6, false};
  GuessState state;
  GuessDescriptionLine(buffer, options, state, NeverAsk());
  EXPECT_EQ(buffer, Lines{"Something useful"});

  buffer = {"v 1.10", "tiny"};
  GuessDescriptionLine(buffer, options, state, NeverAsk());
  EXPECT_EQ(buffer, (Lines{"v 1.10", "tiny"}));
}

TEST(Guess, NoMatchLeavesTheBufferWhole) {
  DescriptionBuffer buffer{"abc", "de 1"};
  GuessOptions options;
  GuessState state;
  GuessDescriptionLine(buffer, options, state, NeverAsk());
  EXPECT_EQ(buffer, (Lines{"abc", "de 1"}));
}

TEST(Guess, WithoutAskTheFirstCandidateIsTaken) {
  DescriptionBuffer buffer{"Tool 1.00", "Tool 2.00"};
  GuessOptions options;
  GuessState state;
  GuessDescriptionLine(buffer, options, state, NeverAsk());
  EXPECT_EQ(buffer, Lines{"Tool 1.00"});
  EXPECT_EQ(state.UserHelpCount, 0);
  EXPECT_TRUE(state.Choices.empty());
}

TEST(Guess, AskSkipsTheWindowWhenRepeatsLeaveOneLine) {
  DescriptionBuffer buffer{"Tool 1.00", "TOOL 1.00"};
  GuessOptions options{kVersionNumber, 6, true};
  GuessState state;
  GuessDescriptionLine(buffer, options, state, NeverAsk());
  EXPECT_EQ(buffer, Lines{"Tool 1.00"});
  EXPECT_EQ(state.UserHelpCount, 0);
  EXPECT_TRUE(state.Choices.empty());
}

TEST(Guess, AskedChoiceIsTakenAndRemembered) {
  DescriptionBuffer buffer{"intro", "Tool 1.00", "Tool 2.00 beta"};
  GuessOptions options{kVersionNumber, 6, true};
  GuessState state;
  state.CurrentItemIndex = 4;
  AskLog log;
  GuessDescriptionLine(buffer, options, state, Answer(log, 1));
  EXPECT_EQ(log.calls, 1);
  EXPECT_EQ(log.item, 4);
  EXPECT_EQ(log.shown, (Lines{"Tool 1.00", "Tool 2.00 beta"}));
  EXPECT_EQ(buffer, Lines{"Tool 2.00 beta"});
  EXPECT_EQ(state.UserHelpCount, 1);
  ASSERT_EQ(state.Choices.size(), 1u);
  EXPECT_EQ(state.Choices[0].ItemIndex, 4);
  EXPECT_EQ(state.Choices[0].Line, "Tool 2.00 beta");
  EXPECT_TRUE(options.ask);
}

TEST(Guess, StopAskingClearsTheOption) {
  DescriptionBuffer buffer{"Tool 1.00", "Tool 2.00"};
  GuessOptions options{kVersionNumber, 6, true};
  GuessState state;
  AskLog log;
  GuessDescriptionLine(buffer, options, state, Answer(log, 0, true));
  EXPECT_FALSE(options.ask);
  buffer = {"Tool 1.00", "Tool 2.00"};
  GuessDescriptionLine(buffer, options, state, NeverAsk());
  EXPECT_EQ(state.UserHelpCount, 1);
}

TEST(Guess, ReplayUsesTheEarliestRecordOfTheArchive) {
  GuessOptions options{kVersionNumber, 6, true};
  GuessState state;
  state.GuessPassDone = 12;
  state.Choices = {{3, "other"}, {5, "first pick"}, {5, "second pick"}};
  state.CurrentItemIndex = 5;
  DescriptionBuffer buffer{"Tool 1.00", "Tool 2.00"};
  GuessDescriptionLine(buffer, options, state, NeverAsk());
  EXPECT_EQ(buffer, Lines{"first pick"});
  EXPECT_EQ(state.UserHelpCount, 0);
  EXPECT_EQ(state.Choices.size(), 3u);
}

TEST(Guess, ReplayWithoutRecordGuessesWithoutAsking) {
  GuessOptions options{kVersionNumber, 6, true};
  GuessState state;
  state.GuessPassDone = 1;
  state.CurrentItemIndex = 2;
  DescriptionBuffer buffer{"intro", "Tool 1.00", "Tool 2.00"};
  GuessDescriptionLine(buffer, options, state, NeverAsk());
  EXPECT_EQ(buffer, Lines{"Tool 1.00"});
  EXPECT_TRUE(state.Choices.empty());

  buffer = {"no match", "at all"};
  GuessDescriptionLine(buffer, options, state, NeverAsk());
  EXPECT_EQ(buffer, (Lines{"no match", "at all"}));
}

TEST(Guess, ResetForRunForgetsEverything) {
  GuessState state;
  state.GuessPassDone = 3;
  state.UserHelpCount = 2;
  state.Choices = {{1, "x"}};
  state.ResetForRun();
  EXPECT_EQ(state.GuessPassDone, 0);
  EXPECT_EQ(state.UserHelpCount, 0);
  EXPECT_TRUE(state.Choices.empty());
}

}  // namespace
}  // namespace quennex
