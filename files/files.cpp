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
  return true;
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
  ReplacingFile file(path);
  file.Write(bytes, size);
  return file.Commit();
}

ReplacingFile::ReplacingFile(const std::string& path) : path_(path) {
  if (path.empty()) {
    error_ = ERROR_INVALID_NAME;
    return;
  }
  if (GetTempFileNameA(FolderOf(path).c_str(), "new", 0, temporary_) == 0) {
    temporary_[0] = '\0';
    error_ = LastErrorOr(ERROR_CANNOT_MAKE);
    return;
  }
  file_ = CreateFileA(temporary_, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) {
    error_ = LastErrorOr(ERROR_CANNOT_MAKE);
    Discard();
  }
}

ReplacingFile::~ReplacingFile() {
  if (!committed_) Discard();
}

bool ReplacingFile::Write(const void* bytes, std::size_t size) {
  if (error_ != ERROR_SUCCESS || committed_) return false;
  if (!WriteAll(file_, bytes, size)) {
    error_ = LastErrorOr(ERROR_WRITE_FAULT);
    Discard();
  }
  return error_ == ERROR_SUCCESS;
}

DWORD ReplacingFile::Commit() {
  if (error_ != ERROR_SUCCESS || committed_) return error_;
  if (!FlushFileBuffers(file_)) error_ = LastErrorOr(ERROR_WRITE_FAULT);
  if (!CloseHandle(file_) && error_ == ERROR_SUCCESS) error_ = LastErrorOr(ERROR_WRITE_FAULT);
  file_ = INVALID_HANDLE_VALUE;
  if (error_ == ERROR_SUCCESS &&
      !MoveFileExA(temporary_, path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error_ = LastErrorOr(ERROR_WRITE_FAULT);
  }
  if (error_ != ERROR_SUCCESS) {
    Discard();
  } else {
    committed_ = true;
  }
  return error_;
}

// Closes and removes the new file, if there is one.
void ReplacingFile::Discard() {
  if (file_ != INVALID_HANDLE_VALUE) {
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
  if (temporary_[0] != '\0') {
    DeleteFileA(temporary_);
    temporary_[0] = '\0';
  }
}

}  // namespace files
