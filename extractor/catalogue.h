#pragma once
// The four catalogues: their line layouts, worksheet rows, report texts, and the writer that walks the list.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "biffsheet.h"
#include "description.h"
#include "guess.h"

namespace quennex {

// One item of the archive list, as the writers read it.
struct ListItem {
  std::string name;    // caption, the file name as listed
  std::string size;    // first sub-item, bytes in decimal
  std::string date;    // second sub-item, "mm-dd-yy"
  bool green = false;  // LED 1: file_id.diz was found
};

// In the order Go calls the writers.
enum class Catalogue { kFilesBbs, kDescriptIon, kFilesXls, kFilesCsv };

const char* OutputFileName(Catalogue catalogue);
// target + "\" + file name; the folder text is used as it stands.
std::string OutputPath(std::string_view target_folder, Catalogue catalogue);
// "Files.BBS generated.\r" and the like; each ends in a single CR.
std::string ReportLine(Catalogue catalogue, bool generated);
// Follows "Excel file generated.\r" when green archives found no row left in the sheet.
std::string SheetLeftOutLine(int archives);
// Status text after list item k of n; pass is 1 or 2 for the two-pass writers and ignored otherwise.
std::string ProgressText(Catalogue catalogue, int k, int n, int pass);
inline constexpr char kUserAbortText[] = "User Abort";
// The overwrite question's text (its second line is the path).
std::string OverwriteQuestion(std::string_view path);

// A text catalogue on its way to the target folder: its bytes go out while the lines are built, and the
// file takes the place of any old one only at Commit. Destroyed uncommitted, it leaves nothing behind.
class TextOutput {
 public:
  virtual ~TextOutput() = default;
  // False when the bytes could not be written.
  virtual bool Write(std::string_view bytes) = 0;
  // Puts the file in place; false when that failed.
  virtual bool Commit() = 0;
};

// Lines, each followed by CR LF, handed to the output in pieces of about kPieceBytes, so a catalogue
// never has to fit in memory. Without an output (it could not be opened) the lines go nowhere and
// Commit fails. Anything the output throws counts as failure.
class CatalogueText {
 public:
  static constexpr std::size_t kPieceBytes = 256 * 1024;

  explicit CatalogueText(std::unique_ptr<TextOutput> output) : output_(std::move(output)) {}
  void AddLine(std::string_view line);
  // Writes what is left and puts the file in place; true when every step succeeded.
  bool Commit();

 private:
  void WritePending();

  std::unique_ptr<TextOutput> output_;
  std::string pending_;
  bool failed_ = false;
};

// Column widths of Files.BBS and Descript.ION.
struct ColumnWidths {
  std::size_t name = 0;
  std::size_t size = 0;        // Files.BBS only
  std::size_t first_line = 0;  // widest line 0 met in the measuring pass
};

// The name as Descript.ION writes it: in double quotes when it holds a blank.
std::string DescriptIonName(std::string_view name);
// Name and size widths over the green items (name as written, so Descript.ION counts its quotes).
ColumnWidths MeasureListColumns(const std::vector<ListItem>& items, Catalogue catalogue);
// Blanks before a continuation line: Files.BBS name + size + 16, Descript.ION name.
std::size_t ContinuationIndent(Catalogue catalogue, const ColumnWidths& widths);
// First line of an entry of Files.BBS or Descript.ION, without its line end.
std::string EntryFirstLine(Catalogue catalogue, const ColumnWidths& widths, const ListItem& item,
                           std::string_view line0, std::string_view custom);
std::string EntryContinuationLine(Catalogue catalogue, const ColumnWidths& widths, std::string_view line);

std::string RemoveSemicolons(std::string_view text);
// The text as a CSV field: in double quotes, inner ones doubled, only when it holds ';' or '"'.
std::string CsvField(std::string_view text);
// name;size;date;description without semicolons, a blank, the custom string, whose semicolons start
// further fields. Each field goes through CsvField.
std::string CsvLine(const ListItem& item, std::string_view line0, std::string_view custom);

// Worksheet cells, in the order the sheet component gets them. Rows and columns count from 1.
enum class CellKind { kLabel, kString, kNumber };  // WriteLabelAt, WriteStringAt, WriteNumberAt
struct SheetCell {
  std::uint16_t row = 0;
  std::uint16_t column = 0;
  CellKind kind = CellKind::kString;
  std::string text;
  double number = 0;
};
inline constexpr std::uint16_t kLastSheetRow = 65535;
// Sheet cells are cut to what a LABEL record keeps (kMaxLabelBytes) when they are made.
std::vector<SheetCell> SheetHeaderCells();
// A custom string adds a fifth cell only when it is not empty.
std::vector<SheetCell> SheetRowCells(std::uint16_t row, const ListItem& item, std::string_view line0,
                                     std::string_view custom);
// The size text as a number; 0 for a text that is not a whole number.
double SizeValue(std::string_view size_text);

// What one writer works from, gathered from the main window when it starts.
struct WriterJob {
  Catalogue catalogue = Catalogue::kFilesBbs;
  std::vector<ListItem> items;  // every list item, in the list's order
  std::string source_folder;    // Edit1
  std::string target_folder;    // Edit3
  std::string custom;           // Edit2
  int lines_to_take = kGuessLine;
  GuessOptions guess;  // ask is cleared when the user presses "Stop asking"
};

// The window side of a writer. Any hook may be left empty, except read_description and the one that
// saves the writer's kind (open_text or save_sheet).
struct WriterHooks {
  // Extracts the archive at archive_path again and reads its description into buffer.
  std::function<bool(int index, const std::string& archive_path, DescriptionBuffer& buffer)> read_description;
  std::function<bool()> stop_requested;
  std::function<void(int max)> begin_progress;
  std::function<void(int position, const std::string& status)> progress;
  std::function<void(const std::string& status)> status;  // "User Abort"
  std::function<void()> end_progress;
  // The overwrite question; true when the file may be written.
  std::function<bool(const std::string& path)> confirm_overwrite;
  // Opens a text catalogue to be saved at path, before its lines are built; null when it cannot be
  // made. Anything thrown counts as failure.
  std::function<std::unique_ptr<TextOutput>(const std::string& path)> open_text;
  std::function<bool(const std::string& path, const std::vector<SheetCell>& cells)> save_sheet;
  AskUser ask_user;
};

enum class WriterOutcome {
  kNotStarted,      // a stop was already requested: nothing done, no report line
  kGenerated,       // saved (also after a stop in a writing pass)
  kFailed,          // a No to the overwrite question, the save failed, or anything else went wrong
  kStoppedUnsaved,  // stopped before a single entry or row was built: nothing saved, no report line
};

struct WriterResult {
  WriterOutcome outcome = WriterOutcome::kNotStarted;
  std::string report_line;  // to append to the report; empty when there is none
  bool write_failed() const { return outcome == WriterOutcome::kFailed; }
};

// Runs one writer over the list. buffer is the description buffer (left holding the last description
// read); state carries CurrentItemIndex, GuessPassDone, the remembered choices and the help count.
WriterResult RunCatalogueWriter(WriterJob& job, DescriptionBuffer& buffer, GuessState& state, const WriterHooks& hooks);

}  // namespace quennex
