#pragma once
// TBiffSheet: one worksheet built in memory as a stream of BIFF records and saved whole as an .XLS file.
// Cells are BIFF2 NUMBER and LABEL records; only BOF and DIMENSIONS follow the chosen BIFF version.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

// A LABEL record holds no more bytes of text than this; longer texts are cut.
inline constexpr std::size_t kMaxLabelBytes = 255;

enum TBiffVersion : std::uint8_t { bvBIFF2, bvBIFF3, bvBIFF4, bvBIFF5 };
enum TMoveAfterEnter : std::uint8_t { maNone, maUp, maDown, maLeft, maRight };
enum TSheetBorders : std::uint8_t { ebTop, ebBottom, ebLeft, ebRight };
enum TSheetAlignment : std::uint8_t { eaGeneral, eaLeft, eaRight, eaCenter, eaFill, eaMultiPlan };

// A set of TSheetBorders in one byte: bit 0 ebTop, bit 1 ebBottom, bit 2 ebLeft, bit 3 ebRight.
class TSheetBorderSet {
 public:
  constexpr TSheetBorderSet() = default;
  constexpr TSheetBorderSet(std::initializer_list<TSheetBorders> borders) {
    for (TSheetBorders border : borders) Include(border);
  }

  constexpr void Include(TSheetBorders border) {
    if (border <= ebRight) bits_ = static_cast<std::uint8_t>(bits_ | (1u << border));
  }
  constexpr void Exclude(TSheetBorders border) {
    if (border <= ebRight) bits_ = static_cast<std::uint8_t>(bits_ & ~(1u << border));
  }
  constexpr bool Contains(TSheetBorders border) const { return border <= ebRight && (bits_ >> border) & 1u; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr std::uint8_t Bits() const { return bits_; }

  friend constexpr bool operator==(TSheetBorderSet, TSheetBorderSet) = default;

 private:
  std::uint8_t bits_ = 0;
};

// Raised by TBiffSheet::SaveToFile when the file cannot be created or written.
class EBiffSheetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TBiffSheet {
 public:
  static constexpr std::uint16_t kFirstRow = 0;
  static constexpr std::uint16_t kLastRow = 0xFFFF;
  static constexpr std::uint16_t kFirstCol = 0;
  static constexpr std::uint16_t kLastCol = 0x0100;

  // A new sheet already holds BOF and DIMENSIONS.
  TBiffSheet();
  TBiffSheet(const TBiffSheet&) = delete;
  TBiffSheet& operator=(const TBiffSheet&) = delete;

  // Properties. Setters ignore values out of range without a message.
  std::uint8_t ActiveFont() const { return active_font_; }
  void SetActiveFont(std::uint8_t font);
  TSheetAlignment Alignment() const { return alignment_; }
  void SetAlignment(TSheetAlignment alignment);
  TBiffVersion BIFF() const { return biff_; }
  void SetBIFF(TBiffVersion version);  // a different version restarts the sheet
  TSheetBorderSet Borders() const { return borders_; }
  void SetBorders(TSheetBorderSet borders) { borders_ = borders; }
  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& name);  // forces the extension ".XLS"
  // The cursor is 1-based. Arguments are wider than the sheet so a row past 65535 cannot wrap onto row 0 or 1.
  std::uint16_t Row() const { return row_; }
  void SetRow(std::int32_t row);
  std::uint16_t Column() const { return column_; }
  void SetColumn(std::int32_t column);
  TMoveAfterEnter MoveAfterEnter() const { return move_after_enter_; }
  void SetMoveAfterEnter(TMoveAfterEnter move);
  bool Shading() const { return shading_; }
  void SetShading(bool shading) { shading_ = shading; }
  bool Hidden() const { return hidden_; }
  void SetHidden(bool hidden) { hidden_ = hidden; }
  bool Locked() const { return locked_; }
  void SetLocked(bool locked) { locked_ = locked; }
  std::string Version() const;
  void SetVersion(const std::string&) {}  // read-only in effect

  void BeginSheet() { WriteBOF(); }
  void EndSheet() { WriteEOF(); }
  // Writes the whole stream to FileName. The old file is replaced only once the new one is complete.
  // Throws EBiffSheetError.
  void SaveToFile() const;

  // Cells at the cursor; the cursor then moves by MoveAfterEnter.
  void WriteNumber(double value);
  void WriteLabel(const char* text);  // up to its first zero byte, cut to 255 bytes
  // Set Row and Column by their rules, then write at the cursor. A row past the sheet's last row drops the cell
  // and marks the sheet Full.
  void WriteNumberAt(std::int32_t row, std::int32_t column, double value);
  void WriteLabelAt(std::int32_t row, std::int32_t column, const char* text);
  void WriteStringAt(std::int32_t row, std::int32_t column, const std::string& text);

  // Restarts the sheet: BOF and DIMENSIONS for the current BIFF version. Cells written before are lost.
  void WriteBOF();
  void WriteEOF();

  // True once a cell was asked for past row 65535 since the sheet was restarted; that cell was dropped.
  bool Full() const { return full_; }
  // The sheet's bytes as SaveToFile would write them.
  const std::vector<std::uint8_t>& Data() const { return stream_; }

 private:
  enum class State : std::uint8_t { kNew, kBofWritten, kEofWritten };

  bool TakeCellPosition(std::int32_t row, std::int32_t column);
  void WriteRecordHeader(std::uint16_t id, std::uint16_t length);
  void WriteCellPosition();
  void WriteCellAttributes();
  void MoveCursor();
  void Append16(std::uint16_t value);
  void AppendBytes(const std::uint8_t* bytes, std::size_t count);

  std::vector<std::uint8_t> stream_;
  TBiffVersion biff_ = bvBIFF5;
  State sheet_state_ = State::kNew;
  bool full_ = false;
  std::string file_name_;
  std::uint16_t row_ = 1;
  std::uint16_t column_ = 1;
  std::uint8_t font_count_ = 0;
  std::uint8_t active_font_ = 0;
  TMoveAfterEnter move_after_enter_ = maRight;
  bool shading_ = false;
  TSheetBorderSet borders_;
  TSheetAlignment alignment_ = eaGeneral;
  bool hidden_ = false;
  bool locked_ = true;
  std::uint32_t version_number_ = 0x0117;
};
