#include "description.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace quennex {
namespace {

using Lines = std::vector<std::string>;

const ReadOptions kNoFilters{kAllLines, false, false, false};
const ReadOptions kBothFilters{kAllLines, true, true, false};
const ReadOptions kOnlyStrip{kAllLines, true, false, false};
const ReadOptions kOnlyPlain{kAllLines, false, true, false};

TEST(DescriptionLines, LineEndsTabsAndTheLastLine) {
  for (const char* text : {"ABC\r\n\r\n\r\nDEF\r\n", "ABC\n\n\nDEF\n", "ABC\rDEF\r", "ABC\n\rDEF\n\r", "ABC\r\nDEF"}) {
    EXPECT_EQ(SplitDescription(text, kNoFilters), (Lines{"ABC", "DEF"})) << text;
  }
  EXPECT_EQ(SplitDescription("\r\n\n\r\r", kNoFilters), Lines{});
  EXPECT_EQ(SplitDescription("a\t\tb\r\n\t\r\n", kNoFilters), Lines{"ab"});
  // The last line is filtered like the others.
  EXPECT_EQ(SplitDescription("First\r\n  **Second", kBothFilters), (Lines{"First", "Second"}));
  EXPECT_EQ(SplitDescription("First\r\n***", kOnlyPlain), Lines{"First"});
  // Bytes pass unconverted, NUL included.
  EXPECT_EQ(SplitDescription(std::string("\xC9\xCD\xBB a\0b\n", 8), kNoFilters),
            Lines{std::string("\xC9\xCD\xBB a\0b", 7)});
}

TEST(DescriptionLines, FiltersRunPlainCharsFirst) {
  EXPECT_EQ(SplitDescription("**  Tool\r\n", kBothFilters), Lines{"Tool"});
  EXPECT_EQ(SplitDescription("  ***  Tool 1.0 ***\r\n", kBothFilters), Lines{"Tool 1.0 "});
  EXPECT_EQ(SplitDescription("   Tool\r\n  **Tool\r\n", kOnlyStrip), (Lines{"Tool", "**Tool"}));
  EXPECT_EQ(SplitDescription("\xB0\xB1\xB2\r\n\xB0 \xB1 \xB2\r\n", kOnlyPlain), Lines{"  "});
  for (const auto& options : {kNoFilters, kBothFilters, kOnlyStrip, kOnlyPlain}) {
    EXPECT_EQ(SplitDescription("   \r\n", options), Lines{"   "});
  }
}

TEST(DescriptionLines, GuessModeForcesBothFiltersAndViewerModeNone) {
  EXPECT_EQ(SplitDescription("  **Tool 1.0\r\n", ReadOptions{kGuessLine, false, false, false}), Lines{"Tool 1.0"});
  EXPECT_EQ(SplitDescription("  **Tool 1.0\r\n", ReadOptions{kGuessLine, true, true, true}), Lines{"  **Tool 1.0"});
  EXPECT_EQ(SplitDescription("  **Tool\r\n", ReadOptions{kFirstLine, true, false, false}), Lines{"**Tool"});
}

TEST(DescriptionFilters, KeptCharactersAndLeadingBlanks) {
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  EXPECT_EQ(KeepPlainChars(all), "\n\r ()-./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[]abcdefghijklmnopqrstuvwxyz");

  EXPECT_EQ(StripLeadingSpaces(""), "");
  EXPECT_EQ(StripLeadingSpaces("  Tool  "), "Tool  ");
  EXPECT_EQ(StripLeadingSpaces("   A"), "A");
  EXPECT_EQ(StripLeadingSpaces("    "), "    ");
}

// Ctrl-Z ends the text: what follows, such as a SAUCE record, is no description line.
TEST(DescriptionLines, CtrlZEndsTheText) {
  const std::string sauce = std::string(
                                "\x1A"
                                "SAUCE00Title\r\nMore\r\n") +
                            std::string(100, '\0');
  for (const auto& options : {kNoFilters, kBothFilters, ReadOptions{kAllLines, true, true, true}}) {
    EXPECT_EQ(SplitDescription("Tool 1.0\r\nDoes things\r\n" + sauce, options), (Lines{"Tool 1.0", "Does things"}));
  }
  EXPECT_EQ(SplitDescription("Tool 1.0\x1A\r\nnext\r\n", kNoFilters), Lines{"Tool 1.0"});
  EXPECT_EQ(SplitDescription("\x1ATool\r\n", kNoFilters), Lines{});

  DescriptionReader reader(LineFilters{});
  EXPECT_TRUE(reader.Feed("ab"));
  EXPECT_FALSE(
      reader.Feed("c\x1A"
                  "d\r\n"));
  EXPECT_FALSE(reader.Feed("more\r\n"));
  EXPECT_EQ(reader.Finish(), Lines{"abc"});

  testing_support::TempFolder folder;
  const std::string path = folder / "file_id.diz";
  testing_support::WriteText(path, "Art 1.0\r\n" + sauce);
  DescriptionBuffer buffer;
  EXPECT_TRUE(AnalyseDescriptionFile(path, kNoFilters, buffer));
  EXPECT_EQ(buffer, Lines{"Art 1.0"});
}

TEST(DescriptionReader, LongLineCarriesAcrossBlocks) {
  const std::string line(300, 'x');
  const std::string text = line + "\r\nnext\r\n";
  for (std::size_t block : {1u, 81u, 300u, 301u}) {
    DescriptionReader reader(LineFilters{});
    for (std::size_t at = 0; at < text.size(); at += block) reader.Feed(std::string_view(text).substr(at, block));
    EXPECT_EQ(reader.Finish(), (Lines{line, "next"})) << "block " << block;
  }
}

TEST(DescriptionFile, ReadsTheFileOrEmptiesTheBuffer) {
  EXPECT_EQ(DescriptionFilePath("C:\\Temp\\"), "C:\\Temp\\file_id.diz");
  testing_support::TempFolder folder;
  const std::string path = folder / "file_id.diz";
  testing_support::WriteText(path, "\tTool 2.0\r\nlast");
  DescriptionBuffer buffer{"old"};
  EXPECT_TRUE(AnalyseDescriptionFile(path, kNoFilters, buffer));
  EXPECT_EQ(buffer, (Lines{"Tool 2.0", "last"}));

  EXPECT_FALSE(AnalyseDescriptionFile(folder / "missing.diz", kNoFilters, buffer));
  EXPECT_TRUE(buffer.empty());
}

TEST(DescriptionFile, ReadsNoMoreThanOneMebibyte) {
  testing_support::TempFolder folder;
  const std::string path = folder / "file_id.diz";
  std::string big;
  for (int i = 0; i < 3 * 1024; ++i) big += std::string(1023, 'a') + "\n";
  testing_support::WriteText(path, big);
  DescriptionBuffer buffer;
  EXPECT_TRUE(AnalyseDescriptionFile(path, kNoFilters, buffer));
  EXPECT_EQ(buffer.size(), 1024u);
}

}  // namespace
}  // namespace quennex
