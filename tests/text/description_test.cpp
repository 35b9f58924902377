#include "description.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace quennex {
namespace {

using Lines = std::vector<std::string>;

ReadOptions NoFilters() { return ReadOptions{kAllLines, false, false, false}; }
ReadOptions BothFilters() { return ReadOptions{kAllLines, true, true, false}; }
ReadOptions OnlyStrip() { return ReadOptions{kAllLines, true, false, false}; }
ReadOptions OnlyPlain() { return ReadOptions{kAllLines, false, true, false}; }

TEST(DescriptionLines, EveryKindOfLineEndEndsOneLineAndBlankLinesVanish) {
  EXPECT_EQ(SplitDescription("ABC\r\n\r\n\r\nDEF\r\n", NoFilters()), (Lines{"ABC", "DEF"}));
  EXPECT_EQ(SplitDescription("ABC\n\n\nDEF\n", NoFilters()), (Lines{"ABC", "DEF"}));
  EXPECT_EQ(SplitDescription("ABC\rDEF\r", NoFilters()), (Lines{"ABC", "DEF"}));
  EXPECT_EQ(SplitDescription("ABC\n\rDEF\n\r", NoFilters()), (Lines{"ABC", "DEF"}));
  EXPECT_EQ(SplitDescription("\r\n\n\r\r", NoFilters()), Lines{});
  EXPECT_EQ(SplitDescription("", NoFilters()), Lines{});
}

TEST(DescriptionLines, TabsAreDroppedWithoutReplacement) {
  EXPECT_EQ(SplitDescription("a\t\tb\r\n", NoFilters()), Lines{"ab"});
  EXPECT_EQ(SplitDescription("\t\r\nx\r\n", NoFilters()), Lines{"x"});
}

TEST(DescriptionLines, LastLineWithoutLineEndIsKeptAndFiltered) {
  EXPECT_EQ(SplitDescription("Only line", NoFilters()), Lines{"Only line"});
  EXPECT_EQ(SplitDescription("First\r\n  **Second", BothFilters()), (Lines{"First", "Second"}));
  EXPECT_EQ(SplitDescription("First\r\n***", OnlyPlain()), Lines{"First"});
}

TEST(DescriptionLines, BytesPassUnconverted) {
  const std::string dos = "\xC9\xCD\xCD\xBB Tool \x84\r\n";
  EXPECT_EQ(SplitDescription(dos, NoFilters()), Lines{"\xC9\xCD\xCD\xBB Tool \x84"});
  EXPECT_EQ(SplitDescription(std::string("a\0b\n", 4), NoFilters()), Lines{std::string("a\0b", 3)});
}

TEST(DescriptionFilters, PlainCharsRunBeforeLeadingSpaces) {
  EXPECT_EQ(SplitDescription("**  Tool\r\n", BothFilters()), Lines{"Tool"});
  EXPECT_EQ(SplitDescription("  ***  Tool 1.0 ***\r\n", BothFilters()), Lines{"Tool 1.0 "});
  EXPECT_EQ(SplitDescription("   Tool\r\n  **Tool\r\n", OnlyStrip()), (Lines{"Tool", "**Tool"}));
}

TEST(DescriptionFilters, LinesOfHighBytesAndBlanks) {
  EXPECT_EQ(SplitDescription("\xB0\xB1\xB2\r\nok\r\n", OnlyPlain()), Lines{"ok"});
  EXPECT_EQ(SplitDescription("\xB0 \xB1 \xB2\r\n", OnlyPlain()), Lines{"  "});
  for (const auto& options : {NoFilters(), BothFilters(), OnlyStrip(), OnlyPlain()}) {
    EXPECT_EQ(SplitDescription("   \r\n", options), Lines{"   "});
  }
}

TEST(DescriptionFilters, KeepPlainCharsKeepsExactlyItsSet) {
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  EXPECT_EQ(KeepPlainChars(all), "\n\r ()-./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[]abcdefghijklmnopqrstuvwxyz");
  EXPECT_EQ(KeepPlainChars("a,b:c;d!e&f_g+h*i'j\\k"), "abcdefghijk");
}

TEST(DescriptionFilters, StripLeadingSpaces) {
  EXPECT_EQ(StripLeadingSpaces(""), "");
  EXPECT_EQ(StripLeadingSpaces("Tool  "), "Tool  ");
  EXPECT_EQ(StripLeadingSpaces("  Tool  "), "Tool  ");
  EXPECT_EQ(StripLeadingSpaces("   A"), "A");
  EXPECT_EQ(StripLeadingSpaces(" A"), "A");
  EXPECT_EQ(StripLeadingSpaces("    "), "    ");
}

TEST(DescriptionFilters, GuessModeForcesBothAndViewerModeForcesNone) {
  ReadOptions guess{kGuessLine, false, false, false};
  EXPECT_EQ(SplitDescription("  **Tool 1.0\r\n", guess), Lines{"Tool 1.0"});

  ReadOptions viewer{kGuessLine, true, true, true};
  EXPECT_EQ(SplitDescription("  **Tool 1.0\r\n", viewer), Lines{"  **Tool 1.0"});

  ReadOptions first_line{kFirstLine, true, false, false};
  EXPECT_EQ(SplitDescription("  **Tool\r\n", first_line), Lines{"**Tool"});
  ReadOptions all_plain{kAllLines, false, true, false};
  EXPECT_EQ(SplitDescription("  **Tool\r\n", all_plain), Lines{"  Tool"});
}

TEST(DescriptionReader, LongLineCarriesAcrossBlocks) {
  const std::string line(300, 'x');
  const std::string text = line + "\r\nnext\r\n";
  for (std::size_t block : {1u, 2u, 81u, 299u, 300u, 301u}) {
    DescriptionReader reader(LineFilters{});
    for (std::size_t at = 0; at < text.size(); at += block) reader.Feed(std::string_view(text).substr(at, block));
    EXPECT_EQ(reader.Finish(), (Lines{line, "next"})) << "block " << block;
  }
}

TEST(DescriptionReader, StopsTakingBytesAfterTheLimit) {
  DescriptionReader reader(LineFilters{});
  const std::string half(kMaxDescriptionBytes / 2, 'a');
  EXPECT_TRUE(reader.Feed(half));
  EXPECT_FALSE(reader.Feed(half + "\r\nignored\r\n"));
  EXPECT_FALSE(reader.Feed("more\r\n"));
  const Lines lines = reader.Finish();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), kMaxDescriptionBytes);
}

TEST(DescriptionFile, PathDropsTheTrailingNulOfTheTempFolder) {
  EXPECT_EQ(DescriptionFilePath(std::string("C:\\Temp\\\0", 9)), "C:\\Temp\\file_id.diz");
  EXPECT_EQ(DescriptionFilePath("C:\\Temp\\"), "C:\\Temp\\file_id.diz");
}

TEST(DescriptionFile, ReadsTheFileAndEmptiesTheBufferWhenItIsMissing) {
  testing_support::TempFolder folder;
  const std::string path = folder / "file_id.diz";
  testing_support::WriteText(path, std::string(500, 'y') + "\r\n\tTool 2.0\r\nlast");

  DescriptionBuffer buffer{"old"};
  EXPECT_TRUE(AnalyseDescriptionFile(path, NoFilters(), buffer));
  EXPECT_EQ(buffer, (Lines{std::string(500, 'y'), "Tool 2.0", "last"}));

  EXPECT_FALSE(AnalyseDescriptionFile(folder / "missing.diz", NoFilters(), buffer));
  EXPECT_TRUE(buffer.empty());

  testing_support::WriteText(path, "\r\n\r\n");
  buffer = {"old"};
  EXPECT_FALSE(AnalyseDescriptionFile(path, NoFilters(), buffer));
  EXPECT_TRUE(buffer.empty());
}

TEST(DescriptionFile, ReadsNoMoreThanTheLimit) {
  testing_support::TempFolder folder;
  const std::string path = folder / "file_id.diz";
  std::string big;
  for (int i = 0; i < 3 * 1024; ++i) big += std::string(1023, 'a') + "\n";  // 3 MiB of 1 KiB lines
  testing_support::WriteText(path, big);
  DescriptionBuffer buffer;
  EXPECT_TRUE(AnalyseDescriptionFile(path, NoFilters(), buffer));
  EXPECT_EQ(buffer.size(), 1024u);
}

TEST(DescriptionBuffer, LineBeyondTheEndReadsEmpty) {
  DescriptionBuffer buffer;
  EXPECT_EQ(BufferLine(buffer, 0), "");
  buffer = {"a"};
  EXPECT_EQ(BufferLine(buffer, 0), "a");
  EXPECT_EQ(BufferLine(buffer, 1), "");
}

}  // namespace
}  // namespace quennex
