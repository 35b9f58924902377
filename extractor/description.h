#pragma once
// Reading file_id.diz into the description buffer, and the two line filters.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quennex {

// The lines of the description in hand (the viewer's memo). Never holds an empty line after reading.
using DescriptionBuffer = std::vector<std::string>;

// Line i of the buffer; a line beyond its end reads as an empty text.
std::string_view BufferLine(const DescriptionBuffer& buffer, std::size_t i);

// "Lines to take" (RadioGroup1 item index).
enum LinesToTake : int { kAllLines = 0, kFirstLine = 1, kGuessLine = 2 };

// The controls the reader looks at, and the viewer's flag.
struct ReadOptions {
  int lines_to_take = kGuessLine;     // RadioGroup1
  bool remove_initial_spaces = true;  // CheckBox4
  bool remove_unusual_chars = false;  // CheckBox5
  bool viewer_mode = false;           // ViewerMode
};

struct LineFilters {
  bool strip_leading_spaces = false;
  bool keep_plain_chars = false;
};

// Check boxes first, guess mode forces both on, viewer mode forces both off.
LineFilters DecideFilters(const ReadOptions& options);

// Keeps letters, digits, blank, ( ) [ ] / - . and CR LF; drops every other byte.
std::string KeepPlainChars(std::string_view text);
// Drops the blanks at the start; a text of blanks only stays as it is.
std::string StripLeadingSpaces(std::string_view text);

// A description file is read up to this many bytes; the rest is ignored.
inline constexpr std::size_t kMaxDescriptionBytes = 1024 * 1024;
// Ctrl-Z, the DOS end of a text file: the description ends there, and what follows (a SAUCE record,
// padding) is no text.
inline constexpr char kEndOfText = '\x1A';

// Splits bytes into buffer lines as they arrive, in blocks of any size.
class DescriptionReader {
 public:
  explicit DescriptionReader(LineFilters filters) : filters_(filters) {}

  // Takes bytes until kMaxDescriptionBytes were taken in all or Ctrl-Z came; returns false from then on.
  bool Feed(std::string_view block);
  // Ends the text: a last line without a line end counts like any other.
  DescriptionBuffer Finish();

 private:
  void EndLine();

  LineFilters filters_;
  std::size_t taken_ = 0;
  bool ended_ = false;  // Ctrl-Z was met
  std::string current_;
  DescriptionBuffer lines_;
};

// The whole text at once.
DescriptionBuffer SplitDescription(std::string_view bytes, const ReadOptions& options);

// "file_id.diz" inside the temp folder; temp_dir ends with a backslash.
std::string DescriptionFilePath(std::string_view temp_dir);

// Replaces buffer with the lines of the file at path (opened without sharing). A missing or unreadable
// file leaves the buffer empty. True when the buffer holds at least one line.
bool AnalyseDescriptionFile(const std::string& path, const ReadOptions& options, DescriptionBuffer& buffer);

}  // namespace quennex
