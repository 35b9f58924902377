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

// The same save in steps, for a file written piece by piece: a new file beside path takes path's place
// at Commit. Destroyed uncommitted, it removes the new file and leaves path as it was.
class ReplacingFile {
 public:
  explicit ReplacingFile(const std::string& path);
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // ERROR_SUCCESS, or the code of the first failure (making the new file included).
  DWORD error() const { return error_; }
  // Appends bytes; false once anything failed.
  bool Write(const void* bytes, std::size_t size);
  // Flushes and closes the new file and puts it in path's place; ERROR_SUCCESS or the failure's code.
  DWORD Commit();

 private:
  void Discard();

  std::string path_;
  char temporary_[MAX_PATH] = {};
  HANDLE file_ = INVALID_HANDLE_VALUE;
  DWORD error_ = ERROR_SUCCESS;
  bool committed_ = false;
};

}  // namespace files
