// The save: the only part of the component that talks to the file system.
#include "biffsheet.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

[[noreturn]] void Fail(const std::string& file_name, DWORD error) {
  throw EBiffSheetError("Cannot create file \"" + file_name + "\". Error " + std::to_string(error) + ".");
}

// The folder part of a path, "." when it has none, so the temporary file lands beside the target.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/:");
  if (slash == std::string::npos) return ".";
  if (path[slash] == ':') return path.substr(0, slash + 1);
  if (slash == 0) return path.substr(0, 1);
  return path.substr(0, slash);
}

bool WriteAll(HANDLE file, const std::vector<std::uint8_t>& data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const std::size_t chunk = std::min<std::size_t>(data.size() - done, 1u << 20);
    DWORD written = 0;
    if (!WriteFile(file, data.data() + done, static_cast<DWORD>(chunk), &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return FlushFileBuffers(file) != 0;
}

}  // namespace

void TBiffSheet::SaveToFile() const {
  if (file_name_.empty()) Fail(file_name_, ERROR_INVALID_NAME);

  // Write a complete copy first, then swap it in: a failed save leaves the previous file as it was.
  char temp_name[MAX_PATH];
  if (GetTempFileNameA(FolderOf(file_name_).c_str(), "xls", 0, temp_name) == 0) Fail(file_name_, GetLastError());

  HANDLE file = CreateFileA(temp_name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    DeleteFileA(temp_name);
    Fail(file_name_, error);
  }
  bool ok = WriteAll(file, stream_);
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  if (!CloseHandle(file) && ok) {
    ok = false;
    error = GetLastError();
  }
  if (ok && !MoveFileExA(temp_name, file_name_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = false;
    error = GetLastError();
  }
  if (!ok) {
    DeleteFileA(temp_name);
    Fail(file_name_, error);
  }
}
