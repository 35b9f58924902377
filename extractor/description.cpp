#include "description.h"

#include <cstdio>
#include <memory>
#ifdef _WIN32
#include <share.h>
#endif

namespace quennex {

std::string_view BufferLine(const DescriptionBuffer& buffer, std::size_t i) {
  return i < buffer.size() ? std::string_view(buffer[i]) : std::string_view();
}

LineFilters DecideFilters(const ReadOptions& options) {
  LineFilters filters{options.remove_initial_spaces, options.remove_unusual_chars};
  if (options.lines_to_take == kGuessLine) filters = {true, true};
  if (options.viewer_mode) filters = {false, false};
  return filters;
}

namespace {

bool IsPlainChar(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case ' ':
    case '(':
    case ')':
    case '[':
    case ']':
    case '/':
    case '-':
    case '.':
    case '\r':
    case '\n':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string KeepPlainChars(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  for (char c : text) {
    if (IsPlainChar(static_cast<unsigned char>(c))) kept.push_back(c);
  }
  return kept;
}

std::string StripLeadingSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::string(text);
  return std::string(text.substr(first));
}

bool DescriptionReader::Feed(std::string_view block) {
  const std::size_t room = kMaxDescriptionBytes - taken_;
  if (block.size() > room) block = block.substr(0, room);
  taken_ += block.size();
  for (char c : block) {
    if (c == '\r' || c == '\n') {
      EndLine();
    } else if (c != '\t') {
      current_.push_back(c);
    }
  }
  return taken_ < kMaxDescriptionBytes;
}

void DescriptionReader::EndLine() {
  std::string line = std::move(current_);
  current_.clear();
  if (filters_.keep_plain_chars) line = KeepPlainChars(line);
  if (filters_.strip_leading_spaces) line = StripLeadingSpaces(line);
  if (!line.empty()) lines_.push_back(std::move(line));
}

DescriptionBuffer DescriptionReader::Finish() {
  if (!current_.empty()) EndLine();
  DescriptionBuffer lines = std::move(lines_);
  lines_.clear();
  taken_ = 0;
  return lines;
}

DescriptionBuffer SplitDescription(std::string_view bytes, const ReadOptions& options) {
  DescriptionReader reader(DecideFilters(options));
  reader.Feed(bytes);
  return reader.Finish();
}

std::string DescriptionFilePath(std::string_view temp_dir) {
  std::string path(temp_dir);
  path += "file_id.diz";
  return path;
}

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::FILE* OpenUnshared(const std::string& path) {
#ifdef _WIN32
  // No sharing, like the extraction that wrote it expects.
  return _fsopen(path.c_str(), "rb", _SH_DENYRW);
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

}  // namespace

bool AnalyseDescriptionFile(const std::string& path, const ReadOptions& options, DescriptionBuffer& buffer) {
  buffer.clear();
  std::unique_ptr<std::FILE, FileCloser> file(OpenUnshared(path));
  if (!file) return false;
  DescriptionReader reader(DecideFilters(options));
  char block[4096];
  for (;;) {
    const std::size_t got = std::fread(block, 1, sizeof block, file.get());
    if (got == 0) break;  // end of file or a read error
    if (!reader.Feed(std::string_view(block, got))) break;
  }
  buffer = reader.Finish();
  return !buffer.empty();
}

}  // namespace quennex
