#include "biffsheet.h"

#include <bit>
#include <cstdio>
#include <cstring>

namespace {

constexpr std::uint16_t kIdEof = 0x000A;
constexpr std::uint16_t kIdNumber = 0x0003;
constexpr std::uint16_t kIdLabel = 0x0004;

struct BofLayout {
  std::uint16_t bof_id;
  std::uint16_t bof_length;
  std::uint16_t dimensions_id;
  std::uint16_t dimensions_length;
};

// Indexed by TBiffVersion. The BOF version word stays 0x0200 for all of them.
constexpr BofLayout kBofLayouts[] = {
    {0x0009, 4, 0x0000, 8},
    {0x0209, 6, 0x0200, 10},
    {0x0409, 6, 0x0200, 10},
    {0x0809, 6, 0x0200, 10},
};
constexpr std::uint8_t kBofData[] = {0x00, 0x02, 0x10, 0x00, 0x00, 0x00};

// Indexed by TSheetAlignment; right and centre swap places against the enumeration.
constexpr std::uint8_t kAlignmentCodes[] = {0, 1, 3, 2, 4, 7};

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameTextAscii(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  }
  return true;
}

}  // namespace

TBiffSheet::TBiffSheet() { WriteBOF(); }

void TBiffSheet::SetActiveFont(std::uint8_t font) {
  if (font <= font_count_) active_font_ = font;
}

void TBiffSheet::SetAlignment(TSheetAlignment alignment) {
  if (alignment <= eaMultiPlan) alignment_ = alignment;
}

void TBiffSheet::SetBIFF(TBiffVersion version) {
  if (version > bvBIFF5 || version == biff_) return;
  biff_ = version;
  WriteBOF();
}

void TBiffSheet::SetFileName(const std::string& name) {
  if (name == file_name_) return;
  file_name_ = name;
  std::size_t component = file_name_.find_last_of("\\:");
  component = component == std::string::npos ? 0 : component + 1;
  std::size_t dot = file_name_.rfind('.');
  if (dot == std::string::npos || dot < component) dot = file_name_.size();
  if (!SameTextAscii(file_name_.substr(dot), ".XLS")) file_name_ = file_name_.substr(0, dot) + ".XLS";
}

void TBiffSheet::SetRow(std::int32_t row) {
  if (row >= 1 && row <= kLastRow) row_ = static_cast<std::uint16_t>(row);
}

void TBiffSheet::SetColumn(std::int32_t column) {
  if (column >= 1 && column <= kLastCol) column_ = static_cast<std::uint16_t>(column);
}

void TBiffSheet::SetMoveAfterEnter(TMoveAfterEnter move) {
  if (move <= maRight) move_after_enter_ = move;
}

std::string TBiffSheet::Version() const {
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d", static_cast<int>((version_number_ >> 8) & 0xFF),
                static_cast<int>(version_number_ & 0xFF));
  return text;
}

void TBiffSheet::WriteBOF() {
  sheet_state_ = State::kBofWritten;
  font_count_ = 0;
  full_ = false;
  stream_.clear();

  const BofLayout& layout = kBofLayouts[biff_];
  WriteRecordHeader(layout.bof_id, layout.bof_length);
  AppendBytes(kBofData, layout.bof_length);

  WriteRecordHeader(layout.dimensions_id, layout.dimensions_length);
  Append16(kFirstRow);
  Append16(kLastRow);
  Append16(kFirstCol);
  Append16(kLastCol);
  if (layout.dimensions_length == 10) Append16(0);
}

void TBiffSheet::WriteEOF() {
  WriteRecordHeader(kIdEof, 0);
  sheet_state_ = State::kEofWritten;
}

void TBiffSheet::WriteRecordHeader(std::uint16_t id, std::uint16_t length) {
  if (sheet_state_ == State::kEofWritten) WriteBOF();
  Append16(id);
  Append16(length);
}

void TBiffSheet::WriteNumber(double value) {
  WriteRecordHeader(kIdNumber, 15);
  WriteCellPosition();
  WriteCellAttributes();
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
  for (int shift = 0; shift < 64; shift += 8) stream_.push_back(static_cast<std::uint8_t>(bits >> shift));
}

void TBiffSheet::WriteLabel(const char* text) {
  std::size_t length = 0;
  if (text != nullptr) {
    while (length < kMaxLabelBytes && text[length] != '\0') ++length;
  }
  WriteRecordHeader(kIdLabel, static_cast<std::uint16_t>(length + 8));
  WriteCellPosition();
  WriteCellAttributes();
  stream_.push_back(static_cast<std::uint8_t>(length));
  AppendBytes(reinterpret_cast<const std::uint8_t*>(text), length);
}

bool TBiffSheet::TakeCellPosition(std::int32_t row, std::int32_t column) {
  if (row > kLastRow) {
    full_ = true;
    return false;
  }
  SetRow(row);
  SetColumn(column);
  return true;
}

void TBiffSheet::WriteNumberAt(std::int32_t row, std::int32_t column, double value) {
  if (TakeCellPosition(row, column)) WriteNumber(value);
}

void TBiffSheet::WriteLabelAt(std::int32_t row, std::int32_t column, const char* text) {
  if (TakeCellPosition(row, column)) WriteLabel(text);
}

void TBiffSheet::WriteStringAt(std::int32_t row, std::int32_t column, const std::string& text) {
  WriteLabelAt(row, column, text.c_str());
}

void TBiffSheet::WriteCellPosition() {
  Append16(static_cast<std::uint16_t>(row_ - 1));
  Append16(static_cast<std::uint16_t>(column_ - 1));
  MoveCursor();
}

void TBiffSheet::MoveCursor() {
  switch (move_after_enter_) {
    case maNone:
      break;
    case maRight:
      if (column_ < kLastCol) {
        ++column_;
      } else if (row_ < kLastRow) {
        column_ = 1;
        ++row_;
      }
      break;
    case maLeft:
      if (column_ > 1) {
        --column_;
      } else if (row_ > 1) {
        column_ = kLastCol;
        --row_;
      }
      break;
    case maDown:
      if (row_ < kLastRow) {
        ++row_;
      } else if (column_ < kLastCol) {
        row_ = 1;
        ++column_;
      }
      break;
    case maUp:
      if (row_ > 1) {
        --row_;
      } else if (column_ > 1) {
        row_ = kLastRow;
        --column_;
      }
      break;
  }
}

void TBiffSheet::WriteCellAttributes() {
  std::uint8_t format = 0;
  if (locked_) format |= 0x40;
  if (hidden_) format |= 0x80;
  const std::uint8_t font = static_cast<std::uint8_t>((active_font_ & 0x03) << 6);
  std::uint8_t style = kAlignmentCodes[alignment_];
  if (borders_.Contains(ebLeft)) style |= 0x08;
  if (borders_.Contains(ebRight)) style |= 0x10;
  if (borders_.Contains(ebTop)) style |= 0x20;
  if (borders_.Contains(ebBottom)) style |= 0x40;
  if (shading_) style |= 0x80;
  stream_.push_back(format);
  stream_.push_back(font);
  stream_.push_back(style);
}

void TBiffSheet::Append16(std::uint16_t value) {
  stream_.push_back(static_cast<std::uint8_t>(value & 0xFF));
  stream_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void TBiffSheet::AppendBytes(const std::uint8_t* bytes, std::size_t count) {
  if (count > 0) stream_.insert(stream_.end(), bytes, bytes + count);
}
