#include "listing.h"

#include <cstdio>

namespace listing {

namespace {
char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// A size text as a number; only decimal digits count, anything else reads as 0.
std::uint64_t SizeValue(const std::string& text) {
  std::uint64_t value = 0;
  if (text.empty() || text.size() > 20) return 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
    if (value > (UINT64_MAX - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  return value;
}
}  // namespace

std::string LowerExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string extension = name.substr(dot);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

ArchiveKind KindOfName(const std::string& name) {
  const std::string extension = LowerExtension(name);
  if (extension == ".rar") return ArchiveKind::Rar;
  if (extension == ".ace") return ArchiveKind::Ace;
  if (extension == ".zip") return ArchiveKind::Zip;
  return ArchiveKind::None;
}

std::string FormatListDate(int year, int month, int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d-%02d-%02d", month % 100, day % 100, year % 100);
  return text;
}

std::string FormatSize(std::uint64_t size) { return std::to_string(size); }

int CompareTextCaseBlind(const std::string& a, const std::string& b) {
  const size_t common = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(UpperAscii(a[i]));
    const auto y = static_cast<unsigned char>(UpperAscii(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int CompareSizes(const std::string& a, const std::string& b) {
  const std::uint64_t x = SizeValue(a), y = SizeValue(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareItems(int sortColumn, const ItemTexts& a, const ItemTexts& b) {
  switch (sortColumn) {
    case 0:
      return CompareTextCaseBlind(a.caption, b.caption);
    case 1:
      return CompareSizes(a.size, b.size);
    case 2:
      return CompareTextCaseBlind(a.date, b.date);
    default:
      return 0;  // no such sub-item: every item compares equal
  }
}

}  // namespace listing
