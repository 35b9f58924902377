#include "catalogue.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <iterator>
#include <optional>

namespace quennex {

const char* OutputFileName(Catalogue catalogue) {
  switch (catalogue) {
    case Catalogue::kFilesBbs:
      return "Files.BBS";
    case Catalogue::kDescriptIon:
      return "Descript.ION";
    case Catalogue::kFilesXls:
      return "Files.xls";
    case Catalogue::kFilesCsv:
      return "Files.csv";
  }
  return "";
}

std::string OutputPath(std::string_view target_folder, Catalogue catalogue) {
  std::string path(target_folder);
  path += '\\';
  path += OutputFileName(catalogue);
  return path;
}

std::string ReportLine(Catalogue catalogue, bool generated) {
  switch (catalogue) {
    case Catalogue::kFilesBbs:
      return generated ? "Files.BBS generated.\r" : "Could not create Files.BBS.\r";
    case Catalogue::kDescriptIon:
      return generated ? "Descript.ION generated.\r" : "Could not create Descript.ION.\r";
    case Catalogue::kFilesXls:
      return generated ? "Excel file generated.\r" : "Could not create Excel file.\r";
    case Catalogue::kFilesCsv:
      return generated ? "CSV file generated.\r" : "Could not create CSV file.\r";
  }
  return "";
}

std::string ProgressText(Catalogue catalogue, int k, int n, int pass) {
  const std::string of = std::to_string(k) + "/" + std::to_string(n);
  switch (catalogue) {
    case Catalogue::kFilesBbs:
      return "Generating Files.BBS part " + of + " pass " + std::to_string(pass) + "/2";
    case Catalogue::kDescriptIon:
      return "Generating Descript.ION part " + of + " pass " + std::to_string(pass) + "/2";
    case Catalogue::kFilesXls:
      return "Generating Excelfile " + of;
    case Catalogue::kFilesCsv:
      return "Generating CSV file " + of;
  }
  return "";
}

std::string SheetLeftOutLine(int archives) {
  if (archives == 1) return "1 archive did not fit into the Excel file and was left out.\r";
  return std::to_string(archives) + " archives did not fit into the Excel file and were left out.\r";
}

std::string OverwriteQuestion(std::string_view path) {
  return "Please confirm to allow overwriting\r" + std::string(path);
}

void CatalogueText::AddLine(std::string_view line) {
  pending_ += line;
  pending_ += "\r\n";
  if (pending_.size() >= kPieceBytes) WritePending();
}

void CatalogueText::WritePending() {
  if (!output_) failed_ = true;
  if (!failed_ && !pending_.empty()) {
    try {
      failed_ = !output_->Write(pending_);
    } catch (...) {
      failed_ = true;
    }
  }
  pending_.clear();
}

bool CatalogueText::Commit() {
  WritePending();
  if (failed_) return false;
  try {
    return output_->Commit();
  } catch (...) {
    return false;
  }
}

std::string DescriptIonName(std::string_view name) {
  if (name.find(' ') == std::string_view::npos) return std::string(name);
  std::string quoted;
  quoted.reserve(name.size() + 2);
  quoted += '"';
  quoted += name;
  quoted += '"';
  return quoted;
}

namespace {

std::string ShownName(Catalogue catalogue, std::string_view name) {
  return catalogue == Catalogue::kDescriptIon ? DescriptIonName(name) : std::string(name);
}

std::string PadRight(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string PadLeft(std::string_view text, std::size_t width) {
  std::string padded;
  if (text.size() < width) padded.assign(width - text.size(), ' ');
  padded += text;
  return padded;
}

}  // namespace

ColumnWidths MeasureListColumns(const std::vector<ListItem>& items, Catalogue catalogue) {
  ColumnWidths widths;
  for (const auto& item : items) {
    if (!item.green) continue;
    widths.name = std::max(widths.name, ShownName(catalogue, item.name).size());
    if (catalogue == Catalogue::kFilesBbs) widths.size = std::max(widths.size, item.size.size());
  }
  return widths;
}

std::size_t ContinuationIndent(Catalogue catalogue, const ColumnWidths& widths) {
  return catalogue == Catalogue::kFilesBbs ? widths.name + widths.size + 16 : widths.name;
}

std::string EntryFirstLine(Catalogue catalogue, const ColumnWidths& widths, const ListItem& item,
                           std::string_view line0, std::string_view custom) {
  std::string line = PadRight(ShownName(catalogue, item.name), widths.name);
  if (catalogue == Catalogue::kFilesBbs) {
    line += "  ";
    line += PadLeft(item.size, widths.size);
    line += "  ";
    line += item.date;
    line += "  ";
  } else {
    line += ' ';
  }
  line += line0;
  if (!custom.empty()) {
    // Custom strings line up three blanks after the widest first line.
    if (line0.size() <= widths.first_line + 1) line.append(widths.first_line + 1 - line0.size(), ' ');
    line += "  ";
    line += custom;
  }
  return line;
}

std::string EntryContinuationLine(Catalogue catalogue, const ColumnWidths& widths, std::string_view line) {
  std::string text(ContinuationIndent(catalogue, widths), ' ');
  text += line;
  return text;
}

std::string RemoveSemicolons(std::string_view text) {
  std::string kept;
  kept.reserve(text.size());
  std::copy_if(text.begin(), text.end(), std::back_inserter(kept), [](char c) { return c != ';'; });
  return kept;
}

std::string CsvField(std::string_view text) {
  if (text.find_first_of(";\"") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  return quoted;
}

std::string CsvLine(const ListItem& item, std::string_view line0, std::string_view custom) {
  std::string line = CsvField(item.name) + ";" + item.size + ";" + item.date + ";";
  // The custom string's first part shares the description's field; each ';' in it starts another.
  std::size_t part_end = custom.find(';');
  std::string description = RemoveSemicolons(line0);
  description += ' ';
  description += custom.substr(0, part_end);
  line += CsvField(description);
  while (part_end != std::string_view::npos) {
    const std::size_t part_start = part_end + 1;
    part_end = custom.find(';', part_start);
    line += ';';
    line += CsvField(custom.substr(part_start, part_end - part_start));  // to the end when part_end is npos
  }
  return line;
}

std::vector<SheetCell> SheetHeaderCells() {
  static const char* const kHeads[] = {"Filename", "Size", "Date", "Description", "Comment"};
  std::vector<SheetCell> cells;
  std::uint16_t column = 1;
  for (const char* head : kHeads) cells.push_back({1, column++, CellKind::kLabel, head, 0});
  return cells;
}

namespace {

std::string SheetText(std::string_view text) { return std::string(text.substr(0, kMaxLabelBytes)); }

}  // namespace

std::vector<SheetCell> SheetRowCells(std::uint16_t row, const ListItem& item, std::string_view line0,
                                     std::string_view custom) {
  std::vector<SheetCell> cells;
  cells.push_back({row, 1, CellKind::kString, SheetText(item.name), 0});
  cells.push_back({row, 2, CellKind::kNumber, "", SizeValue(item.size)});
  cells.push_back({row, 3, CellKind::kString, SheetText(item.date), 0});
  cells.push_back({row, 4, CellKind::kString, SheetText(line0), 0});
  if (!custom.empty()) cells.push_back({row, 5, CellKind::kString, SheetText(custom), 0});
  return cells;
}

double SizeValue(std::string_view size_text) {
  std::int64_t value = 0;
  const char* first = size_text.data();
  const char* last = first + size_text.size();
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last) return 0;
  return static_cast<double>(value);
}

namespace {

// Calls a window-side hook that may throw; any error counts as false.
template <typename Fn, typename... Args>
bool Guarded(const Fn& fn, Args&&... args) {
  if (!fn) return false;
  try {
    return fn(std::forward<Args>(args)...);
  } catch (...) {
    return false;
  }
}

class WriterRun {
 public:
  WriterRun(WriterJob& job, DescriptionBuffer& buffer, GuessState& state, const WriterHooks& hooks)
      : job_(job), buffer_(buffer), state_(state), hooks_(hooks), n_(static_cast<int>(job.items.size())) {}

  WriterResult Run() {
    if (StopRequested()) return {};
    if (hooks_.begin_progress) hooks_.begin_progress(n_);
    WriterResult result;
    // Whatever goes wrong (memory too), the writer reports its file as not created and the run goes on.
    try {
      switch (job_.catalogue) {
        case Catalogue::kFilesBbs:
        case Catalogue::kDescriptIon:
          result = RunTwoPass();
          break;
        case Catalogue::kFilesCsv:
          result = RunCsv();
          break;
        case Catalogue::kFilesXls:
          result = RunXls();
          break;
      }
    } catch (...) {
      result = Finish(false);
    }
    if (job_.catalogue == Catalogue::kFilesBbs || job_.catalogue == Catalogue::kDescriptIon) MarkGuessPassDone();
    if (hooks_.end_progress) hooks_.end_progress();
    return result;
  }

 private:
  bool StopRequested() const { return hooks_.stop_requested && hooks_.stop_requested(); }

  // The item loop: calls on_item for each green item whose description was read, with the buffer
  // filled and CurrentItemIndex set. skip lets a writer pass over items without reading them.
  // False when a stop ended it.
  template <typename OnItem>
  bool ItemLoop(int pass, const OnItem& on_item, const std::function<bool()>& skip = {}) {
    for (int i = 0; i < n_; ++i) {
      const ListItem& item = job_.items[static_cast<std::size_t>(i)];
      if (item.green && !(skip && skip())) {
        const std::string archive = job_.source_folder + "\\" + item.name;
        if (hooks_.read_description && hooks_.read_description(i, archive, buffer_)) {
          state_.CurrentItemIndex = i;
          on_item(item);
        }
      }
      if (StopRequested()) {
        if (hooks_.status) hooks_.status(kUserAbortText);
        return false;
      }
      if (hooks_.progress) hooks_.progress(i, ProgressText(job_.catalogue, i + 1, n_, pass));
    }
    return true;
  }

  void Guess() {
    if (job_.lines_to_take == kGuessLine) GuessDescriptionLine(buffer_, job_.guess, state_, hooks_.ask_user);
  }

  WriterResult Finish(bool generated) {
    return {generated ? WriterOutcome::kGenerated : WriterOutcome::kFailed, ReportLine(job_.catalogue, generated)};
  }

  // The text catalogue's file is opened before its lines are built. When that fails the lines are
  // built all the same (the guess may ask about them) and the failure shows at the save.
  CatalogueText OpenText() {
    std::unique_ptr<TextOutput> output;
    if (hooks_.open_text) {
      try {
        output = hooks_.open_text(OutputPath(job_.target_folder, job_.catalogue));
      } catch (...) {
        output.reset();
      }
    }
    return CatalogueText(std::move(output));
  }

  WriterResult SaveText(CatalogueText& text) {
    const std::string path = OutputPath(job_.target_folder, job_.catalogue);
    const bool saved = Guarded(hooks_.confirm_overwrite, path) && text.Commit();
    return Finish(saved);
  }

  // Later guesses of the run replay once a two-pass writer went over a green item. Its passes come
  // after the columns were measured; a writer that failed before that went over none.
  void MarkGuessPassDone() {
    const bool any_green = std::any_of(job_.items.begin(), job_.items.end(), [](const ListItem& i) { return i.green; });
    if (state_.GuessPassDone != 0 || !measured_name_width_ || !any_green) return;
    state_.GuessPassDone = static_cast<std::int32_t>(std::clamp<std::size_t>(*measured_name_width_, 1, INT32_MAX));
  }

  WriterResult RunTwoPass() {
    const Catalogue catalogue = job_.catalogue;
    ColumnWidths widths = MeasureListColumns(job_.items, catalogue);
    measured_name_width_ = widths.name;

    const bool measured = ItemLoop(
        1, [&](const ListItem&) { widths.first_line = std::max(widths.first_line, BufferLine(buffer_, 0).size()); });

    WriterResult result{WriterOutcome::kStoppedUnsaved, {}};
    if (measured) {
      CatalogueText text = OpenText();
      int entries = 0;
      const bool completed = ItemLoop(2, [&](const ListItem& item) {
        // How many lines to take is fixed before the guess cuts the buffer down.
        const std::size_t count = job_.lines_to_take == kAllLines ? std::max<std::size_t>(buffer_.size(), 1) : 1;
        Guess();
        text.AddLine(EntryFirstLine(catalogue, widths, item, BufferLine(buffer_, 0), job_.custom));
        for (std::size_t t = 1; t < count; ++t) {
          text.AddLine(EntryContinuationLine(catalogue, widths, BufferLine(buffer_, t)));
        }
        ++entries;
      });
      // Stopped before a single entry was built: keep whatever file is there.
      if (completed || entries > 0) result = SaveText(text);
    }
    return result;
  }

  WriterResult RunCsv() {
    CatalogueText text = OpenText();
    int lines = 0;
    const bool completed = ItemLoop(1, [&](const ListItem& item) {
      Guess();
      text.AddLine(CsvLine(item, BufferLine(buffer_, 0), job_.custom));
      ++lines;
    });
    if (!completed && lines == 0) return {WriterOutcome::kStoppedUnsaved, {}};
    return SaveText(text);
  }

  WriterResult RunXls() {
    const std::string path = OutputPath(job_.target_folder, job_.catalogue);
    if (!Guarded(hooks_.confirm_overwrite, path)) return Finish(false);
    std::vector<SheetCell> cells = SheetHeaderCells();
    std::uint32_t row = 2;
    // Rows past the sheet's last one are not read at all; the report says how many were left out.
    int left_out = 0;
    const std::function<bool()> sheet_full = [&] {
      if (row <= kLastSheetRow) return false;
      ++left_out;
      return true;
    };
    const bool completed = ItemLoop(
        1,
        [&](const ListItem& item) {
          Guess();
          auto row_cells = SheetRowCells(static_cast<std::uint16_t>(row), item, BufferLine(buffer_, 0), job_.custom);
          cells.insert(cells.end(), row_cells.begin(), row_cells.end());
          ++row;
        },
        sheet_full);
    if (!completed && row == 2) return {WriterOutcome::kStoppedUnsaved, {}};
    WriterResult result = Finish(Guarded(hooks_.save_sheet, path, cells));
    if (result.outcome == WriterOutcome::kGenerated && left_out > 0) result.report_line += SheetLeftOutLine(left_out);
    return result;
  }

  WriterJob& job_;
  DescriptionBuffer& buffer_;
  GuessState& state_;
  const WriterHooks& hooks_;
  const int n_;
  std::optional<std::size_t> measured_name_width_;
};

}  // namespace

WriterResult RunCatalogueWriter(WriterJob& job, DescriptionBuffer& buffer, GuessState& state,
                                const WriterHooks& hooks) {
  return WriterRun(job, buffer, state, hooks).Run();
}

}  // namespace quennex
