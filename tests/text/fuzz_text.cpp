// libFuzzer entry for the text path: description bytes are read in blocks of any size, guessed over,
// and written by the four catalogue writers in the order of a run. Built natively by scripts/fuzz.sh;
// not part of the Windows build.
//
// Input: an options byte, a byte for the word length and the best-match pick, a block size byte, then
// fields split at 0xFF: the archive name, the custom string and up to three descriptions.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"

namespace quennex {
namespace {

[[noreturn]] void Fail(const char* what, std::string_view line) {
  std::fprintf(stderr, "fuzz_text: %s in \"%.*s\"\n", what, static_cast<int>(std::min<std::size_t>(line.size(), 200)),
               line.data());
  std::abort();
}

constexpr char kSeparator = '\xFF';

std::vector<std::string> SplitAt(std::string_view rest, char separator) {
  std::vector<std::string> fields;
  for (;;) {
    const std::size_t end = rest.find(separator);
    fields.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos) return fields;
    rest.remove_prefix(end + 1);
  }
}

// What the file system and a one-line edit box can hand over: no control characters in a name, no
// line end or Ctrl-Z in the custom string.
std::string Without(std::string text, bool (*dropped)(unsigned char)) {
  text.erase(std::remove_if(text.begin(), text.end(), [&](char c) { return dropped(static_cast<unsigned char>(c)); }),
             text.end());
  return text;
}
bool NotInAName(unsigned char c) { return c < 32 || c == '\\' || c == '/'; }
bool NotInAnEditBox(unsigned char c) { return c == '\r' || c == '\n' || c == kEndOfText; }

std::string Folded(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

bool IsPlain(unsigned char c) { return KeepPlainChars(std::string(1, static_cast<char>(c))).size() == 1; }

void CheckLines(const DescriptionBuffer& lines, const LineFilters& filters) {
  for (const std::string& line : lines) {
    if (line.empty()) Fail("an empty buffer line", line);
    if (line.find_first_of("\r\n\t\x1A") != std::string::npos) Fail("a line end, TAB or Ctrl-Z in a line", line);
    if (filters.keep_plain_chars && !std::all_of(line.begin(), line.end(), [](char c) { return IsPlain(c); })) {
      Fail("a byte the plain-character filter drops", line);
    }
    if (filters.strip_leading_spaces && line[0] == ' ' && line.find_first_not_of(' ') != std::string::npos) {
      Fail("a leading blank left", line);
    }
  }
}

// Reads in blocks of block bytes and checks the result against reading all at once.
DescriptionBuffer Read(std::string_view bytes, const ReadOptions& options, std::size_t block) {
  const LineFilters filters = DecideFilters(options);
  DescriptionReader reader(filters);
  for (std::size_t at = 0; at < bytes.size(); at += block) {
    if (!reader.Feed(bytes.substr(at, block))) break;
  }
  DescriptionBuffer lines = reader.Finish();
  if (lines != SplitDescription(bytes, options)) Fail("block reading differs from whole reading", bytes);
  const std::size_t end_mark = bytes.find(kEndOfText);
  if (end_mark != std::string_view::npos && lines != SplitDescription(bytes.substr(0, end_mark), options)) {
    Fail("text after Ctrl-Z was taken", bytes);
  }
  CheckLines(lines, filters);
  return lines;
}

// Splits a Files.csv line into fields as a CSV reader would; fails on a quote out of place.
std::vector<std::string> CsvFields(std::string_view line) {
  std::vector<std::string> fields(1);
  std::size_t i = 0;
  while (i <= line.size()) {
    std::string& field = fields.back();
    if (i < line.size() && line[i] == '"') {
      for (++i;; ++i) {
        if (i >= line.size()) Fail("an unclosed quoted field", line);
        if (line[i] != '"') {
          field += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          break;
        }
      }
      ++i;
      if (i < line.size() && line[i] != ';') Fail("text after a closing quote", line);
    } else {
      const std::size_t end = std::min(line.find(';', i), line.size());
      field.assign(line.substr(i, end - i));
      if (field.find('"') != std::string::npos) Fail("a quote in an unquoted field", line);
      i = end;
    }
    if (i >= line.size()) break;
    ++i;  // the ';'
    fields.emplace_back();
    if (i == line.size()) break;
  }
  return fields;
}

std::vector<std::string> TextLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) Fail("a last line without CR LF", bytes.substr(at));
    lines.push_back(bytes.substr(at, end - at));
    if (lines.back().find_first_of("\r\n") != std::string::npos) Fail("a CR or LF inside a line", lines.back());
    if (lines.back().find(kEndOfText) != std::string::npos) Fail("Ctrl-Z in a catalogue", lines.back());
    at = end + 2;
  }
  return lines;
}

class MemoryFile : public TextOutput {
 public:
  MemoryFile(std::map<std::string, std::string>& files, std::string path) : files_(files), path_(std::move(path)) {}
  bool Write(std::string_view bytes) override {
    bytes_ += bytes;
    return true;
  }
  bool Commit() override {
    files_[path_] = bytes_;
    return true;
  }

 private:
  std::map<std::string, std::string>& files_;
  std::string path_;
  std::string bytes_;
};

void Run(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return;
  const std::uint8_t options_byte = data[0], guess_byte = data[1];
  const std::size_t block = 1 + data[2] % 97;
  std::vector<std::string> fields =
      SplitAt(std::string_view(reinterpret_cast<const char*>(data) + 3, size - 3), kSeparator);
  fields.resize(std::max<std::size_t>(fields.size(), 3));
  const std::string name = Without(fields[0], NotInAName);
  const std::string custom = Without(fields[1], NotInAnEditBox);

  ReadOptions read{options_byte % 3, (options_byte & 4) != 0, (options_byte & 8) != 0, false};
  WriterJob job;
  job.source_folder = "S:\\In";
  job.target_folder = "T:\\Out";
  job.custom = custom;
  job.lines_to_take = read.lines_to_take;
  job.guess = {(options_byte & 16) ? kWord : kVersionNumber, 3 + guess_byte % 7, (options_byte & 32) != 0};
  std::map<std::string, std::string> descriptions;  // archive path -> bytes
  for (std::size_t i = 2; i < fields.size() && i < 5; ++i) {
    const std::string archive = std::to_string(i - 1) + name + ".ZIP";
    job.items.push_back({archive, std::to_string(fields[i].size()), "01-15-03", !fields[i].empty()});
    descriptions["S:\\In\\" + archive] = fields[i];
  }

  // The viewer's reading: no filter at all.
  for (const auto& [path, bytes] : descriptions) {
    Read(bytes, ReadOptions{read.lines_to_take, true, true, true}, block);
  }

  std::map<std::string, std::string> files;
  std::vector<SheetCell> sheet;
  WriterHooks hooks;
  hooks.read_description = [&](int, const std::string& path, DescriptionBuffer& buffer) {
    buffer = Read(descriptions.at(path), read, block);
    return !buffer.empty();
  };
  hooks.confirm_overwrite = [](const std::string&) { return true; };
  hooks.open_text = [&](const std::string& path) { return std::make_unique<MemoryFile>(files, path); };
  hooks.save_sheet = [&](const std::string&, const std::vector<SheetCell>& cells) {
    sheet = cells;
    return true;
  };
  hooks.ask_user = [&](std::int32_t, std::vector<std::string>& candidates) {
    if (candidates.size() < 2) Fail("asked about fewer than two lines", "");
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      for (std::size_t j = i + 1; j < candidates.size(); ++j) {
        if (Folded(candidates[i]) == Folded(candidates[j])) Fail("asked about repeated lines", candidates[j]);
      }
    }
    return BestMatch{candidates[(guess_byte / 7) % candidates.size()], (guess_byte & 128) != 0};
  };

  DescriptionBuffer buffer;
  GuessState state;
  for (Catalogue catalogue :
       {Catalogue::kFilesBbs, Catalogue::kDescriptIon, Catalogue::kFilesXls, Catalogue::kFilesCsv}) {
    job.catalogue = catalogue;
    const WriterResult result = RunCatalogueWriter(job, buffer, state, hooks);
    if (result.outcome != WriterOutcome::kGenerated)
      Fail("a writer did not generate its file", OutputFileName(catalogue));
  }

  const std::size_t green = static_cast<std::size_t>(
      std::count_if(job.items.begin(), job.items.end(), [](const ListItem& item) { return item.green; }));
  for (Catalogue catalogue : {Catalogue::kFilesBbs, Catalogue::kDescriptIon}) {
    const std::vector<std::string> lines = TextLines(files.at(OutputPath(job.target_folder, catalogue)));
    if (job.lines_to_take != kAllLines && lines.size() > green) Fail("more than one line per archive", "");
  }

  const std::vector<std::string> custom_parts = SplitAt(custom, ';');  // each ';' starts a field
  const std::vector<std::string> csv = TextLines(files.at(OutputPath(job.target_folder, Catalogue::kFilesCsv)));
  if (csv.size() > green) Fail("more than one Files.csv line per archive", "");
  for (const std::string& line : csv) {
    const std::vector<std::string> parsed = CsvFields(line);
    if (parsed.size() != 3 + custom_parts.size()) Fail("a Files.csv line with the wrong number of fields", line);
    if (parsed[0].substr(1) != name + ".ZIP" || parsed[2] != "01-15-03") Fail("a name or date changed", line);
    const std::string& head = custom_parts.front();
    if (parsed[3].size() < head.size() + 1 ||
        parsed[3].compare(parsed[3].size() - head.size() - 1, std::string::npos, " " + head) != 0) {
      Fail("the custom string missing after the description", line);
    }
    if (!std::equal(custom_parts.begin() + 1, custom_parts.end(), parsed.begin() + 4)) {
      Fail("the custom string's fields changed", line);
    }
  }

  for (const SheetCell& cell : sheet) {
    if (cell.text.size() > kMaxLabelBytes) Fail("a sheet text longer than the sheet keeps", cell.text);
  }
}

}  // namespace
}  // namespace quennex

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quennex::Run(data, size);
  return 0;
}
