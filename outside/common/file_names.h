#pragma once
// Checks on entry names taken from archives: they decide where a file may be written.
#include <string>
#include <string_view>

namespace outside {

// The text after the last '\', '/' or ':'.
std::string_view FilePart(std::string_view name);

// True when name can stand as one file name inside a folder: not empty, at most 255 bytes, no
// separators, wildcards or control characters, no trailing dot or blank, not a device name.
bool IsSafeFileName(std::string_view name);

// folder + "\" + name; an empty folder means the current one, and a drive alone ("C:") its current folder.
std::string JoinPath(std::string_view folder, std::string_view name);

// Compares two file names case-blind in the user's locale.
bool SameFileName(std::string_view a, std::string_view b);

}  // namespace outside
