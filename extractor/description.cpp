#include "description.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <memory>

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
  if (ended_) return false;
  const std::size_t room = kMaxDescriptionBytes - taken_;
  if (block.size() > room) block = block.substr(0, room);
  const std::size_t end_mark = block.find(kEndOfText);
  if (end_mark != std::string_view::npos) {
    block = block.substr(0, end_mark);
    ended_ = true;
  }
  taken_ += block.size();
  for (char c : block) {
    if (c == '\r' || c == '\n') {
      EndLine();
    } else if (c != '\t') {
      current_.push_back(c);
    }
  }
  return !ended_ && taken_ < kMaxDescriptionBytes;
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
  ended_ = false;
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

// The file through the system's own calls: one open, one read for a small file, one close. The
// runtime's open and read cost several more system calls each under Wine. Read gives the bytes read,
// 0 at the end, below 0 on an error.
#ifdef _WIN32
class UnsharedFile {
 public:
  // No sharing, like the extraction that wrote it expects.
  explicit UnsharedFile(const std::string& path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~UnsharedFile() {
    if (ok()) CloseHandle(handle_);
  }
  UnsharedFile(const UnsharedFile&) = delete;
  UnsharedFile& operator=(const UnsharedFile&) = delete;

  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  long Read(char* buffer, unsigned size) {
    DWORD got = 0;
    return ReadFile(handle_, buffer, size, &got, nullptr) ? static_cast<long>(got) : -1;
  }

 private:
  HANDLE handle_;
};
#else
class UnsharedFile {
 public:
  explicit UnsharedFile(const std::string& path) : fd_(open(path.c_str(), O_RDONLY)) {}
  ~UnsharedFile() {
    if (ok()) close(fd_);
  }
  UnsharedFile(const UnsharedFile&) = delete;
  UnsharedFile& operator=(const UnsharedFile&) = delete;

  bool ok() const { return fd_ >= 0; }
  long Read(char* buffer, unsigned size) { return read(fd_, buffer, size); }

 private:
  int fd_;
};
#endif

}  // namespace

bool AnalyseDescriptionFile(const std::string& path, const ReadOptions& options, DescriptionBuffer& buffer) {
  buffer.clear();
  UnsharedFile file(path);
  if (!file.ok()) return false;
  DescriptionReader reader(DecideFilters(options));
  constexpr unsigned kBlock = 64 * 1024;
  const auto block = std::make_unique_for_overwrite<char[]>(kBlock);
  for (;;) {
    const long got = file.Read(block.get(), kBlock);
    if (got <= 0) break;  // end of file or a read error
    if (!reader.Feed(std::string_view(block.get(), static_cast<std::size_t>(got)))) break;
    // A short read of a file on disk is its end; asking again would cost another call.
    if (static_cast<std::size_t>(got) < kBlock) break;
  }
  buffer = reader.Finish();
  return !buffer.empty();
}

}  // namespace quennex
