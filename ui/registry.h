#pragma once
// Read-only registry access.
#include <windows.h>

#include <string>

namespace registry {

// A string value (plain or expandable, as stored, nothing expanded). A key or value that cannot be
// read, or a value of another type, reads as "". Keys are opened for reading only.
std::string ReadString(HKEY root, const std::string& key, const std::string& value);

}  // namespace registry
