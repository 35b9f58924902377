#include "files.h"

#include <algorithm>

namespace files {

namespace {

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

// The last error, or fallback when a failed call left none.
DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error == ERROR_SUCCESS ? fallback : error;
}

// The folder part of a path, "." when it has none, so the temporary file lands beside the target.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/:");
  if (slash == std::string::npos) return ".";
  if (path[slash] == ':') return path.substr(0, slash + 1);
  if (slash == 0) return path.substr(0, 1);
  return path.substr(0, slash);
}

bool WriteAll(HANDLE file, const void* bytes, std::size_t size) {
  const auto* data = static_cast<const char*>(bytes);
  std::size_t done = 0;
  while (done < size) {
    const std::size_t chunk = std::min<std::size_t>(size - done, 1u << 20);
    DWORD written = 0;
    if (!WriteFile(file, data + done, static_cast<DWORD>(chunk), &written, nullptr) || written == 0) return false;
    done += written;
  }
  return FlushFileBuffers(file) != 0;
}

}  // namespace

bool FileExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD SaveReplacing(const std::string& path, const void* bytes, std::size_t size) {
  if (path.empty()) return ERROR_INVALID_NAME;
  char temporary[MAX_PATH];
  if (GetTempFileNameA(FolderOf(path).c_str(), "new", 0, temporary) == 0) return LastErrorOr(ERROR_CANNOT_MAKE);
  HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = LastErrorOr(ERROR_CANNOT_MAKE);
    DeleteFileA(temporary);
    return error;
  }
  DWORD error = WriteAll(file, bytes, size) ? ERROR_SUCCESS : LastErrorOr(ERROR_WRITE_FAULT);
  if (!CloseHandle(file) && error == ERROR_SUCCESS) error = LastErrorOr(ERROR_WRITE_FAULT);
  if (error == ERROR_SUCCESS &&
      !MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastErrorOr(ERROR_WRITE_FAULT);
  }
  if (error != ERROR_SUCCESS) DeleteFileA(temporary);
  return error;
}

}  // namespace files
