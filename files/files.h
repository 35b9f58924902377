#pragma once
// File checks and the all-or-nothing save.
#include <windows.h>

#include <cstddef>
#include <string>

namespace files {

// True when path names a file; a folder there, or nothing, is false.
bool FileExists(const std::string& path);
// True when path names a folder.
bool FolderExists(const std::string& path);

// Writes the bytes into a new file beside path, then puts it in path's place. When anything fails, what
// was at path stays as it was and no temporary file is left. Returns ERROR_SUCCESS or the failure's code.
DWORD SaveReplacing(const std::string& path, const void* bytes, std::size_t size);

}  // namespace files
