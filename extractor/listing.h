#pragma once
// Rules of the archive list: which names are archives, how an item's size and date read, and the
// order of the list by column.
#include <cstdint>
#include <string>

namespace listing {

enum class ArchiveKind { None = -1, Zip = 0, Rar = 1, Ace = 2 };  // also the type icon index

// The text from the last "." to the end, "" without one, lower-cased in ASCII.
std::string LowerExtension(const std::string& name);
// ".zip", ".rar" or ".ace" in any case; anything else is no archive. Takes a whole path as well: a
// dot in a folder's name leaves an "extension" with a backslash in it, which is none of the three.
ArchiveKind KindOfName(const std::string& name);

// "mm-dd-yy"
std::string FormatListDate(int year, int month, int day);
// Decimal, unsigned, full 64 bits.
std::string FormatSize(std::uint64_t size);

// Case-blind: a to z taken as A to Z, byte by byte, a prefix first.
int CompareTextCaseBlind(const std::string& a, const std::string& b);
// Size texts compared as numbers (-1, 0, 1); texts that are no number count as 0.
int CompareSizes(const std::string& a, const std::string& b);

struct ItemTexts {
  const std::string& caption;
  const std::string& size;
  const std::string& date;
};
// The list order for a sort column: 0 name, 1 size (numeric), 2 date (as text), else the sub-item column - 1.
int CompareItems(int sortColumn, const ItemTexts& a, const ItemTexts& b);

}  // namespace listing
